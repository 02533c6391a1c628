// Built only by the layer test, which expects this to fail: the platform
// layer cannot see the phases above it.
#include "platform.h"
#include "setup_list.h"
