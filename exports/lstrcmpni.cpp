#include "exports/exported_helpers.h"

namespace {
// Plain ASCII upper-casing: the installer never switches its character
// classification to another locale, so bytes above 0x7F stay as they are.
unsigned Fold(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }
}  // namespace

extern "C" int32_t LMVR_STDCALL lstrcmpni(const char* first, const char* second, uint32_t count) {
  uint32_t n = count & 0xFFFFu;
  const unsigned char* a = reinterpret_cast<const unsigned char*>(first);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(second);
  for (; n != 0; --n, ++a, ++b) {
    unsigned x = Fold(*a);
    unsigned y = Fold(*b);
    if (x < y) return -1;
    if (x > y) return 1;
    if (x == 0) return 0;  // both strings end here
  }
  return 0;
}
