#include <windows.h>

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
  // 0 completed, 1 left by the user, 2 ended by an error: for unattended runs.
  static const char* const kMeanings[] = {"completed", "left by the user", "ended by an error"};
  LogEvent("exit %d: %s", InstallExitStatus, kMeanings[InstallExitStatus]);
  return InstallExitStatus;
}
