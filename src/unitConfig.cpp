#include "src/unitConfig.h"

#include <stdexcept>
#include <vector>

#include "makerContact.h"
#include "platform/hostWindows.h"
#include "platform/monitors.h"
#include "platform/messages.h"
#include "platform/sharedMemory.h"
#include "platform/shell.h"
#include "src/cfgSources.h"
#include "src/configLogic.h"
#include "src/kestrane.h"
#include "src/unitDialog.h"
#include "src/unitParams.h"
#include "src/unitRegistry.h"

TfrmConfig* frmConfig = nullptr;

const char* const kAboutText =
    "If you cannot turn on a typical screen saver because\r"
    "operator has to observe what is going on even when\r"
    "there is no need to interact with either a keyboard or\r"
    "a mouse, yet you want to protect your screens from a\r"
    "burn-in effect (so called \"ghosting\"), try this one."
    "\r\r"
    "This screen saver covers just a part of your screen(s)\r"
    "at a time, enabling operator easily monitoring all vital\r"
    "information while screen saver is actually running."
    "\r\r"
    "According to our experience, occasional blanking of\r"
    "screen portions appears to be enough to prevent\r"
    "permanent damage of both CRT and LCD monitors."
    "\r\r"
    "This screen saver is free of charge. You may pass it\r"
    "on to others and use it in any way you like, as long\r"
    "as neither its installation program nor any of the\r"
    "files it contains is modified in any way."
    "\r\r"
    "A version customised with your company logo and\r"
    "contact information can be ordered online. It is\r"
    "free of charge as well: there are no licence fees\r"
    "to pay, only a single customisation fee for putting\r"
    "your own logo and details into the screen saver."
    "\r\r"
    "Copyright (c) 2006 Varnel Control Systems.\r"
    "All rights reserved.";

namespace {

// The window the dialog is shown over (configuration mode only), and the
// screen rectangle of that window's parent.
uint32_t ParentWnd = 0;
TRect R;

constexpr char kEsc = 27;
constexpr char kEnter = 13;
// The notice lines under the buttons, in 96-DPI pixels.
constexpr int32_t kNoticeLeft = 16;
constexpr int32_t kNoticeTop = 252;
constexpr int32_t kNoticeLine = 16;

void RegisterWidgetKinds() {
    static bool registered = false;
    if (registered) return;
    RegisterJvGradient();
    RegisterJvSpinEdit();
    registered = true;
}

template <class T>
T* Find(tk::TForm* form, const char* name) {
    T* component = dynamic_cast<T*>(form->FindComponent(name));
    if (component == nullptr) throw std::runtime_error(std::string("The configuration layout lacks ") + name);
    return component;
}

tk::Hwnd HostParent() { return platform::ParentOfWindow(platform::WindowFromHandle32(ParentWnd)); }

}  // namespace

TfrmConfig::TfrmConfig() : tk::TForm("FRMCONFIG") {
    RegisterWidgetKinds();
    RegisterHandler("FormCreate", [this](tk::TComponent* s) { FormCreate(s); });
    RegisterHandler("FormDestroy", [this](tk::TComponent* s) { FormDestroy(s); });
    RegisterHandler("OnAnyChange", [this](tk::TComponent* s) { OnAnyChange(s); });
    RegisterHandler("btnApplyClick", [this](tk::TComponent* s) { btnApplyClick(s); });
    RegisterHandler("btnOKClick", [this](tk::TComponent* s) { btnOKClick(s); });
    RegisterHandler("btnCancelClick", [this](tk::TComponent* s) { btnCancelClick(s); });
    RegisterHandler("btnHelpClick", [this](tk::TComponent* s) { btnHelpClick(s); });
    RegisterHandler("btnOrderClick", [this](tk::TComponent* s) { btnOrderClick(s); });
    RegisterHandler("labMail1Click", [this](tk::TComponent* s) { labMail1Click(s); });
    RegisterHandler("labURL1Click", [this](tk::TComponent* s) { labURL1Click(s); });
    RegisterHandler("labURL2Click", [this](tk::TComponent* s) { labURL2Click(s); });
    RegisterKeyHandler("OnKeyPressAnywhere", [this](tk::TComponent* s, char& key) { OnKeyPressAnywhere(s, key); });
}

TfrmConfig::~TfrmConfig() {
    // The destruction handler runs here, while the dialog is still whole.
    tk::TNotifyEvent destroyHandler = std::move(OnDestroy);
    OnDestroy = nullptr;
    try {
        if (destroyHandler) destroyHandler(nullptr);
    } catch (const std::exception& e) {
        tk::HandleException(e.what());
    } catch (...) {
    }
}

void TfrmConfig::ComponentsCreated() {
    JvGradient1 = Find<TJvGradient>(this, "JvGradient1");
    GroupBox1 = Find<tk::TGroupBox>(this, "GroupBox1");
    cbCoverArea = Find<tk::TComboBox>(this, "cbCoverArea");
    seTransitionTime = Find<TJvSpinEdit>(this, "seTransitionTime");
    cbMovementType = Find<tk::TComboBox>(this, "cbMovementType");
    cbDrawBorders = Find<tk::TCheckBox>(this, "cbDrawBorders");
    edTextLine1 = Find<tk::TEdit>(this, "edTextLine1");
    edTextLine2 = Find<tk::TEdit>(this, "edTextLine2");
    btnOK = Find<tk::TButton>(this, "btnOK");
    btnCancel = Find<tk::TButton>(this, "btnCancel");
    btnApply = Find<tk::TButton>(this, "btnApply");
    btnHelp = Find<tk::TButton>(this, "btnHelp");
    btnOrder = Find<tk::TButton>(this, "btnOrder");
    labMail1 = Find<tk::TLabel>(this, "labMail1");
    labURL1 = Find<tk::TLabel>(this, "labURL1");
    labURL2 = Find<tk::TLabel>(this, "labURL2");
    labManaged = Find<tk::TLabel>(this, "labManaged");
    labLocks = Find<tk::TLabel>(this, "labLocks");
    labWindowsStarts = Find<tk::TLabel>(this, "labWindowsStarts");
}

bool TfrmConfig::FormMessage(uint32_t msg, uint64_t wParam, int64_t, int64_t& result) {
    if (msg != kWmActivate) return false;
    if ((wParam & 0xFFFF) == kWaInactive) {
        lastFocused_ = tk::FocusedControl(this);
        return false;
    }
    // On activation the focus goes back where it was, or to the first
    // control, rather than to the form's own window.
    if (lastFocused_ != nullptr && lastFocused_->Enabled()) {
        lastFocused_->SetFocus();
    } else {
        FocusFirst();
    }
    if (tk::FocusedControl(this) == nullptr) tk::FocusForm(this);
    result = 0;
    return true;
}

void TfrmConfig::FormCreate(tk::TComponent*) {
    SetCaption(std::string(kApplicationTitle) + " Configuration");

    // The controls show what the settings give them; Apply ends in the
    // state the loading's change notifications leave, which the logic
    // decides from the settings alone.
    loaded_ = ControlsFromCfg(Cfg, CfgSources);
    cbCoverArea->SetItemIndex(loaded_.CoverIndex);
    seTransitionTime->SetValue(loaded_.TransitionValue);
    cbMovementType->SetItemIndex(loaded_.MovementIndex);
    cbDrawBorders->SetChecked(loaded_.Borders);
    edTextLine1->SetText(loaded_.Line1);
    edTextLine2->SetText(loaded_.Line2);
    btnApply->SetEnabled(ApplyEnabledAfterLoad(Cfg, CfgSources));
    LockEnforcedControls();
    ShowNotices();

    if (Mode == "C") ParentWnd = TargetWnd;
    if (ParentWnd != 0) {
        tk::Hwnd parent = HostParent();
        platform::EnableHostWindow(parent, false);
        platform::TryGetWindowRect(parent, R);  // leaves R as it was on failure
        const int32_t width = Width();
        const int32_t height = Height();
        // The work area of the monitor the host lies on, so that the dialog opens there.
        TPoint pos = CentreAndClamp(R, width, height, platform::WorkAreaFor(R));
        SetBounds(pos.X, pos.Y, width, height);
    }
}

void TfrmConfig::LockEnforcedControls() {
    tk::TWinControl* controls[kDialogSettingCount] = {cbCoverArea,   seTransitionTime, cbMovementType,
                                                      cbDrawBorders, edTextLine1,      edTextLine2};
    for (int setting = 0; setting < kDialogSettingCount; ++setting) {
        if (CfgSources.Enforced(setting)) controls[setting]->SetEnabled(false);
    }
}

void TfrmConfig::ShowNotices() {
    std::vector<tk::TLabel*> shown;
    if (CfgSources.AnyEnforced()) shown.push_back(labManaged);
    if (ScreenSaverIsSecure()) shown.push_back(labLocks);
    // Windows may run the saver it starts on a desktop of its own, without the displays.
    if (WindowsStartsProgram(platform::OwnModulePath())) shown.push_back(labWindowsStarts);
    if (shown.empty()) return;
    // The lines go under the buttons, and the dialog grows for them.
    for (size_t i = 0; i < shown.size(); ++i) {
        shown[i]->MoveTo(Scale(kNoticeLeft), Scale(kNoticeTop + kNoticeLine * static_cast<int32_t>(i)));
        shown[i]->SetVisible(true);
    }
    const int32_t grow = Scale(kNoticeLine) * static_cast<int32_t>(shown.size());
    const int32_t height = ClientHeight() + grow;
    SetClientSize(ClientWidth(), height);
    JvGradient1->SetBounds(JvGradient1->Left(), 0, JvGradient1->Width(), height);
}

void TfrmConfig::FormDestroy(tk::TComponent*) {
    if (ParentWnd == 0) return;
    tk::Hwnd parent = HostParent();
    platform::EnableHostWindow(parent, true);
    platform::BringToForeground(parent);
}

namespace {

TConfigControls ReadControls(const TfrmConfig& form) {
    return TConfigControls{form.cbCoverArea->ItemIndex(),    form.seTransitionTime->Value(),
                           form.cbMovementType->ItemIndex(), form.cbDrawBorders->Checked(),
                           form.edTextLine1->Text(),         form.edTextLine2->Text()};
}

}  // namespace

void TfrmConfig::OnAnyChange(tk::TComponent*) {
    if (btnApply == nullptr) return;  // still being built
    btnApply->SetEnabled(ControlsDifferFromCfg(ReadControls(*this), Cfg, CfgSources));
}

void TfrmConfig::btnApplyClick(tk::TComponent*) {
    const bool hadFocus = tk::FocusedControl(this) == btnApply;
    btnApply->SetEnabled(false);
    // A disabled button cannot keep the focus; the form hands it on to a
    // control (the one focused before, or its first).
    if (hadFocus) tk::FocusForm(this);
    const TConfigControls controls = ReadControls(*this);
    TakeChangedRecommendations(controls, loaded_, CfgSources);
    Cfg = ApplyControls(controls, Cfg, CfgSources);
    SaveCfg();
}

void TfrmConfig::btnOKClick(tk::TComponent* sender) {
    btnApplyClick(sender);
    tk::Application.Terminate();
}

void TfrmConfig::btnCancelClick(tk::TComponent*) { tk::Application.Terminate(); }

void TfrmConfig::OnKeyPressAnywhere(tk::TComponent* sender, char& key) {
    if (key == kEsc) {
        btnCancelClick(sender);
        key = 0;
    } else if (key == kEnter) {
        // On a push button Enter presses that button.
        if (dynamic_cast<tk::TButton*>(sender) != nullptr) return;
        btnOKClick(sender);
        key = 0;
    }
}

void TfrmConfig::btnHelpClick(tk::TComponent*) {
    const std::string caption = "About " + std::string(kApplicationTitle) + " " + Cfg.Version + "...";
    int32_t answer = AnswerDlgEx(caption, kAboutText, {"&Close", "&More info", "&Order now!"}, 1, true);
    if (answer == 2) {
        BrowseHTTP(kProductPage);
    } else if (answer == 3) {
        BrowseHTTP(kOrderPage);
    }
}

void TfrmConfig::BrowseHTTP(const std::string& address) {
    platform::ShellOpen(Handle(), "http://" + address, "", "", platform::kShowNormal);
}

void TfrmConfig::SendSMTP(const std::string& address, const std::string& subject, const std::string& body) {
    platform::ShellOpen(Handle(), "mailto:" + address + "?Subject=" + subject + "&Body=" + body, "", "",
                        platform::kShowNormal);
}

void TfrmConfig::labMail1Click(tk::TComponent*) {
    SendSMTP(kMakerMail, kApplicationTitle, "Please enter your message here...");
}

void TfrmConfig::labURL1Click(tk::TComponent*) { BrowseHTTP(kMakerSite); }

void TfrmConfig::labURL2Click(tk::TComponent*) { BrowseHTTP(kMakerSite2); }

void TfrmConfig::btnOrderClick(tk::TComponent*) { BrowseHTTP(kOrderPage); }
