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

// What a switch that carries a value ("-dir=PATH") gave.
enum SwitchValueResult {
  kSwitchAbsent = 0,  // no such word on the line: `out` untouched
  kSwitchGiven,       // `out` holds the value of the last one
  kSwitchEmpty,       // a value that is empty (also "")
  kSwitchUnclosed,    // a double quote that is never closed
  kSwitchTooLong,     // a value that does not fit `size` bytes with its NUL
  kSwitchNotNumber,   // with `number`: a value that is no decimal integer
};

// Finds every word that begins with `name` ("-dir=", lower case, letters of any case
// on the line) and takes the text after the "=", without its double quotes (which
// keep blanks inside the value: -dir="C:\Lumi Vora"). The last such word wins; a
// word whose value cannot be used is refused even when a later one could be, so
// that nothing the administrator wrote is silently dropped. With `number`, the value
// must be a decimal integer (an optional sign, then digits).
SwitchValueResult FindSwitchValue(const char* args, const char* name, char* out, size_t size, bool number);

// The words of the line that begin with "-" and are none of the installer's switches,
// one per call from *position on: the word's start and length. False when none is left.
bool NextUnknownSwitch(const char* args, size_t* position, const char** word, size_t* length);

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
