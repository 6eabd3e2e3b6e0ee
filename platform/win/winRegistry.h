// The registry interface on advapi32; install it with SetRegistryApi(&WindowsRegistryApi()).
#pragma once

#include "platform/registry.h"

namespace platform {

IRegistryApi& WindowsRegistryApi();

}  // namespace platform
