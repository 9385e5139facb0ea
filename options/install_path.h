// Creation of the install directory, level by level.
#pragma once
#include <stddef.h>

// Deciding part: the directory levels of a full path. Starting with *position 3
// (the drive root of "C:\" is never created), each call gives the length of the
// next prefix of `fullPath` to create and returns true; false when none is left.
// "\" and "/" both separate levels.
bool NextDirectoryLevel(const char* fullPath, size_t* position, size_t* prefixLength);

// Removes the leading spaces and tabs of `text` in place.
void StripLeadingBlanks(char* text);

#ifdef _WIN32
// Acting part: strips InstallDirectory's leading blanks, resolves its full path and
// creates every level, ignoring levels that cannot be created. 0 when the full path
// was determined; 1 when it could not be (nothing is then created).
int CreateInstallPath();
#endif
