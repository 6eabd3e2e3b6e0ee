#include "platform/shellOpen.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

void ShellOpen(const std::string& file, const std::string& parameters, const std::string& folder) {
    ShellExecuteA(nullptr, "open", file.c_str(), parameters.c_str(), folder.c_str(), SW_SHOWNORMAL);
}

}  // namespace platform
