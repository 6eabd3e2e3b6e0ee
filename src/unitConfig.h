// The configuration dialog: edits the six stored settings, shows the About
// box and opens the maker's web pages and a mail to the maker.
#pragma once

#include <cstdint>
#include <string>

#include "platform/stdControls.h"
#include "src/configLogic.h"
#include "platform/toolkit.h"
#include "widgets/JvGradient.h"
#include "widgets/JvSpinEdit.h"

class TfrmConfig : public tk::TForm {
public:
    TfrmConfig();
    ~TfrmConfig() override;

    TJvGradient* JvGradient1 = nullptr;
    tk::TGroupBox* GroupBox1 = nullptr;
    tk::TComboBox* cbCoverArea = nullptr;
    TJvSpinEdit* seTransitionTime = nullptr;
    tk::TComboBox* cbMovementType = nullptr;
    tk::TCheckBox* cbDrawBorders = nullptr;
    tk::TEdit* edTextLine1 = nullptr;
    tk::TEdit* edTextLine2 = nullptr;
    tk::TButton* btnOK = nullptr;
    tk::TButton* btnCancel = nullptr;
    tk::TButton* btnApply = nullptr;
    tk::TButton* btnHelp = nullptr;
    tk::TButton* btnOrder = nullptr;
    tk::TLabel* labMail1 = nullptr;
    tk::TLabel* labURL1 = nullptr;
    tk::TLabel* labURL2 = nullptr;
    tk::TLabel* labManaged = nullptr;
    tk::TLabel* labLocks = nullptr;
    tk::TLabel* labWindowsStarts = nullptr;

    void FormCreate(tk::TComponent* sender);
    void FormDestroy(tk::TComponent* sender);
    void OnAnyChange(tk::TComponent* sender);
    void btnApplyClick(tk::TComponent* sender);
    void btnOKClick(tk::TComponent* sender);
    void btnCancelClick(tk::TComponent* sender);
    void OnKeyPressAnywhere(tk::TComponent* sender, char& key);

    void btnHelpClick(tk::TComponent* sender);
    // Opens "http://" followed by address (a host name, optionally a path).
    void BrowseHTTP(const std::string& address);
    // Opens a new message to address in the user's mail program.
    void SendSMTP(const std::string& address, const std::string& subject, const std::string& body);
    void labMail1Click(tk::TComponent* sender);
    void labURL1Click(tk::TComponent* sender);
    void labURL2Click(tk::TComponent* sender);
    void btnOrderClick(tk::TComponent* sender);

protected:
    void ComponentsCreated() override;
    bool FormMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) override;

private:
    // Enforced settings show their value in controls the user cannot reach.
    void LockEnforcedControls();
    // The lines on managed settings and on the lock after the saver.
    void ShowNotices();

    tk::TWinControl* lastFocused_ = nullptr;
    // What the controls showed once loaded: an untouched recommendation stays one.
    TConfigControls loaded_{};
};

extern TfrmConfig* frmConfig;

// The About box's text: six paragraphs separated by an empty line, lines
// broken by carriage returns.
extern const char* const kAboutText;
