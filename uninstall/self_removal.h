// The running program's own file and directory, which it cannot delete while it runs.
// Acting code.
#pragma once

// Two names of one file (or directory): the program may have been started by its short
// name (the group item) or its long one (the uninstall entry), so both sides are
// compared short.
bool SameFile(const char* first, const char* second);

// True when nothing of that name exists (any more).
bool FileGone(const char* path);

// Asks the system to delete `programPath` at the next restart, and `directory` (the
// program's directory, with or without its closing separator) after it when
// `withDirectory`: on Windows NT through MoveFileExA, looked up at run time since
// Windows 95 has only a failing stub of it; on Windows 95 through the [rename] section
// of wininit.ini, which deletes files only, so the directory stays there. Windows 3.x
// under Win32s has no such mechanism: both stay. 0 when the deletion was scheduled.
int RemoveAtRestart(const char* programPath, const char* directory, bool withDirectory);

// The last step of an uninstall, for a program that is about to end: on Windows NT and
// 95 a copy of the program in the temporary folder is started with the finishing
// command line (ComposeFinishCommand) and an inherited handle of this process; it
// removes the program and its directory as soon as this process has ended
// (FinishRemoval). When that cannot be set up, and always under Win32s, the program is
// left to RemoveAtRestart, with its directory when nothing else is left in it. The
// caller must end at once: the copy waits for it.
void RemoveAfterExit(const char* programPath);

// The finishing copy's work, `copyPath` being its own file and `commandLine` its whole
// command line: when the copy runs from the temporary folder, it asks for its own
// deletion at the next restart; it waits for the process of the inherited handle to
// end, then deletes the program the line names, but only when that file holds exactly
// the bytes of `copyPath` and is not `copyPath` itself, then that file's own directory
// when it is empty (RemoveDirectoryA removes nothing else); a program still held after
// a short while goes to RemoveAtRestart instead. Shows nothing. 0 when the
// program's file is gone; -1 when the arguments are refused (nothing is done then),
// the file is another one, or it is left to the restart.
int FinishRemoval(const char* copyPath, const char* commandLine);
