#include "platform/dialogKeys.h"

namespace tk {

namespace {
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

char CaptionAccelerator(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return UpperAscii(caption[i + 1]);
    }
    return 0;
}

int32_t AcceleratorTarget(const std::vector<char>& accelerators, char typed) {
    typed = UpperAscii(typed);
    // Signed char: bytes above 127 are negative and name no control either.
    if (typed <= ' ') return -1;
    for (size_t i = 0; i < accelerators.size(); ++i) {
        if (accelerators[i] == typed) return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t NextInTabOrder(int32_t current, int32_t count, bool forward) {
    if (count <= 0) return -1;
    if (current < 0 || current >= count) return forward ? 0 : count - 1;
    if (forward) return current + 1 == count ? 0 : current + 1;
    return current == 0 ? count - 1 : current - 1;
}

}  // namespace tk
