// The copy dialog's percentage and bar, from the archive bytes read so far.
// Deciding code: no <windows.h>.
#pragma once
#include <stdint.h>

// The whole percentage of `archiveTotal` that `bytesRead` makes, 0 to 100. The
// count of bytes read includes the data-length fields that the total leaves out, so
// it can pass the total near the end: the result stays at 100 then. A total of 0
// gives 0.
long ProgressPercent(uint32_t bytesRead, uint32_t archiveTotal);

// The width of the copied share of a bar `width` wide, 0 to `width`, by the same rule.
int ProgressBarWidth(int width, uint32_t bytesRead, uint32_t archiveTotal);
