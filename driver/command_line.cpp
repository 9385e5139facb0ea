#include "driver/command_line.h"

#include "common/bounded_text.h"

namespace {

// Compares the next bytes of `text` with `word` (lower case), folding only A to Z.
// Stops at the first difference, so it never reads past the text's terminator.
bool StartsWithFolded(const char* text, const char* word) {
  for (; *word != '\0'; ++text, ++word) {
    char c = *text;
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    if (c != *word) return false;
  }
  return true;
}

bool EndsWord(char c) { return c == ' ' || c == '\0'; }

}  // namespace

int LanguageIndexForLetter(char letter) {
  static const char kLetters[] = "EGFSIPD";
  for (int i = 0; kLetters[i] != '\0'; ++i) {
    if (kLetters[i] == letter) return i;
  }
  return -1;
}

bool HasSwitch(const char* args, const char* word) {
  size_t length = TextLength(word);
  for (size_t i = 0; args[i] != '\0'; ++i) {
    if ((i == 0 || args[i - 1] == ' ') && StartsWithFolded(args + i, word) && EndsWord(args[i + length])) {
      return true;
    }
  }
  return false;
}

void ScanCommandLine(const char* args, bool* autoRun, int* languageIndex, bool* languageChosen) {
  if (args == nullptr) return;
  if (HasSwitch(args, "-noautorun")) *autoRun = false;
  for (size_t i = 0; args[i] != '\0'; ++i) {
    // Only the space separates words; a tab does not.
    if (i != 0 && args[i - 1] != ' ') continue;
    const char* word = args + i;
    // Exactly one character after the "=". A switch that ends the line with no
    // letter reads nothing past the terminator and chooses nothing.
    if (StartsWithFolded(word, "-language=") && word[10] != '\0' && EndsWord(word[11])) {
      int index = LanguageIndexForLetter(word[10]);
      if (index >= 0) *languageIndex = index;
      *languageChosen = true;
    }
  }
}

const char* ArgumentsAfterProgramName(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    // A quoted name ends at its closing quote (or at the end of a line without one).
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (static_cast<unsigned char>(*p) > ' ') ++p;
  }
  while (*p != '\0' && static_cast<unsigned char>(*p) <= ' ') ++p;
  return p;
}

void InstallerDirectoryFromPath(const char* modulePath, char* out, size_t size) {
  size_t end = 0;  // length of the directory part; 0 when there is no separator
  bool driveOnly = false;
  for (size_t i = 0; modulePath[i] != '\0'; ++i) {
    if (IsDirectoryEnd(modulePath[i])) {
      end = i + 1;
      driveOnly = modulePath[i] == ':';
    }
  }
  if (CopyBoundedN(out, size, modulePath, end) != 0) {
    // A directory that does not fit is no directory at all: better none than a wrong one.
    if (size > 0) out[0] = '\0';
    return;
  }
  if (driveOnly && AppendBounded(out, size, "\\") != 0 && size > 0) out[0] = '\0';
}
