// Creation of the install directory, level by level.
#pragma once
#include <stddef.h>

// Deciding part: the directory levels of a full path. Starting with *position 3
// (the drive root of "C:\" is never created), each call gives the length of the
// next prefix of `fullPath` to create and returns true; false when none is left.
// "\" and "/" both separate levels.
bool NextDirectoryLevel(const char* fullPath, size_t* position, size_t* prefixLength);

// The longest full path a file may have: OpenFile keeps the path in the 128 bytes of
// its OFSTRUCT, NUL included, and cannot create a file whose path is longer.
enum { kInstalledPathLimit = 127 };

// True when every path the installation writes below `fullDirectory` stays within
// that limit: the directory joined with the longer of `longestEntryPath` and
// "lmvr.opt" ("DEF.LMV" is recorded as the directory, "\" and its name, never longer).
bool InstalledPathsFit(const char* fullDirectory, size_t longestEntryPath);

// Cuts the last level of `path`, a directory ending in "\" or "/", keeping the
// separator before it: "C:\A\B\" becomes "C:\A\". False, leaving the path as it
// is, when it has no level left to cut ("C:\").
bool CutLastLevel(char* path);

// Removes the leading spaces and tabs of `text` in place.
void StripLeadingBlanks(char* text);

#ifdef _WIN32
// Acting part: strips InstallDirectory's leading blanks, resolves its full path and
// creates every level, ignoring levels that cannot be created; the levels it creates
// go into the install journal. 0 when the full path was determined; 1 when it could
// not be, or when a file below it would be too deep for the file calls
// (InstalledPathsFit, with LongestEntryPath); 2 when its drive has less room free
// than the product needs (PayloadRoom), after the "noRoom" box. With 1 or 2 nothing
// is created.
int CreateInstallPath();
#endif
