#include "common/exit_status.h"

#include "common/bounded_text.h"

namespace {

// The statuses with a meaning of their own, and their meanings in the same order,
// each ended by its NUL; then the meaning of every other status. Texts packed in one
// array, not a table of pointers, which the image would carry relocations for.
const int kStatuses[] = {kExitCompleted, kExitLeft, kExitFileHeld, kExitBadSwitch, kExitNoRoom, kExitBusy};
const char kMeanings[] =
    "completed\0left by the user\0a file is in use by a program\0a switch cannot be used\0"
    "not enough room on the drive\0another installation is running\0ended by an error";
// The errors that end a run with a status of their own: kErrorStatuses[i] is the
// status of the error whose key is the i-th text.
const char kErrorKeys[] = "errHeld\0noRoom\0busy";
const int kErrorStatuses[] = {kExitFileHeld, kExitNoRoom, kExitBusy};
const int kCount = sizeof kStatuses / sizeof kStatuses[0];

}  // namespace

int ExitStatusForError(const char* key) {
  for (int i = 0; i < (int)(sizeof kErrorStatuses / sizeof kErrorStatuses[0]); ++i) {
    if (TextEquals(PackedText(kErrorKeys, i), key)) return kErrorStatuses[i];
  }
  return kExitFailed;
}

const char* ExitStatusMeaning(int status) {
  int i = 0;
  while (i < kCount && kStatuses[i] != status) ++i;
  return PackedText(kMeanings, i);
}
