#include <windows.h>

#include "exports/exported_helpers.h"

extern "C" uint32_t LMVR_STDCALL DetectWindows(void) {
  if (WindowsFamilyCache == 0xFF) {
    WindowsFamilyCache = (unsigned char)WindowsFamilyFromVersion(GetVersion());
  }
  return WindowsFamilyCache;
}
