// Standard controls of the toolkit: label, bevel, push button, edit,
// drop-down list, check box and group box. Each is a Win32 control (or, for
// the bevel, a painted frame) that reads its stored layout.
#pragma once

#include <string>
#include <vector>

#include "platform/dialogKeys.h"
#include "platform/toolkit.h"

namespace tk {

// Text, auto-sized to its lines; may be transparent over what lies behind,
// styled (bold, underline), clickable with a hand cursor.
class TLabel : public TWinControl {
public:
    TLabel(TForm* owner, const std::string& name);
    ~TLabel() override;
    void Load(const TLayoutItem& item) override;
    void Create(Hwnd parent, int32_t left, int32_t top, const std::string& caption);
    void SetCaption(const std::string& caption);
    std::string Caption() const { return caption_; }
    // Text extent of a caption in this label's font (lines broken at CR).
    void SetAutoSize(bool on) { autoSize_ = on; }
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    // Keeps the size; form coordinates.
    void MoveTo(int32_t left, int32_t top);
    void SetVisible(bool visible);
    // Vertically centred text in a box taller than the text.
    void SetCentreVertically(bool on) { centreVertically_ = on; }
    void SetHandCursor(bool on) { handCursor_ = on; }
    void SetFontStyle(bool bold, bool underline);
    bool WindowMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) override;
    // Raised by a left-button press and release over the label.
    TNotifyEvent OnClick;
    int32_t TextWidth() const { return textWidth_; }
    int32_t TextHeight() const { return textHeight_; }
    // Paints what lies behind the label instead of the button face.
    void SetTransparent(bool on) { transparent_ = on; }

private:
    void Measure();
    void PaintLabel(Hdc dc);
    std::string caption_;
    bool autoSize_ = true;
    bool transparent_ = false;
    bool pressed_ = false;
    bool centreVertically_ = false;
    bool handCursor_ = false;
    Hfont ownFont_ = nullptr;
    int32_t textWidth_ = 0, textHeight_ = 0;
};

// A lowered box outline, painted by its form.
class TBevel : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    void Paint(Hdc dc, const TRect& clip) override;
};

class TButton : public TWinControl {
public:
    using TWinControl::TWinControl;
    void Load(const TLayoutItem& item) override;
    void Create(Hwnd parent, const TRect& bounds, const std::string& caption, int32_t tabOrder);
    void Command(uint32_t notifyCode) override;
    void Click();
    char Accelerator() const;
    TNotifyEvent OnClick;
    int32_t ModalResult = 0;

private:
    std::string caption_;
};

class TEdit : public TWinControl {
public:
    using TWinControl::TWinControl;
    void Load(const TLayoutItem& item) override;
    std::string Text() const;
    // Raises the change event only when the text differs from what is shown.
    void SetText(const std::string& text);
    // Binds typing and pasting only, not SetText.
    void SetMaxLength(int32_t length);
    void Command(uint32_t notifyCode) override;
    // Entering by keyboard selects the whole text; a click places the caret.
    bool WindowMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) override;
    TNotifyEvent OnChange;

private:
    bool clickEntering_ = false;
};

class TComboBox : public TWinControl {
public:
    using TWinControl::TWinControl;
    void Load(const TLayoutItem& item) override;
    int32_t ItemIndex() const;
    // An index outside the list leaves no selection; raises no change.
    void SetItemIndex(int32_t index);
    void Command(uint32_t notifyCode) override;
    TNotifyEvent OnChange;
};

class TCheckBox : public TWinControl {
public:
    using TWinControl::TWinControl;
    void Load(const TLayoutItem& item) override;
    bool Checked() const;
    // Raises the click event when the state changes, as a user's click does.
    void SetChecked(bool checked);
    void Command(uint32_t notifyCode) override;
    char Accelerator() const;
    TNotifyEvent OnClick;

private:
    std::string caption_;
};

// A framed box with a caption. The controls it frames are its siblings on
// the form, kept above it; it paints its own background.
class TGroupBox : public TWinControl {
public:
    using TWinControl::TWinControl;
    void Load(const TLayoutItem& item) override;
    bool IsContainer() const override { return true; }
    bool WindowMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) override;
    int32_t LeftInForm() const { return left_; }
    int32_t TopInForm() const { return top_; }

private:
    int32_t left_ = 0, top_ = 0;
};

// Stacks a stored control's window as the form draws: windowed controls over
// labels, labels over the group box they lie in. Each stored control calls it
// once its window exists.
void StackStoredControl(TForm* form, const TLayoutItem& item, TWinControl* control);
// Position of a stored control in its form's client area (group boxes add
// their own origin), scaled for the form's DPI.
TRect ControlBoundsInForm(TForm* form, const TLayoutItem& item);

// The control of form that holds the keyboard focus (or whose child does),
// nullptr when none does.
TWinControl* FocusedControl(const TForm* form);
// Gives the keyboard focus to the form's own window, so that its key
// handler sees the keys.
void FocusForm(TForm* form);

// Registers label, bevel, button, edit, comboBox, checkBox and groupBox.
void RegisterStandardControls();

}  // namespace tk
