// How the installed program tells an uninstall start from a normal one, and the texts
// the uninstall shows. Deciding code: no <windows.h>.
#pragma once
#include <stddef.h>

enum UninstallMode {
  kNoUninstall,     // a normal start
  kUninstallAsk,    // " . -u": ask first, then say what was left
  kUninstallSilent  // " . -u -silent": ask nothing, show nothing
};

// The mode of a process's whole command line. The uninstall entry and the group item
// give the program's path (unquoted, blanks and all, or short) followed by " . -u";
// an administrator adds "-silent". Only the last words count, so blanks in the path
// do not matter.
UninstallMode UninstallModeOf(const char* commandLine);

// The texts of the interactive uninstall.
extern const char kUninstallCaption[];
extern const char kUninstallQuestion[];
extern const char kNothingToRemoveText[];
extern const char kRemovedText[];
extern const char kNotThisProgramText[];
extern const char kLeftOverIntro[];
extern const char kLeftOverAdvice[];

// Adds one path to the list of what was left, one path a line, in `list` (`size`
// bytes). When the list is full it ends in "..." and takes no more. 0 when the path
// was added whole, -1 when the list was full.
int AddLeftOver(char* list, size_t size, const char* path);
