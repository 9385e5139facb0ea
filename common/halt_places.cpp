#include "common/halt_places.h"

InstallHaltHook HaltHook = nullptr;
