// Start-up: the module instance and the process-wide state every step relies on.
#pragma once
#include <windows.h>

#include "common/installer_state.h"

// The installer's own path ("" when it did not fit) and its arguments, as start-up
// found them: the log names them.
extern char InstallerPath[kPathSize];
extern const char* InstallerArguments;

// Stores the instance, allocates the variable list, computes InstallerDirectory and
// reads the command-line switches. 0, or -1 when the variable list cannot be had.
int StartInstaller(HINSTANCE instance, const char* commandLine);
