// Every text the installer shows outside its dialog templates, by key, per
// interface language. English is compiled in; every other language comes from a
// message table that lmvrpack wrote into the installer's resources, and every key a
// table lacks falls back to English.
#pragma once
#include <stddef.h>

// Seven tables (one per LanguageIndex), each a list of entries ending with nullptr.
// An entry is a language letter, the key, a NUL, the text, a NUL.
extern const char* const* MessageCatalogue[7];

// A message table resource (RT_RCDATA 400 + language): a 4-byte header (how the
// language is chosen automatically: rule, 0, 16-bit value, little-endian), then the
// entries one after the other, then a NUL where the next entry's letter would stand.
// At most 32 entries are taken. Table 400 stands before the compiled English table.
enum {
  kMessageTableBase = 400,
  kMessageTableHeader = 4,
  kMessageTableSize = 32,
  kChosenNever = 0,
  kChosenByCountry = 1,   // the user's country code (LOCALE_ICOUNTRY) equals the value
  kChosenByLanguage = 2,  // the user's primary language id (LOCALE_ILANGUAGE) equals it
};

// Makes `data` (a table resource of `size` bytes, which lives as long as the process)
// the table of `language`: its entries are pointed at, never copied; an entry cut off
// by the end of the resource ends the table.
void FillMessageTable(int language, const char* data, size_t size);

// The lowest language whose table asks to be chosen for a user of this country code
// (decimal text) and language id (hexadecimal text); either may be nullptr when not
// known. -1 when no table asks.
int LanguageForUser(const char* country, const char* languageId);

// Back to the compiled tables alone, as before FillMessageTable (for tests).
void ClearMessageTables();

// The text stored under `key` in the current language, else in English, else `key`
// itself. The text lives as long as the process.
const char* LookupMessage(const char* key);

#ifdef _WIN32
// Fills the catalogue from the message tables InstallerInstance carries. Called once
// at start-up, before the first look-up.
void LoadMessageTables();

// A message box with no owner: text LookupMessage(key), caption "Error", OK button.
// Its text is logged; with "sNoBoxes" (NoErrorBoxes) the box is not shown.
void ShowErrorBox(const char* key);
// The same box for a text the caller has already formatted from the text of `key`.
void ShowErrorText(const char* key, const char* text);
// The exit status that the last error box shown ends a failed run with
// (ExitStatusForError of its key); kExitFailed before any.
extern int ErrorExitStatus;
#endif
