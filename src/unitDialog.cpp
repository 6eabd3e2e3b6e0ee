// placeholder until the message dialog lands
#include "src/unitDialog.h"
#include <windows.h>
int32_t AnswerDlgHelp(std::string Title, std::string Msg, std::vector<std::string>, uint8_t, bool, int32_t, std::string) {
    MessageBoxA(nullptr, Msg.c_str(), Title.c_str(), MB_OK);
    return 1;
}
int32_t AnswerDlg(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind) {
    return AnswerDlgHelp(Title, Msg, Buttons, IconKind, true, 0, "");
}
int32_t AnswerDlgEx(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind, bool SystemMenu) {
    return AnswerDlgHelp(Title, Msg, Buttons, IconKind, SystemMenu, 0, "");
}
