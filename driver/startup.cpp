#include "driver/startup.h"

#include "common/installer_instance.h"
#include "common/installer_state.h"
#include "driver/command_line.h"
#include "options/options_files.h"
#include "text/message_catalogue.h"

int StartInstaller(HINSTANCE instance, const char* commandLine) {
  InstallerInstance = instance;
  LoadMessageTables();
  if (AllocateVariableList() != 0) return -1;

  char modulePath[kPathSize];
  DWORD length = GetModuleFileNameA(instance, modulePath, sizeof modulePath);
  if (length == 0 || length >= sizeof modulePath) {
    // A path that was cut would name another directory: use none.
    InstallerDirectory[0] = '\0';
  } else {
    InstallerDirectoryFromPath(modulePath, InstallerDirectory, sizeof InstallerDirectory);
  }

  ScanCommandLine(commandLine, &AutoRun, &LanguageIndex, &LanguageChosen);
  return 0;
}
