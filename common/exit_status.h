// The exit statuses of the installer and of the uninstall, for the scripts and the
// deployment tools that run them unattended. 0, 1 and 2 are what they always were;
// each cause a deployment tool acts on by itself has a status of its own, the
// system's error code for it, above 2 so that "if errorlevel 2" still means failure.
// Deciding code: no <windows.h>.
#pragma once

enum ExitStatus {
  kExitCompleted = 0,
  kExitLeft = 1,         // the user left it
  kExitFailed = 2,       // any other error
  kExitFileHeld = 32,    // a program holds a file that must be replaced (ERROR_SHARING_VIOLATION)
  kExitBadSwitch = 87,   // a switch whose value cannot be used (ERROR_INVALID_PARAMETER)
  kExitNoRoom = 112,     // the drive has too little room (ERROR_DISK_FULL)
  kExitBusy = 1618,      // another installation or uninstall runs (ERROR_INSTALL_ALREADY_RUNNING)
};

// The status that the error of message key `key` ends a run with.
int ExitStatusForError(const char* key);

// What a status means, for the log's last line.
const char* ExitStatusMeaning(int status);
