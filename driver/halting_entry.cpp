// The entry point of install-halting.exe, the installer the end-to-end tests cut
// short: it ends the process at the place that LMVR_HALT_AT names ("copy:3" after the
// third file, "progman" inside the Program Manager conversation), the way the task
// list's "End task" does, without any of the installer's own code running after it.
#include <windows.h>

#include "common/bounded_text.h"
#include "common/halt_places.h"

extern "C" void WINAPI InstallerEntry();

namespace {

// The exit status of a halted run, which no way through the installer returns: the
// tests tell by it that the place was reached.
const UINT kHaltedStatus = 99;

void HaltWhereAsked(const char* place, long count) {
  char asked[40];
  DWORD length = GetEnvironmentVariableA("LMVR_HALT_AT", asked, sizeof asked);
  if (length == 0 || length >= sizeof asked) return;
  char here[40];
  if (count < 0) {
    CopyBounded(here, sizeof here, place);
  } else {
    FormatBounded(here, sizeof here, "%s:%ld", place, count);
  }
  if (TextEquals(asked, here)) TerminateProcess(GetCurrentProcess(), kHaltedStatus);
}

}  // namespace

extern "C" void WINAPI HaltingEntry() {
  HaltHook = HaltWhereAsked;
  InstallerEntry();
}
