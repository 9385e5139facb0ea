// Start-up: the module instance and the process-wide state every step relies on.
#pragma once
#include <windows.h>

// Stores the instance, allocates the variable list, computes InstallerDirectory and
// reads the command-line switches. 0, or -1 when the variable list cannot be had.
int StartInstaller(HINSTANCE instance, const char* commandLine);
