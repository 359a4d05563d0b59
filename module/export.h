// The one macro that exports a symbol from the module; everything else is
// hidden.
#pragma once

#include "host/host_api.h"

#define MODULE_EXPORT DLLCLBK
