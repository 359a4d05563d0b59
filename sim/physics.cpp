#include "sim/host.h"
