#include "spinLogic.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>

TSpinPart SpinPartAt(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0 || x < 0 || y < 0 || x >= width || y >= height) return TSpinPart::None;
    // y > height - (height / width) * x, in exact integers: a point on the
    // diagonal belongs to the upper part whatever the button's proportions.
    if (static_cast<int64_t>(y) * width > static_cast<int64_t>(height) * (width - x)) return TSpinPart::Lower;
    return TSpinPart::Upper;
}

void TSpinRepeat::Press(TSpinPart part) {
    pressed_ = part;
    hover_ = part;
    nextDelay_ = SpinRepeatFirstDelayMs;
}

void TSpinRepeat::PointerOver(TSpinPart part) { hover_ = part; }

TSpinPart TSpinRepeat::Timer() {
    if (pressed_ == TSpinPart::None) return TSpinPart::None;
    nextDelay_ = SpinRepeatIntervalMs;
    return hover_ == pressed_ ? pressed_ : TSpinPart::None;
}

void TSpinRepeat::Release() {
    pressed_ = TSpinPart::None;
    hover_ = TSpinPart::None;
    nextDelay_ = SpinRepeatFirstDelayMs;
}

namespace {

double Clamp(double v) {
    if (std::isnan(v)) return TSpinModel::MinValue;
    return std::clamp(v, TSpinModel::MinValue, TSpinModel::MaxValue);
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return false;
    }
    return true;
}

}  // namespace

TSpinModel::TSpinModel() : text_("1") {}

void TSpinModel::WriteText(double v) {
    // Whole numbers within the bounds only, so fixed notation without decimals is exact.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", std::round(Clamp(v)));
    text_ = buf;
}

bool TSpinModel::SetValue(double v) {
    WriteText(v);
    if (windowExists_ && !changing_) return TextChanged();
    return false;
}

double TSpinModel::Value() const {
    std::size_t i = 0;
    bool negative = false;
    if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) {
        negative = text_[i] == '-';
        ++i;
    }
    if (i == text_.size()) return std::round(MinValue);
    int64_t n = 0;
    for (; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c < '0' || c > '9') return std::round(MinValue);
        n = n * 10 + (c - '0');
        // Beyond the 32-bit range the text is not a number to the field either.
        if (n > static_cast<int64_t>(INT32_MAX) + 1) return std::round(MinValue);
    }
    if (negative) n = -n;
    if (n > INT32_MAX) return std::round(MinValue);
    return static_cast<double>(n);
}

bool TSpinModel::AcceptChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u < 32 || c == '+' || c == '-' || (c >= '0' && c <= '9');
}

bool TSpinModel::BoxEdited(const std::string& boxText) {
    const std::string before = text_;
    text_ = boxText.substr(0, MaxLength);
    if (text_ == before) return false;
    modified_ = true;
    return TextChanged();
}

bool TSpinModel::TextChanged() {
    if (!windowExists_ || changing_) return false;
    changing_ = true;
    const double v = Clamp(Value());
    WriteText(v);
    changing_ = false;
    if (v == lastReported_) return false;
    lastReported_ = v;
    ++changeCount_;
    return true;
}

bool TSpinModel::Step(double delta) {
    const std::string before = text_;
    changing_ = true;
    WriteText(Value() + delta);
    changing_ = false;
    if (SameTextIgnoringCase(before, text_)) return false;
    modified_ = true;
    return TextChanged();
}

bool TSpinModel::StepUp() { return Step(Increment); }

bool TSpinModel::StepDown() { return Step(-Increment); }

bool TSpinModel::WheelDelta(int delta) { return delta > 0 ? StepUp() : StepDown(); }

bool TSpinModel::Leave() { return SetValue(Value()); }

int TSpinModel::CaretAfterCheck(int caret, const std::string& text) {
    return std::clamp(caret, 0, static_cast<int>(text.size()));
}
