// The Windows API as the platform layer's Windows files include it: without
// the rarely used parts (and their macros) that windows.h brings otherwise.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
