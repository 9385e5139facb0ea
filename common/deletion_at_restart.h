// Files deleted by the system at its next restart: what is left of a file that a
// running program holds, when neither the installer nor the uninstall may delete it
// now. Acting code.
#pragma once

// Windows NT: MoveFileExA with the restart flag, looked up at run time since Windows
// 95 has only a failing stub of it. 0 when the deletion was scheduled.
int DeleteAtRestartOnNt(const char* path);

// Windows 95: a "NUL=" line in the [rename] section of wininit.ini, which deletes
// files only. 0 when the deletion was scheduled.
int DeleteAtRestartOnWindows95(const char* path);
