// The message dialog: a form built at run time from its texts, shown
// modally and torn down before the call returns.
#include "src/unitDialog.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/monitors.h"
#include "platform/shell.h"
#include "platform/stdControls.h"
#include "platform/toolkit.h"
#include "src/dialogLayout.h"

// The dialog's answer button; the dialog attaches its handlers per button.
class TbtnAnswer : public tk::TButton {
public:
    using tk::TButton::TButton;
    void btnAnswerKeyPress(tk::TComponent* sender, char& key);
    void btnHelpClick(tk::TComponent* sender);
};

namespace {

const int32_t ModalCancel = 2;
const int32_t FirstAnswerResult = 101;
const char EscapeKey = 27;

// Module state: it serves one dialog at a time, and the button handlers
// reach the dialog through it.
std::unique_ptr<tk::TForm> DialogForm;
std::vector<TbtnAnswer*> AnswerButtons;
tk::TBevel* Frame = nullptr;
tk::TImage* IconImage = nullptr;
tk::TLabel* MessageLabel = nullptr;
std::string HelpPath;

// No stored layout: the form and its fixed parts are declared here, every
// size is set from the texts once they are measured.
std::string DialogLayoutText(bool systemMenu, bool withIcon) {
    std::string text =
        "form frmAnswerDlg caption=\"\" position=designed left=0 top=0 clientWidth=200 clientHeight=100"
        " borderStyle=dialog formStyle=stayOnTop color=btnFace font=\"MS Sans Serif\" fontHeight=11";
    text += systemMenu ? " borderIcons=systemMenu\n" : " borderIcons=\n";
    text += "bevel Frame left=8 top=8 width=0 height=0\n";
    if (withIcon) text += "image Image left=24 top=24 width=32 height=32\n";
    text += withIcon ? "label Label left=72 top=24 caption=\"\"\n" : "label Label left=24 top=24 caption=\"\"\n";
    return text;
}

void SetBounds(tk::TGraphicControl* control, const TRect32& r) { control->SetBounds(r.Left, r.Top, r.Width, r.Height); }

// Buttons in list order, then frame, image, label and the form itself.
void DestroyDialog() {
    if (DialogForm != nullptr) {
        for (TbtnAnswer*& button : AnswerButtons) {
            DialogForm->DestroyComponent(button);
            button = nullptr;
        }
        DialogForm->DestroyComponent(Frame);
        DialogForm->DestroyComponent(IconImage);
        DialogForm->DestroyComponent(MessageLabel);
    }
    Frame = nullptr;
    IconImage = nullptr;
    MessageLabel = nullptr;
    DialogForm.reset();
}

// Tears the dialog down on every way out of a call. A call made while
// another dialog is open gets a state of its own and hands the outer
// call's state back when it ends.
class TDialogCall {
public:
    TDialogCall() : nested_(DialogForm != nullptr) {
        if (!nested_) return;
        outerForm_ = std::move(DialogForm);
        outerButtons_ = std::move(AnswerButtons);
        AnswerButtons.clear();
        outerFrame_ = std::exchange(Frame, nullptr);
        outerImage_ = std::exchange(IconImage, nullptr);
        outerLabel_ = std::exchange(MessageLabel, nullptr);
        outerHelpPath_ = HelpPath;
    }
    ~TDialogCall() {
        DestroyDialog();
        if (!nested_) return;
        DialogForm = std::move(outerForm_);
        AnswerButtons = std::move(outerButtons_);
        Frame = outerFrame_;
        IconImage = outerImage_;
        MessageLabel = outerLabel_;
        HelpPath = std::move(outerHelpPath_);
    }
    TDialogCall(const TDialogCall&) = delete;
    TDialogCall& operator=(const TDialogCall&) = delete;

private:
    bool nested_;
    std::unique_ptr<tk::TForm> outerForm_;
    std::vector<TbtnAnswer*> outerButtons_;
    tk::TBevel* outerFrame_ = nullptr;
    tk::TImage* outerImage_ = nullptr;
    tk::TLabel* outerLabel_ = nullptr;
    std::string outerHelpPath_;
};

// Placed as a form without owner placed "owner form centre": over the
// application's main form while that is on screen, else on the screen.
void PlaceDialog(tk::TForm& form) {
    tk::TForm* main = tk::Application.MainForm();
    const bool overMain = main != nullptr && main != &form && main->Handle() != nullptr && main->Showing();
    TPoint at = ComputeDialogPosition(form.Width(), form.Height(), overMain, overMain ? main->Left() : 0,
                                      overMain ? main->Top() : 0, overMain ? main->Width() : 0,
                                      overMain ? main->Height() : 0, tk::ScreenWidth(), tk::ScreenHeight());
    // Centred over a main form near a screen edge, the box would put its
    // caption out of reach: it moves into the work area it mostly lies on.
    const TRect work = platform::WorkAreaFor(TRect{at.X, at.Y, at.X + form.Width(), at.Y + form.Height()});
    at = KeepInWorkArea(at, form.Width(), form.Height(), work);
    form.SetBounds(at.X, at.Y, form.Width(), form.Height());
}

}  // namespace

void TbtnAnswer::btnAnswerKeyPress(tk::TComponent*, char& key) {
    if (key == EscapeKey && DialogForm != nullptr) DialogForm->SetModalResult(ModalCancel);
}

void TbtnAnswer::btnHelpClick(tk::TComponent*) {
    platform::ShellOpen(nullptr, "HH.exe", HelpPath, HelpFolderOf(HelpPath), platform::kShowRestored);
}

int32_t AnswerDlgHelp(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind,
                      bool SystemMenu, int32_t HelpButton, std::string HelpFile) {
    // Without a button nothing could close the dialog.
    if (Buttons.empty()) return 0;
    TDialogCall call;

    HelpPath = HelpButton != 0 ? HelpFile : std::string();

    const bool withIcon = IconKind != 0;
    DialogForm = std::make_unique<tk::TForm>(DialogLayoutText(SystemMenu, withIcon));
    tk::TForm& form = *DialogForm;
    form.Create();
    Frame = dynamic_cast<tk::TBevel*>(form.FindComponent("Frame"));
    IconImage = withIcon ? dynamic_cast<tk::TImage*>(form.FindComponent("Image")) : nullptr;
    MessageLabel = dynamic_cast<tk::TLabel*>(form.FindComponent("Label"));
    if (Frame == nullptr || (withIcon && IconImage == nullptr) || MessageLabel == nullptr) {
        throw std::runtime_error("Message dialog: missing control");
    }
    MessageLabel->SetAutoSize(true);
    MessageLabel->SetCentreVertically(true);

    TDialogLayoutInput input;
    input.IconKind = IconKind;
    for (const std::string& caption : Buttons) {
        TSize extent = form.TextExtent(caption);
        input.CaptionExtents.push_back(TSize{extent.Width, extent.Height});
    }

    form.SetCaption(" " + Title);
    MessageLabel->SetCaption(Msg);
    input.MessageExtent = TSize{MessageLabel->TextWidth(), MessageLabel->TextHeight()};

    const TDialogLayout layout = ComputeDialogLayout(input);
    // The label keeps its text's size unless the button column is taller.
    MessageLabel->SetBounds(layout.Label.Left, layout.Label.Top, layout.Label.Width, layout.Label.Height);
    SetBounds(Frame, layout.Frame);
    form.SetClientSize(layout.ClientWidth, layout.ClientHeight);

    const size_t count = Buttons.size();
    AnswerButtons.assign(count, nullptr);

    if (IconImage != nullptr) {
        SetBounds(IconImage, layout.Icon);
        const int32_t iconId = IconResourceId(IconKind);
        if (iconId != 0) IconImage->SetIcon(tk::LoadSystemIcon(iconId));
    }

    for (size_t i = 0; i < count; ++i) {
        const int32_t index = static_cast<int32_t>(i);
        auto owned = std::make_unique<TbtnAnswer>(&form, std::string());
        TbtnAnswer* button = owned.get();
        form.InsertComponent(std::move(owned));
        AnswerButtons[i] = button;
        const TRect32& r = layout.Buttons[i];
        button->Create(form.Handle(), TRect{r.Left, r.Top, r.Left + r.Width, r.Top + r.Height}, Buttons[i], index);
        if (index + 1 == HelpButton) {
            button->OnClick = [button](tk::TComponent* sender) { button->btnHelpClick(sender); };
        } else {
            button->ModalResult = FirstAnswerResult + index;
        }
        if (SystemMenu) {
            button->OnKeyPress = [button](tk::TComponent* sender, char& key) {
                button->btnAnswerKeyPress(sender, key);
            };
        }
    }

    PlaceDialog(form);
    return ResultFromModal(form.ShowModal());
}

int32_t AnswerDlg(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind) {
    return AnswerDlgHelp(std::move(Title), std::move(Msg), std::move(Buttons), IconKind, true, 0, std::string());
}

int32_t AnswerDlgEx(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind,
                    bool SystemMenu) {
    return AnswerDlgHelp(std::move(Title), std::move(Msg), std::move(Buttons), IconKind, SystemMenu, 0, std::string());
}
