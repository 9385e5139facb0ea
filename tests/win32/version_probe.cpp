// Prints what DetectWindows answers in a fresh process, and the raw GetVersion.
#include <windows.h>

#include <cstdio>

#include "exports/exported_helpers.h"

int main() {
  std::printf("family=%u version=%08lx\n", (unsigned)DetectWindows(), (unsigned long)GetVersion());
  return 0;
}
