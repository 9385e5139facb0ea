#include <windows.h>

#include "common/exit_status.h"
#include "common/install_log.h"
#include "text/message_catalogue.h"

int ErrorExitStatus = kExitFailed;

// Every error box goes to the log with its text; with "sNoBoxes" the log is all
// that shows it, and nobody is left to wait for a click.
void ShowErrorText(const char* key, const char* text) {
  ErrorExitStatus = ExitStatusForError(key);
  LogEvent(NoErrorBoxes ? "error, no box: %s" : "error box: %s", text);
  if (!NoErrorBoxes) MessageBoxA(nullptr, text, LookupMessage("err"), MB_OK);
}

void ShowErrorBox(const char* key) { ShowErrorText(key, LookupMessage(key)); }
