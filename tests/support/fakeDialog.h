// Host stand-in for the message dialog: records each call and answers with a set number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TDialogCall {
    std::string Title;
    std::string Msg;
    std::vector<std::string> Buttons;
    uint8_t IconKind = 0;
    bool SystemMenu = false;
    int32_t HelpButton = 0;
    std::string HelpFile;
};

// Calls since the last reset, oldest first.
const std::vector<TDialogCall>& FakeDialogCalls();
// Forgets the calls; later calls return answer.
void ResetFakeDialog(int32_t answer = 1);
