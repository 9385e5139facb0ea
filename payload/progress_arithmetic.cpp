#include "payload/progress_arithmetic.h"

namespace {

// part * scale / total, with a 64-bit product so that archives above 20 MB (where
// bytes read times 100 passes 2^31) still divide right, and clamped to scale.
int64_t ShareOf(int64_t scale, uint32_t part, uint32_t total) {
  if (total == 0 || scale <= 0) return 0;
  int64_t share = scale * (int64_t)part / (int64_t)total;
  return share > scale ? scale : share;
}

}  // namespace

long ProgressPercent(uint32_t bytesRead, uint32_t archiveTotal) {
  return (long)ShareOf(100, bytesRead, archiveTotal);
}

int ProgressBarWidth(int width, uint32_t bytesRead, uint32_t archiveTotal) {
  return (int)ShareOf(width, bytesRead, archiveTotal);
}
