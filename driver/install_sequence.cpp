#include "driver/install_sequence.h"

#include <windows.h>

#include "driver/installer_state.h"
#include "options/install_path.h"
#include "options/installer_variables.h"
#include "options/options_files.h"

void InstallSequence() {
  LoadInstallerOptions();
  if (CreateInstallPath() != 0) return;
  AddLanguageVariable();
  WriteOptionsFile();
}
