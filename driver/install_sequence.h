// The order of a whole installation.
#pragma once

// What became of the installation: the installer's exit status, so that a script
// running it unattended can tell success from failure.
enum InstallOutcome {
  kInstallCompleted = 0,  // every step done (whether or not the program was started)
  kInstallLeft = 1,       // the user left it, or "sAssoc" said -1
  kInstallFailed = 2,     // an error, already shown in a box, ended it
};
extern int InstallExitStatus;

// Runs every step of the installation once, in order, and returns when it ends;
// InstallExitStatus then tells how.
void InstallSequence();
