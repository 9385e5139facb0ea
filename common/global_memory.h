// Movable global memory, locked for its whole life: how the installer takes every
// block it needs (acting code).
#pragma once
#include <stddef.h>

// A locked block of `bytes`, or nullptr when memory is short.
void* AllocateLocked(size_t bytes);
// Unlocks and frees a block from AllocateLocked, through the handle of the pointer.
// Does nothing for nullptr.
void ReleaseLocked(void* block);
