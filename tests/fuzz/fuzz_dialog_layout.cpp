// The message dialog's geometry and small rules over arbitrary extents, icon kinds, captions
// and window positions.
//
// Input: icon kind byte, a scale byte (bit 0..1: how wide extents may range: small,
// screen-sized, anything), message width and height, a caption count byte (mod 17), each
// caption's width and height, then positions for the centring, a focus step, and the rest as
// captions and a help path for the text rules.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/dialogKeys.h"
#include "src/dialogLayout.h"
#include "tests/fuzz/fuzzInput.h"

namespace {

int64_t Saturate(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return v;
}

int32_t Extent(TFuzzInput& in, int scale) {
    const int32_t raw = in.I32();
    switch (scale) {
        case 0: return static_cast<int32_t>(static_cast<uint32_t>(raw) % 64);
        case 1: return static_cast<int32_t>(static_cast<uint32_t>(raw) % 5000);
        default: return raw;
    }
}

void CheckLayout(const TDialogLayoutInput& input) {
    const TDialogLayout out = ComputeDialogLayout(input);
    const int64_t n = static_cast<int64_t>(input.CaptionExtents.size());

    // Button size: at least 25 x 65, grown by the tallest and widest caption.
    int64_t h = 25;
    int64_t w = 65;
    for (const TSize& e : input.CaptionExtents) {
        if (int64_t{e.Height} + 12 > h) h = int64_t{e.Height} + 12;
        if (int64_t{e.Width} + 32 > w) w = int64_t{e.Width} + 32;
    }
    const int64_t column = n * (h + 8) - 8;
    int64_t label = input.MessageExtent.Height;
    if (column - 32 > label) label = column - 32;
    if (32 > label) label = 32;
    const int64_t labelLeft = input.IconKind != 0 ? 72 : 24;
    const int64_t frameWidth = labelLeft + input.MessageExtent.Width + 8;
    const int64_t frameHeight = label + 32;
    const int64_t clientWidth = frameWidth + w + 24;
    const int64_t clientHeight = frameHeight + 16;

    FUZZ_CHECK(out.ButtonHeight == Saturate(h));
    FUZZ_CHECK(out.ButtonWidth == Saturate(w));
    FUZZ_CHECK(out.HasIcon == (input.IconKind != 0));
    if (out.HasIcon) {
        FUZZ_CHECK(out.Icon.Left == 24 && out.Icon.Top == 24);
        FUZZ_CHECK(out.Icon.Width == 32 && out.Icon.Height == 32);
    }
    FUZZ_CHECK(out.Label.Left == labelLeft && out.Label.Top == 24);
    FUZZ_CHECK(out.Label.Width == input.MessageExtent.Width);
    FUZZ_CHECK(out.Label.Height == Saturate(label));
    FUZZ_CHECK(out.Frame.Left == 8 && out.Frame.Top == 8);
    FUZZ_CHECK(out.Frame.Width == Saturate(frameWidth));
    FUZZ_CHECK(out.Frame.Height == Saturate(frameHeight));
    FUZZ_CHECK(out.ClientWidth == Saturate(clientWidth));
    FUZZ_CHECK(out.ClientHeight == Saturate(clientHeight));
    FUZZ_CHECK(static_cast<int64_t>(out.Buttons.size()) == n);

    // Within the 32-bit range the geometry holds exactly.
    const bool exact = clientWidth == Saturate(clientWidth) && clientHeight == Saturate(clientHeight) &&
                       h == Saturate(h) && w == Saturate(w) && frameWidth + 16 == Saturate(frameWidth + 16) &&
                       clientHeight - n * (h + 8) >= std::numeric_limits<int32_t>::min();
    if (!exact) return;
    FUZZ_CHECK(out.Label.Height >= input.MessageExtent.Height);
    FUZZ_CHECK(out.Label.Height >= 32);
    FUZZ_CHECK(int64_t{out.Label.Height} >= column - 32);
    for (int64_t i = 0; i < n; ++i) {
        const TRect32& b = out.Buttons[static_cast<size_t>(i)];
        FUZZ_CHECK(b.Width == out.ButtonWidth && b.Height == out.ButtonHeight);
        FUZZ_CHECK(int64_t{b.Left} == int64_t{out.Frame.Left} + out.Frame.Width + 8);
        FUZZ_CHECK(int64_t{b.Left} + b.Width + 8 == out.ClientWidth);
        if (i > 0) {
            const TRect32& above = out.Buttons[static_cast<size_t>(i - 1)];
            FUZZ_CHECK(int64_t{above.Top} + above.Height + 8 == b.Top);
        }
    }
    if (n > 0) {
        const TRect32& last = out.Buttons.back();
        FUZZ_CHECK(int64_t{last.Top} + last.Height == int64_t{out.ClientHeight} - 8);
        FUZZ_CHECK(int64_t{last.Top} + last.Height == int64_t{out.Frame.Top} + out.Frame.Height);
        // With a message no taller than the column, the column fills the frame's height.
        if (label == column - 32 && column - 32 >= 32) FUZZ_CHECK(out.Buttons.front().Top == out.Frame.Top);
        if (input.MessageExtent.Height >= 0 && input.MessageExtent.Height + 32 > column)
            FUZZ_CHECK(out.Buttons.front().Top >= out.Frame.Top);
    }
}

void CheckPosition(TFuzzInput& in) {
    const int32_t outerW = in.I32(), outerH = in.I32();
    const bool main = (in.Byte() & 1) != 0;
    const int32_t left = in.I32(), top = in.I32(), mainW = in.I32(), mainH = in.I32();
    const int32_t screenW = in.I32(), screenH = in.I32();
    const TPoint p = ComputeDialogPosition(outerW, outerH, main, left, top, mainW, mainH, screenW, screenH);
    // Halves truncate toward zero.
    auto half = [](int64_t d) { return d / 2; };
    if (main) {
        FUZZ_CHECK(p.X == Saturate(left + half(int64_t{mainW} - outerW)));
        FUZZ_CHECK(p.Y == Saturate(top + half(int64_t{mainH} - outerH)));
    } else {
        FUZZ_CHECK(p.X == Saturate(half(int64_t{screenW} - outerW)));
        FUZZ_CHECK(p.Y == Saturate(half(int64_t{screenH} - outerH)));
    }
}

// The keys that move the focus, as the form's dialog keys tell them apart.
enum class TDialogKey { Tab, ShiftTab, Left, Right, Up, Down };
int32_t NextFocusIndex(int32_t current, int32_t count, TDialogKey key) {
    return tk::NextInTabOrder(current, count,
                              key == TDialogKey::Tab || key == TDialogKey::Right || key == TDialogKey::Down);
}

int32_t ButtonForAccelerator(const std::vector<std::string>& captions, char typed) {
    std::vector<char> accelerators;
    for (const std::string& caption : captions) accelerators.push_back(tk::CaptionAccelerator(caption));
    return tk::AcceleratorTarget(accelerators, typed);
}

void CheckFocus(TFuzzInput& in) {
    const int32_t count = static_cast<int32_t>(in.Byte() % 8) - 1;
    int32_t current = static_cast<int32_t>(in.Byte() % 12) - 2;
    const TDialogKey keys[6] = {TDialogKey::Tab,   TDialogKey::ShiftTab, TDialogKey::Left,
                                TDialogKey::Right, TDialogKey::Up,       TDialogKey::Down};
    const TDialogKey key = keys[in.Byte() % 6];
    const int32_t next = NextFocusIndex(current, count, key);
    if (count <= 0) {
        FUZZ_CHECK(next == -1);
        return;
    }
    FUZZ_CHECK(next >= 0 && next < count);
    const bool forward = key == TDialogKey::Tab || key == TDialogKey::Right || key == TDialogKey::Down;
    if (current >= 0 && current < count) {
        // One step, wrapping, and the opposite key undoes it.
        FUZZ_CHECK(next == (forward ? (current + 1) % count : (current + count - 1) % count));
        FUZZ_CHECK(NextFocusIndex(next, count, forward ? TDialogKey::ShiftTab : TDialogKey::Tab) == current);
    } else {
        FUZZ_CHECK(next == (forward ? 0 : count - 1));
    }
}

void CheckTexts(TFuzzInput& in) {
    std::vector<std::string> captions;
    const int count = in.Byte() % 5;
    for (int i = 0; i < count; ++i) captions.push_back(in.Text());
    const char typed = static_cast<char>(in.Byte());

    // The accelerator is the letter after the first '&' that is not part of an "&&" pair.
    int32_t expectedIndex = -1;
    const char upper = (typed >= 'a' && typed <= 'z') ? static_cast<char>(typed - 'a' + 'A') : typed;
    for (size_t k = 0; k < captions.size(); ++k) {
        const std::string& caption = captions[k];
        char expected = 0;
        for (size_t i = 0; i + 1 < caption.size(); ++i) {
            if (caption[i] != '&') continue;
            if (caption[i + 1] == '&') {
                ++i;
                continue;
            }
            const char next = caption[i + 1];
            expected = (next >= 'a' && next <= 'z') ? static_cast<char>(next - 'a' + 'A') : next;
            break;
        }
        const char a = tk::CaptionAccelerator(caption);
        // Letters beyond ASCII are left to the C library's case mapping.
        if (static_cast<unsigned char>(expected) < 128) FUZZ_CHECK(a == expected);
        // Blanks and control characters name no button.
        if (expectedIndex == -1 && typed > ' ' && a != 0 && a == upper) expectedIndex = static_cast<int32_t>(k);
    }
    if (static_cast<unsigned char>(typed) < 128) FUZZ_CHECK(ButtonForAccelerator(captions, typed) == expectedIndex);

    const std::string path = in.Rest();
    const std::string folder = HelpFolderOf(path);
    FUZZ_CHECK(path.compare(0, folder.size(), folder) == 0);
    if (folder.empty()) {
        FUZZ_CHECK(path.find_first_of("\\:") == std::string::npos);
    } else {
        FUZZ_CHECK(folder.back() == '\\' || folder.back() == ':');
        FUZZ_CHECK(path.find_first_of("\\:", folder.size()) == std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzInput in(data, size);
    TDialogLayoutInput input;
    input.IconKind = in.Byte();
    const int scale = in.Byte() % 3;
    input.MessageExtent.Width = Extent(in, scale);
    input.MessageExtent.Height = Extent(in, scale);
    const int count = in.Byte() % 17;
    for (int i = 0; i < count; ++i) {
        TSize e;
        e.Width = Extent(in, scale);
        e.Height = Extent(in, scale);
        input.CaptionExtents.push_back(e);
    }
    CheckLayout(input);

    const int32_t modal = in.I32();
    FUZZ_CHECK(ResultFromModal(modal) == (modal >= 101 ? modal - 100 : 0));
    const int32_t icon = IconResourceId(input.IconKind);
    FUZZ_CHECK(input.IconKind >= 1 && input.IconKind <= 4 ? icon >= 32513 && icon <= 32516 : icon == 0);

    CheckPosition(in);
    CheckFocus(in);
    CheckTexts(in);
    return 0;
}
