// The shell's "open" operation.
#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

void ShellOpen(tk::Hwnd ownerWindow, const std::string& file, const std::string& parameters, const std::string& folder,
               int32_t showCommand) {
    ShellExecuteA(ownerWindow, "open", file.c_str(), parameters.c_str(), folder.c_str(), showCommand);
}

}  // namespace platform
