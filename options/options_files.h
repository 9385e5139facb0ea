// The installer variables' storage and the two options files (acting code).
#pragma once

// Allocates the two pointer blocks of the variable list (movable global memory,
// locked) and attaches them; the list is empty. 0, or -1 when memory is short.
int AllocateVariableList();
// Releases the blocks; the list is then empty. Safe to call when none are held.
void ReleaseVariableList();

// Appends the entries of "lmvropt.ini" next to the installer to the list.
// A file that is absent, empty or unreadable leaves the list as it is.
void LoadInstallerOptions();

// Writes the list as "lmvr.opt" into the install directory and records it, unless
// the list is empty or the file exists already. The file is written as "lmvr.new"
// and then renamed, so that "lmvr.opt" is only ever whole; a file whose writing
// fails is deleted and not recorded.
void WriteOptionsFile();
