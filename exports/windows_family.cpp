#include "exports/exported_helpers.h"

unsigned char WindowsFamilyCache = 0xFF;

uint32_t WindowsFamilyFromVersion(uint32_t version) {
  if ((version & 0x80000000u) == 0) return 2;  // Windows NT
  uint32_t major = version & 0xFFu;
  uint32_t minor = (version >> 8) & 0xFFu;
  // Windows 95 reports itself as 3.95 or 4.x; Win32s runs on 3.1x.
  if (major >= 4 || (major == 3 && minor >= 80)) return 1;
  return 0;
}
