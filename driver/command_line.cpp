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

// True when the word of `length` bytes is `expected` (lower case) in any letter case.
bool WordIs(const char* word, size_t length, const char* expected) {
  return TextLength(expected) == length && StartsWithFolded(word, expected);
}

// The next word of the line from *position on. Only the space separates words (a
// tab does not); in a word that begins with "-", text in double quotes belongs to
// the word, blanks and all, so that a switch's value can hold them. False at the end.
bool NextWord(const char* args, size_t* position, const char** word, size_t* length) {
  size_t p = *position;
  while (args[p] == ' ') ++p;
  const size_t start = p;
  const bool option = args[p] == '-';
  for (bool quoted = false; args[p] != '\0' && (quoted || args[p] != ' '); ++p) {
    if (option && args[p] == '"') quoted = !quoted;
  }
  *position = p;
  *word = args + start;
  *length = p - start;
  return p > start;
}

// The switches that carry a value after their "=".
const char* const kValueSwitches[] = {"-dir=", "-log=", "-assoc="};

bool IsLanguageSwitch(const char* word, size_t length) {
  return length == 11 && StartsWithFolded(word, "-language=");
}

bool IsKnownSwitch(const char* word, size_t length) {
  if (WordIs(word, length, "-noautorun") || WordIs(word, length, "-verify") || WordIs(word, length, "-silent") ||
      IsLanguageSwitch(word, length)) {
    return true;
  }
  for (const char* name : kValueSwitches) {
    if (length > TextLength(name) && StartsWithFolded(word, name)) return true;
  }
  return false;
}

// The value of one "-name=VALUE" word, its double quotes left out.
SwitchValueResult TakeValue(const char* value, size_t length, char* out, size_t size, bool number) {
  if (size == 0) return kSwitchTooLong;
  size_t kept = 0, quotes = 0;
  for (size_t i = 0; i < length; ++i) {
    if (value[i] == '"') {
      ++quotes;
    } else if (kept + 1 < size) {
      out[kept++] = value[i];
    } else {
      out[kept] = '\0';
      return kSwitchTooLong;
    }
  }
  out[kept] = '\0';
  if (quotes % 2 != 0) return kSwitchUnclosed;
  if (kept == 0) return kSwitchEmpty;
  if (number) {
    size_t i = out[0] == '-' || out[0] == '+' ? 1 : 0;
    if (i == kept) return kSwitchNotNumber;
    for (; i < kept; ++i) {
      if (out[i] < '0' || out[i] > '9') return kSwitchNotNumber;
    }
  }
  return kSwitchGiven;
}

}  // namespace

int LanguageIndexForLetter(char letter) {
  static const char kLetters[] = "EGFSIPD";
  for (int i = 0; kLetters[i] != '\0'; ++i) {
    if (kLetters[i] == letter) return i;
  }
  return -1;
}

bool HasSwitch(const char* args, const char* name) {
  const char* word;
  size_t length;
  for (size_t position = 0; NextWord(args, &position, &word, &length);) {
    if (WordIs(word, length, name)) return true;
  }
  return false;
}

void ScanCommandLine(const char* args, bool* autoRun, int* languageIndex, bool* languageChosen) {
  if (args == nullptr) return;
  if (HasSwitch(args, "-noautorun")) *autoRun = false;
  const char* word;
  size_t length;
  for (size_t position = 0; NextWord(args, &position, &word, &length);) {
    // Exactly one character after the "=".
    if (IsLanguageSwitch(word, length)) {
      int index = LanguageIndexForLetter(word[10]);
      if (index >= 0) *languageIndex = index;
      *languageChosen = true;
    }
  }
}

SwitchValueResult FindSwitchValue(const char* args, const char* name, char* out, size_t size, bool number) {
  SwitchValueResult result = kSwitchAbsent;
  const size_t nameLength = TextLength(name);
  const char* word;
  size_t length;
  for (size_t position = 0; NextWord(args, &position, &word, &length);) {
    if (length < nameLength || !StartsWithFolded(word, name)) continue;
    SwitchValueResult taken = TakeValue(word + nameLength, length - nameLength, out, size, number);
    if (taken != kSwitchGiven) return taken;
    result = taken;
  }
  return result;
}

bool NextUnknownSwitch(const char* args, size_t* position, const char** word, size_t* length) {
  while (NextWord(args, position, word, length)) {
    if (**word == '-' && !IsKnownSwitch(*word, *length)) return true;
  }
  return false;
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
