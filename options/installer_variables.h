// The installer variables: an ordered list of name/value texts, filled from
// "lmvropt.ini", looked up by the steps and dialogs, handed on in "lmvr.opt".
// Deciding code; the storage itself is allocated by the acting side.
#pragma once
#include <stddef.h>

enum { kVariableCapacity = 500 };

// The list. Names[i] has the value Values[i]; entries stay in the order appended and
// are never changed or removed. Both arrays hold kVariableCapacity pointers.
extern int VariableCount;
extern char** VariableNames;
extern char** VariableValues;

// Hands the list two arrays of kVariableCapacity pointers and empties it.
void AttachVariableStorage(char** names, char** values);
// Forgets the storage (after it has been released); the list is then empty.
void DetachVariableStorage();

// The value of the first entry named exactly `name`, or nullptr when there is none.
const char* FindVariable(const char* name);

// True for the variables that steer the installer: "sSilent", "sAssoc",
// "sDefPathNT", "sLog" and "sNoBoxes". Every other one is only handed on; one that
// begins with "s" like these is probably misspelt, and the log warns of it.
bool IsInstallerVariable(const char* name);

// The command line's value for one of those variables (nullptr takes it back): it
// wins over lmvropt.ini's, and is not on the list, so lmvr.opt never hands it on.
// The text must outlive the installation.
void SetSteeringSwitch(const char* name, const char* value);
// What steers the installation: the command line's value, else the variable's, else
// nullptr.
const char* SteeringValue(const char* name);

// Appends one entry; the texts must outlive the list. 0, or -1 when the list is full
// or has no storage (the entry is then not added).
int AppendVariable(char* name, char* value);

// Appends "prefLanguage" with the decimal character code of the language's letter
// (E G F S I P D) when LanguageIndex is not 0.
void AddLanguageVariable();

// One line of "lmvropt.ini" as found by NextOptionsLine: offsets into the text.
struct OptionsLine {
  size_t nameStart, nameLength;
  size_t valueStart, valueLength;
  bool usable;  // false: the line is dropped (no name, no "=", empty value, reserved name)
};

// Finds the next line of an options text of `length` bytes from *position on.
// Returns false at the end of the text; otherwise fills `line` and moves *position
// to the end of that line.
bool NextOptionsLine(const char* text, size_t length, size_t* position, OptionsLine* line);

// Size of "lmvr.opt" for the current list, and the file's bytes: a 16-bit
// little-endian count, then each name and value with its NUL. SerialiseOptions
// returns the bytes written, or 0 when `size` is too small.
size_t OptionsFileSize();
size_t SerialiseOptions(unsigned char* out, size_t size);
