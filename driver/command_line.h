// Start-up decisions that need no system call: the command-line switches and the
// installer's own directory. Deciding code.
#pragma once
#include <stddef.h>

// Scans the argument string for "-noautorun" and "-language=X" (see command_line.cpp)
// and updates the three outputs; everything else on the line is ignored.
void ScanCommandLine(const char* args, bool* autoRun, int* languageIndex, bool* languageChosen);

// True when `word` (lower case, "-verify") stands on the argument string as a word
// of its own, in any letter case, as "-noautorun" does.
bool HasSwitch(const char* args, const char* word);

// The language index of a letter from "-language=X": E G F S I P D give 0 to 6;
// any other byte gives -1 (the language stays as it was).
int LanguageIndexForLetter(char letter);

// The argument part of a process's whole command line: the program name (quoted or
// not) and the blanks and control characters after it removed, as a C runtime hands
// it to WinMain.
const char* ArgumentsAfterProgramName(const char* commandLine);

// The directory part of the executable's path: cut after the last "\", "/" or ":",
// with a "\" added after a bare drive colon; "" when there is no separator.
void InstallerDirectoryFromPath(const char* modulePath, char* out, size_t size);
