#include "tests/support/fakeDialog.h"

#include <utility>

#include "src/unitDialog.h"

namespace {

std::vector<TDialogCall> Calls;
int32_t Answer = 1;

}  // namespace

const std::vector<TDialogCall>& FakeDialogCalls() { return Calls; }

void ResetFakeDialog(int32_t answer) {
    Calls.clear();
    Answer = answer;
}

int32_t AnswerDlgHelp(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind,
                      bool SystemMenu, int32_t HelpButton, std::string HelpFile) {
    TDialogCall call;
    call.Title = std::move(Title);
    call.Msg = std::move(Msg);
    call.Buttons = std::move(Buttons);
    call.IconKind = IconKind;
    call.SystemMenu = SystemMenu;
    call.HelpButton = HelpButton;
    call.HelpFile = std::move(HelpFile);
    Calls.push_back(std::move(call));
    return Answer;
}

int32_t AnswerDlg(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind) {
    return AnswerDlgHelp(std::move(Title), std::move(Msg), std::move(Buttons), IconKind, true, 0, std::string());
}

int32_t AnswerDlgEx(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind,
                    bool SystemMenu) {
    return AnswerDlgHelp(std::move(Title), std::move(Msg), std::move(Buttons), IconKind, SystemMenu, 0, std::string());
}
