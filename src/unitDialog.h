// Modal message dialog built at run time: optional system icon, a message, a column of buttons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Returns the 1-based number of the button that closed the dialog (top first), 0 when cancelled.
// IconKind: 0 none, 1 information, 2 question, 3 warning, 4 error.
// HelpButton: 1-based number of the button that opens HelpFile in the help viewer, 0 for none.
int32_t AnswerDlgHelp(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind,
                      bool SystemMenu, int32_t HelpButton, std::string HelpFile);

// With the system menu, no help button.
int32_t AnswerDlg(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind);

// No help button.
int32_t AnswerDlgEx(std::string Title, std::string Msg, std::vector<std::string> Buttons, uint8_t IconKind,
                    bool SystemMenu);
