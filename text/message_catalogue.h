// Every text the installer shows outside its dialog templates, by key, per
// interface language. English is always filled, German in a build with "G" among
// LMVR_LANGUAGES; every other language, and every key a table lacks, falls back to
// English.
#pragma once

// Seven tables (one per LanguageIndex), each a list of entries ending with nullptr.
// An entry is a language letter, the key, a NUL, the text, a NUL.
extern const char* const* const MessageCatalogue[7];

// The text stored under `key` in the current language, else in English, else `key`
// itself. The text lives as long as the process.
const char* LookupMessage(const char* key);

// True when the table of `language` holds at least one entry.
bool LanguageHasMessages(int language);

#ifdef _WIN32
// A message box with no owner: text LookupMessage(key), caption "Error", OK button.
// Its text is logged; with "sNoBoxes" (NoErrorBoxes) the box is not shown.
void ShowErrorBox(const char* key);
// The same box for a text the caller has already formatted.
void ShowErrorText(const char* text);
#endif
