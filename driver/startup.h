// Start-up: the module instance and the process-wide state every step relies on.
#pragma once
#include <windows.h>

#include "common/installer_state.h"

// The installer's own path ("" when it did not fit) and its arguments, as start-up
// found them: the log names them.
extern char InstallerPath[kPathSize];
extern const char* InstallerArguments;

// "-silent": unattended as "sSilent" and "sNoBoxes" make it, and the installed program
// is not started at the end (a deployment tool's run has nobody to look at it).
extern bool SilentSwitch;
// The first switch whose value cannot be used ("-dir=", ...) and what is wrong with
// it; nullptr when every switch given can be used. The run then ends before it writes
// anything.
extern const char* BadSwitch;
extern int BadSwitchProblem;

// Stores the instance, allocates the variable list, computes InstallerDirectory and
// reads the command-line switches. 0, or -1 when the variable list cannot be had.
int StartInstaller(HINSTANCE instance, const char* commandLine);
