// Asking the shell to open a program or document.
#pragma once

#include <string>

namespace platform {

// Opens file with the "open" verb, with no owner window, shown normally,
// passing parameters and starting in folder (empty: the current folder).
// Whether anything started is not reported.
void ShellOpen(const std::string& file, const std::string& parameters, const std::string& folder);

}  // namespace platform
