// Pre-included (-include) into a build of the installer stub whose places of halt are
// compiled away, so that the benchmark can tell what they add to the shipped stub:
// there HaltHook is never set, and each place is the test of a null pointer.
#pragma once

#include "../common/halt_places.h"

// A place that does nothing, which the compiler drops whole; a function rather than an
// empty macro, so that what a place is given still counts as used.
inline void NoHaltPlace(const char*, long = -1) {}
#define HaltPlace NoHaltPlace
