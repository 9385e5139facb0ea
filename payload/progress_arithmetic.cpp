#include "payload/progress_arithmetic.h"

namespace {

// part * scale / total, with a 64-bit product so that archives above 20 MB (where
// bytes read times 100 passes 2^31) still divide right, and clamped to scale.
// The product is divided bit by bit rather than with the 64-bit division operator:
// on the 32-bit image that operator is a call into libgcc, whose division routines
// bring unwind tables and a whole file-aligned section into an installer that never
// unwinds. The remainder stays below `total`, so its doubling fits in 64 bits.
int64_t ShareOf(int64_t scale, uint32_t part, uint32_t total) {
  if (total == 0 || scale <= 0) return 0;
  uint64_t product = (uint64_t)scale * part, quotient = 0, remainder = 0;
  for (int bit = 63; bit >= 0; --bit) {
    remainder = (remainder << 1) | ((product >> bit) & 1);
    quotient <<= 1;
    if (remainder >= total) {
      remainder -= total;
      quotient |= 1;
    }
  }
  return quotient > (uint64_t)scale ? scale : (int64_t)quotient;
}

}  // namespace

long ProgressPercent(uint32_t bytesRead, uint32_t archiveTotal) {
  return (long)ShareOf(100, bytesRead, archiveTotal);
}

int ProgressBarWidth(int width, uint32_t bytesRead, uint32_t archiveTotal) {
  return (int)ShareOf(width, bytesRead, archiveTotal);
}
