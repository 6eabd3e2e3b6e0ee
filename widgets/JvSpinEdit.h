// The transition-time field: a one-line edit box for a whole number with a
// square spin button at its right end, divided along its diagonal.
#pragma once

#include <cstdint>
#include <string>

#include "platform/toolkit.h"
#include "widgets/spinLogic.h"

class TJvSpinEdit : public tk::TWinControl {
public:
    TJvSpinEdit(tk::TForm* owner, const std::string& name);
    ~TJvSpinEdit() override;
    // Stored properties: position, tabOrder, onChange, onKeyPress. The
    // bounds, step and text limit are those of TSpinModel.
    void Load(const TLayoutItem& item) override;

    double Value() const { return model_.Value(); }
    // Clamped to the bounds; reports a change only once the field has been
    // shown (a value written while the form is being built is not a change).
    void SetValue(double value);
    std::string Text() const { return model_.Text(); }

    tk::TNotifyEvent OnChange;

    bool WantsArrows() const override { return true; }
    bool WindowMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) override;
    // Messages of the edit box inside the field.
    bool EditMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result);
    tk::Hwnd EditHandle() const { return edit_; }

private:
    void MarkShown(bool force);
    void Report(bool changed);
    // Takes the box's text after an edit by the user and runs the change check.
    void TextEdited();
    // Puts the model's text into the box (no change check), caret at caret.
    void ShowText(int32_t caret);
    void Step(bool up);
    void PlaceEdit();
    void PaintButton(tk::Hdc dc);
    TRect ButtonRect() const;
    TSpinPart PartAt(int32_t x, int32_t y) const;
    void PressButton(int32_t x, int32_t y);
    void ReleaseButton();

    TSpinModel model_;
    TSpinRepeat repeat_;
    tk::Hwnd edit_ = nullptr;
    bool shown_ = false;
    bool updating_ = false;
    bool clickEntering_ = false;
};

// Makes the layout kind "spinEdit" create a TJvSpinEdit.
void RegisterJvSpinEdit();
