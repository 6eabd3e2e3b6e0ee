// Test host for the message dialog: shows one dialog with the arguments of
// its command line through the program's own dialog code, prints
// "result=N" and ends with N as its exit code.
//
//   dialogHost <icon kind> <system menu 0|1> <help button> <help file> <title> <message> [caption ...]
//
// In the message the two characters "\r" stand for a line break. Exit code
// 99 means the arguments were wrong or the dialog raised an error.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "platform/stdControls.h"
#include "platform/toolkit.h"
#include "src/unitDialog.h"

namespace {

std::string WithLineBreaks(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'r') {
            out += '\r';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) {
        std::fprintf(stderr,
                     "usage: dialogHost <icon kind> <system menu 0|1> <help button> <help file> <title> <message> "
                     "[caption ...]\n");
        return 99;
    }
    const int iconKind = std::atoi(argv[1]);
    const bool systemMenu = std::atoi(argv[2]) != 0;
    const int32_t helpButton = std::atoi(argv[3]);
    const std::string helpFile = argv[4];
    const std::string title = argv[5];
    const std::string message = WithLineBreaks(argv[6]);
    std::vector<std::string> captions;
    for (int i = 7; i < argc; ++i) captions.push_back(argv[i]);

    int32_t result = 0;
    try {
        tk::RegisterStandardControls();
        tk::Application.Initialize();
        tk::Application.SetTitle("dialogHost");
        result =
            AnswerDlgHelp(title, message, captions, static_cast<uint8_t>(iconKind), systemMenu, helpButton, helpFile);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        std::fflush(stderr);
        return 99;
    }
    std::printf("result=%d\n", static_cast<int>(result));
    std::fflush(stdout);
    return static_cast<int>(result);
}
