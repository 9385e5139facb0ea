// How the installed program tells an uninstall start from a normal one, and the texts
// the uninstall shows. Deciding code: no <windows.h>.
#pragma once
#include <stddef.h>

enum UninstallMode {
  kNoUninstall,      // a normal start
  kUninstallAsk,     // " . -u": ask first, then say what was left
  kUninstallSilent,  // " . -u -silent": ask nothing, show nothing
  kUninstallFinish   // " . -u -finish HANDLE "PATH"": the copy in the temporary folder
                     // that removes the program once it has ended
};

// The mode of a process's whole command line. The uninstall entry gives the program's
// path in double quotes (earlier versions: unquoted, blanks and all), the group item
// its short path, followed by " . -u";
// an administrator adds "-silent". Only the last words count, so blanks in the path
// do not matter. The finishing copy's line ends in " . -u -finish", a word for the
// handle and the program's path (in double quotes when it holds blanks); whether
// those two are usable is FinishArgumentsOf's to say.
UninstallMode UninstallModeOf(const char* commandLine);

// The program a registry value names before its `suffix` (the uninstall command's
// arguments, the icon's index): the value without the suffix, and without the double
// quotes around the path (uninstall entries of earlier versions hold it unquoted). 0,
// or -1 when the value does not end in the suffix; `value` is changed in place.
int ProgramOfRegistryValue(char* value, const char* suffix);

// The finishing copy's command line: `copyPath` in double quotes, " . -u -finish",
// the number of the inherited handle of the process to wait for, and `programPath`
// (the file to remove) in double quotes. 0, or -1 when it does not fit `size` bytes or
// a path holds a double quote (nothing usable then).
int ComposeFinishCommand(char* out, size_t size, const char* copyPath, unsigned long handle,
                         const char* programPath);

// The arguments of a finishing copy's command line: the handle number (decimal, 1 to
// 0x7FFFFFFF: never 0 and never one of the negative pseudo handles that name the copy
// itself) and the program's path, which must be a full path on a drive ("C:\..."),
// each level a plain name (not empty, not "." or "..") of characters a file name can
// hold, and fit `size` bytes. 0, or -1 when the line is not a finishing copy's or an
// argument is refused; then `path` is empty and nothing may be done.
int FinishArgumentsOf(const char* commandLine, unsigned long* handle, char* path, size_t size);

// The texts of the interactive uninstall.
extern const char kUninstallCaption[];
extern const char kUninstallQuestion[];
extern const char kNothingToRemoveText[];
extern const char kRemovedText[];
extern const char kBusyText[];
extern const char kNotThisProgramText[];
extern const char kLeftOverIntro[];
extern const char kLeftOverAdvice[];

// Adds one path to the list of what was left, one path a line, in `list` (`size`
// bytes). When the list is full it ends in "..." and takes no more. 0 when the path
// was added whole, -1 when the list was full.
int AddLeftOver(char* list, size_t size, const char* path);
