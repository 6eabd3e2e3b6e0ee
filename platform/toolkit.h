// A thin windowing toolkit over the Win32 API, one header per job:
// components, forms, drawing and the application object. Free of
// <windows.h>; handles are forward-declared.
#pragma once

#include "platform/application.h"
#include "platform/components.h"
#include "platform/drawing.h"
#include "platform/form.h"
