// The Windows API as the platform layer includes it: without the rarely used
// parts (and their macros) that windows.h brings otherwise.
#pragma once

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif
