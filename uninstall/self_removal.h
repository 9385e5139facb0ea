// The running program's own file and directory, which it cannot delete while it runs.
// Acting code.
#pragma once

// Asks the system to delete `programPath` at the next restart, and `directory` (the
// program's directory, with or without its closing separator) after it when
// `withDirectory`: on Windows NT through MoveFileExA, looked up at run time since
// Windows 95 has only a failing stub of it; on Windows 95 through the [rename] section
// of wininit.ini, which deletes files only, so the directory stays there. Windows 3.x
// under Win32s has no such mechanism: both stay. 0 when the deletion was scheduled.
int RemoveAtRestart(const char* programPath, const char* directory, bool withDirectory);
