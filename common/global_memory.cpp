#include "common/global_memory.h"

#include <windows.h>

void* AllocateLocked(size_t bytes) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (handle == nullptr) return nullptr;
  void* block = GlobalLock(handle);
  if (block == nullptr) GlobalFree(handle);
  return block;
}

void ReleaseLocked(void* block) {
  if (block == nullptr) return;
  HGLOBAL handle = GlobalHandle(block);
  GlobalUnlock(handle);
  GlobalFree(handle);
}
