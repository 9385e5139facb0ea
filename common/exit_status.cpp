#include "common/exit_status.h"

#include "common/bounded_text.h"

namespace {

struct StatusCause {
  int status;
  const char* key;  // the error that has it; nullptr for those no error box shows
  const char* meaning;
};

const StatusCause kCauses[] = {
    {kExitCompleted, nullptr, "completed"},
    {kExitLeft, nullptr, "left by the user"},
    {kExitFileHeld, "errHeld", "a file is in use by a program"},
    {kExitBadSwitch, nullptr, "a switch cannot be used"},
    {kExitNoRoom, "noRoom", "not enough room on the drive"},
    {kExitBusy, "busy", "another installation is running"},
};

}  // namespace

int ExitStatusForError(const char* key) {
  for (const StatusCause& cause : kCauses) {
    if (cause.key != nullptr && TextEquals(cause.key, key)) return cause.status;
  }
  return kExitFailed;
}

const char* ExitStatusMeaning(int status) {
  for (const StatusCause& cause : kCauses) {
    if (cause.status == status) return cause.meaning;
  }
  return "ended by an error";
}
