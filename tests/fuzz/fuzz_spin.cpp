// The transition-time field over arbitrary sequences of keys, characters, pastes, wheel turns,
// steps and value writes, with its window appearing and going; the spin button's hit test
// and auto-repeat over arbitrary points and event sequences.
//
// Input: a list of operations, each an operation byte followed by its arguments.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/fuzz/fuzzInput.h"
#include "widgets/spinLogic.h"

namespace {

bool IsDigitText(const std::string& text) { return text.size() == 1 && text[0] >= '1' && text[0] <= '5'; }

int DigitOf(const std::string& text) { return text[0] - '0'; }

// What the change check makes of a one-character (or empty) text.
int Checked(const std::string& text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {
        const int d = text[0] - '0';
        return d < 1 ? 1 : (d > 5 ? 5 : d);
    }
    return 1;
}

double ReadDouble(TFuzzInput& in) {
    const uint8_t form = in.Byte();
    if (form % 2 == 0) return static_cast<double>(static_cast<int8_t>(in.Byte()));
    uint64_t bits = static_cast<uint64_t>(in.U32()) | (static_cast<uint64_t>(in.U32()) << 32);
    double v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void CheckInvariants(const TSpinModel& m) {
    FUZZ_CHECK(m.Text().size() <= TSpinModel::MaxLength);
    const double last = m.LastReported();
    FUZZ_CHECK(last >= 1 && last <= 5 && last == std::floor(last));
    const double v = m.Value();
    FUZZ_CHECK(v == std::floor(v));
}

void RunModel(TFuzzInput& in) {
    TSpinModel m;
    FUZZ_CHECK(m.Text() == "1" && m.LastReported() == 1 && !m.WindowExists());
    int changes = 0;
    int steps = 0;
    while (!in.Empty() && steps++ < 256) {
        const std::string before = m.Text();
        const double lastBefore = m.LastReported();
        const bool window = m.WindowExists();
        const bool validBefore = window && IsDigitText(before);
        const uint8_t op = in.Byte();
        bool changed = false;
        // Whether the operation always runs the change check (when the window exists).
        bool checks = false;
        // The text expected afterwards when it was a valid value before; empty: not known.
        std::string expected;

        switch (op % 12) {
            case 0:
                m.SetWindowExists((in.Byte() & 1) != 0);
                FUZZ_CHECK(m.Text() == before);
                break;
            case 1: {
                const double v = ReadDouble(in);
                changed = m.SetValue(v);
                checks = true;
                FUZZ_CHECK(IsDigitText(m.Text()));
                if (!std::isnan(v)) {
                    const double clamped = v < 1 ? 1 : (v > 5 ? 5 : v);
                    FUZZ_CHECK(std::fabs(DigitOf(m.Text()) - clamped) <= 0.5);
                }
                if (!window) FUZZ_CHECK(!changed && m.LastReported() == lastBefore);
                break;
            }
            case 2:
            case 3:
            case 4: {
                // Whatever the edit box ends up holding after a key, a paste or a cut.
                const std::string text = op % 12 == 4 ? in.Text() : std::string(1, static_cast<char>(in.Byte()));
                changed = m.BoxEdited(text);
                if (text.substr(0, TSpinModel::MaxLength) == before) FUZZ_CHECK(!changed && m.Text() == before);
                if (validBefore) expected = std::to_string(Checked(text.substr(0, 1)));
                break;
            }
            case 5:
                changed = m.TextChanged();
                checks = true;
                if (validBefore) expected = before;
                break;
            case 6:
            case 7:
                changed = m.StepUp();
                if (validBefore) expected = std::to_string(DigitOf(before) < 5 ? DigitOf(before) + 1 : 5);
                break;
            case 8:
                changed = m.StepDown();
                if (validBefore) expected = std::to_string(DigitOf(before) > 1 ? DigitOf(before) - 1 : 1);
                break;
            case 9: {
                const int delta = in.I32();
                changed = m.WheelDelta(delta);
                if (validBefore) {
                    const int d = DigitOf(before);
                    expected = std::to_string(delta > 0 ? (d < 5 ? d + 1 : 5) : (d > 1 ? d - 1 : 1));
                }
                break;
            }
            case 10:
                changed = m.Leave();
                checks = true;
                if (validBefore) expected = before;
                break;
            default:
                FUZZ_CHECK(TSpinModel::CaretAfterCheck(in.I32(), m.Text()) <= static_cast<int>(m.Text().size()));
                break;
        }

        CheckInvariants(m);
        if (!expected.empty()) FUZZ_CHECK(m.Text() == expected);
        // Once the window exists, a checked value stays a value of 1 to 5.
        if (validBefore && m.WindowExists()) FUZZ_CHECK(IsDigitText(m.Text()));
        if (window && checks) {
            FUZZ_CHECK(IsDigitText(m.Text()));
            FUZZ_CHECK(m.LastReported() == m.Value());
        }
        // OnChange only for a value other than the last reported one, and only with a window.
        if (changed) {
            ++changes;
            FUZZ_CHECK(window);
            FUZZ_CHECK(m.LastReported() != lastBefore);
            FUZZ_CHECK(m.LastReported() == m.Value());
        } else {
            FUZZ_CHECK(m.LastReported() == lastBefore);
        }
        // While the window exists every change of the text ends in a checked value.
        if (window && m.Text() != before) {
            FUZZ_CHECK(IsDigitText(m.Text()));
            FUZZ_CHECK(changed == (m.Value() != lastBefore));
        }
        FUZZ_CHECK(m.ChangeCount() == changes);
    }
}

void RunSpinButton(TFuzzInput& in) {
    // Spin buttons are small. Points next to the diagonal are the interesting ones, so half
    // the time the point is put there; otherwise anything, negative numbers included.
    const bool nearDiagonal = (in.Byte() & 1) != 0;
    int x = 0, y = 0, w = 0, h = 0;
    if (nearDiagonal) {
        w = 1 + static_cast<int>(in.U32() % 255);
        h = 1 + static_cast<int>(in.U32() % 255);
        x = static_cast<int>(in.U32() % static_cast<uint32_t>(w));
        y = h * (w - x) / w + static_cast<int>(in.U32() % 3) - 1;
    } else {
        x = in.I32() % 256;
        y = in.I32() % 256;
        w = in.I32() % 256;
        h = in.I32() % 256;
    }
    const TSpinPart part = SpinPartAt(x, y, w, h);
    if (w <= 0 || h <= 0 || x < 0 || y < 0 || x >= w || y >= h) {
        FUZZ_CHECK(part == TSpinPart::None);
    } else {
        // Strictly below the diagonal from the bottom-left to the top-right corner, in exact
        // arithmetic: y > h - h * x / w.
        const int64_t lhs = int64_t{y} * w;
        const int64_t rhs = int64_t{h} * w - int64_t{h} * x;
        FUZZ_CHECK(part == (lhs > rhs ? TSpinPart::Lower : TSpinPart::Upper));
    }

    TSpinRepeat r;
    TSpinPart hover = TSpinPart::None;
    TSpinPart pressed = TSpinPart::None;
    const TSpinPart parts[3] = {TSpinPart::None, TSpinPart::Upper, TSpinPart::Lower};
    for (int i = 0; i < 32 && !in.Empty(); ++i) {
        const uint8_t op = in.Byte();
        const TSpinPart p = parts[(op >> 2) % 3];
        switch (op % 4) {
            case 0:
                r.Press(p);
                pressed = hover = p;
                FUZZ_CHECK(r.NextDelay() == SpinRepeatFirstDelayMs);
                break;
            case 1:
                r.PointerOver(p);
                hover = p;
                break;
            case 2: {
                const TSpinPart fired = r.Timer();
                FUZZ_CHECK(fired == (pressed != TSpinPart::None && hover == pressed ? pressed : TSpinPart::None));
                if (pressed != TSpinPart::None) FUZZ_CHECK(r.NextDelay() == SpinRepeatIntervalMs);
                break;
            }
            default:
                r.Release();
                pressed = hover = TSpinPart::None;
                FUZZ_CHECK(r.NextDelay() == SpinRepeatFirstDelayMs);
                break;
        }
        FUZZ_CHECK(r.Pressed() == pressed);
        FUZZ_CHECK(r.Paused() == (pressed != TSpinPart::None && hover != pressed));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzInput in(data, size);
    if (in.Byte() % 2 == 0) {
        RunModel(in);
    } else {
        RunSpinButton(in);
    }
    return 0;
}
