// Pre-included (-include) into a build of the installer stub whose places of halt are
// compiled away, so that the benchmark can tell what they add to the shipped stub:
// there HaltHook is never set, and each place is the test of a null pointer.
#pragma once

#include "../common/halt_places.h"

#define HaltPlace(...) ((void)0)
