#include <windows.h>

#include "common/exit_status.h"
#include "common/install_log.h"
#include "driver/install_sequence.h"
#include "driver/startup.h"
#include "text/message_catalogue.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int) {
  // A 32-bit program never has a previous instance.
  if (previous != nullptr) return kInstallLeft;
  if (StartInstaller(instance, commandLine) != 0) {
    ShowErrorBox("noMem");
    return kInstallFailed;
  }
  InstallSequence();
  // A failure ends with the status of the error that ended it, for unattended runs.
  int status = InstallExitStatus == kInstallFailed ? ErrorExitStatus : InstallExitStatus;
  LogEvent("exit %d: %s", status, ExitStatusMeaning(status));
  return status;
}
