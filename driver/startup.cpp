#include "driver/startup.h"

#include "common/installer_instance.h"
#include "common/installer_state.h"
#include "driver/command_line.h"
#include "options/options_files.h"

char InstallerPath[kPathSize];
const char* InstallerArguments = "";

int StartInstaller(HINSTANCE instance, const char* commandLine) {
  InstallerInstance = instance;
  if (commandLine != nullptr) InstallerArguments = commandLine;
  if (AllocateVariableList() != 0) return -1;

  DWORD length = GetModuleFileNameA(instance, InstallerPath, kPathSize);
  if (length == 0 || length >= kPathSize) {
    // A path that was cut would name another directory: use none.
    InstallerDirectory[0] = '\0';
    InstallerPath[0] = '\0';
  } else {
    InstallerDirectoryFromPath(InstallerPath, InstallerDirectory, sizeof InstallerDirectory);
  }

  ScanCommandLine(commandLine, &AutoRun, &LanguageIndex, &LanguageChosen);
  return 0;
}
