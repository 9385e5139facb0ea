// lmvrpack: a translator's language file, a gettext PO file in UTF-8 (languages/*.po):
// the header names the language, each entry's msgctxt names a message key, a
// dialog's caption ("210.caption"), a control's text ("200.2") or a frame
// ("240.frame", "240.19.frame"), and its msgstr holds the translation.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace lmvrpack {

// What is wrong (or worth saying) about a line of a file. Line 0: the file as a whole.
struct FileProblem {
  std::string file;
  int line = 0;
  std::string what;
};

// How the installer may choose a language by itself (the first byte of its table).
enum ChoiceRule : uint8_t { kNeverChosen = 0, kByCountry = 1, kByLanguage = 2 };

struct Translation {
  std::string key;      // the msgctxt
  std::string english;  // the msgid, in CP1252
  std::string text;     // the msgstr, in CP1252; empty: not translated
  int line = 0;         // where the entry starts
  int textLine = 0;     // where the msgstr starts
  bool cFormat = false;
  bool fuzzy = false;   // marked for review: not used, as gettext's own tools do
};

struct LanguageFile {
  std::string path;
  char letter = 0;        // X-Lumivora-Letter
  int languageIndex = 0;  // the letter's place in "EGFSIPD"
  std::string name;       // X-Lumivora-Name, UTF-8
  ChoiceRule rule = kNeverChosen;  // X-Lumivora-Chosen-For
  uint16_t ruleValue = 0;
  std::vector<Translation> translations;  // in file order, the header left out
};

// The "-language=" letters by LanguageIndex, and the names lmvrpack shows for them.
extern const char kLanguageLetters[8];
const char* LanguageNameOfIndex(int index);

// Reads a language file's text. Every problem found goes into `problems` (file
// and line); the file is usable only when none was added.
LanguageFile ReadLanguageFile(const std::string& path, const std::string& text, std::vector<FileProblem>* problems);

// "country 49", "language 0x0C" or "none", as the header line says it.
std::string ChoiceRuleText(ChoiceRule rule, uint16_t value);

}  // namespace lmvrpack
