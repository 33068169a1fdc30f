// The one place that decides where the Win32 API comes from: the real <windows.h> on Windows,
// the simulated subset in sim/win32/ everywhere else. Product code calls the API by its real
// names through this header and nothing else.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include "windows_api.h"
#endif
