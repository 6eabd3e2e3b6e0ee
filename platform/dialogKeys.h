// The dialog keys' rules of a form, free of any window system: which control
// an accelerator names and where Tab and the arrows move the focus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tk {

// The accelerator letter of a caption ("&OK" -> 'O'), 0 when none; "&&" is a
// literal ampersand.
char CaptionAccelerator(const std::string& caption);

// The first of the controls (their accelerators in tab order, 0 for none)
// that a typed character names, letter case aside; -1 when none does or the
// character is a blank or a control character.
int32_t AcceleratorTarget(const std::vector<char>& accelerators, char typed);

// Where the focus goes from current (-1 or out of range for none of them)
// among count controls in tab order, wrapping; -1 when there are none.
int32_t NextInTabOrder(int32_t current, int32_t count, bool forward);

}  // namespace tk
