// State of the transition-time spin field: whole numbers 1 to 5, step 1, one character.
#pragma once

#include <cstddef>
#include <string>

enum class TSpinPart { None, Upper, Lower };

// Part of a width x height diagonal spin button under (x, y): strictly below the line from the
// bottom-left to the top-right corner is the lower part, the rest of the button the upper part.
TSpinPart SpinPartAt(int x, int y, int width, int height);

// Auto-repeat while the spin button is held.
constexpr int SpinRepeatFirstDelayMs = 400;
constexpr int SpinRepeatIntervalMs = 100;

// Drives the auto-repeat of a held spin button from the widget's timer.
class TSpinRepeat {
public:
    // Left button pressed over part: the caller steps once at once for that part and starts
    // its timer with NextDelay().
    void Press(TSpinPart part);
    // The pointer moved; repetition pauses while it is not over the part first pressed.
    void PointerOver(TSpinPart part);
    // The timer fired: the part to step now (None when paused or not pressed). The timer is
    // then restarted with NextDelay().
    TSpinPart Timer();
    void Release();

    TSpinPart Pressed() const { return pressed_; }
    bool Paused() const { return pressed_ != TSpinPart::None && hover_ != pressed_; }
    int NextDelay() const { return nextDelay_; }

private:
    TSpinPart pressed_ = TSpinPart::None;
    TSpinPart hover_ = TSpinPart::None;
    int nextDelay_ = SpinRepeatFirstDelayMs;
};

// The field's text and value logic. Methods that may raise OnChange return whether they did;
// ChangeCount() counts all of them.
class TSpinModel {
public:
    static constexpr double MinValue = 1.0;
    static constexpr double MaxValue = 5.0;
    static constexpr double Increment = 1.0;
    static constexpr std::size_t MaxLength = 1;

    // As loaded from the layout: text "1", last reported value 1, no window yet.
    TSpinModel();

    // The field's window now exists (or no longer does); from then on text changes are checked.
    void SetWindowExists(bool exists) { windowExists_ = exists; }
    bool WindowExists() const { return windowExists_; }

    // Writes a value: clamped to the bounds, text rewritten. Runs the change check once the
    // window exists.
    bool SetValue(double v);
    // The text read as a decimal integer with optional sign; MinValue when it is not one.
    double Value() const;

    // The character filter: digits, '+', '-' and control characters pass; the rest beeps.
    static bool AcceptChar(char c);
    // The edit box's text changed (typed, deleted, pasted or cut: the box
    // itself edits it): the model takes it whole, cut to the length limit,
    // and runs the change check when it differs.
    bool BoxEdited(const std::string& boxText);
    // The change check, to run after the box's text changed.
    bool TextChanged();

    bool StepUp();
    bool StepDown();
    // One step per wheel message: positive distance up, otherwise down.
    bool WheelDelta(int delta);
    // Leaving the field writes the value again.
    bool Leave();

    const std::string& Text() const { return text_; }
    // Where the caret goes once the check has rewritten the text: where the
    // box had it, within the new text.
    static int CaretAfterCheck(int caret, const std::string& text);
    double LastReported() const { return lastReported_; }
    bool Modified() const { return modified_; }
    int ChangeCount() const { return changeCount_; }

private:
    void WriteText(double v);
    bool Step(double delta);

    std::string text_;
    double lastReported_ = 1.0;
    bool changing_ = false;
    bool windowExists_ = false;
    bool modified_ = false;
    int changeCount_ = 0;
};
