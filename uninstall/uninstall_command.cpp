#include "uninstall/uninstall_command.h"

#include "common/bounded_text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The last word of text[0, *end): returns its start and sets *length; *end moves to
// the start of the word. A word is what lies between blanks.
const char* LastWord(const char* text, size_t* end, size_t* length) {
  size_t stop = *end;
  while (stop > 0 && IsBlank(text[stop - 1])) --stop;
  size_t start = stop;
  while (start > 0 && !IsBlank(text[start - 1])) --start;
  *length = stop - start;
  *end = start;
  return text + start;
}

// ASCII letters folded, as everywhere in the product.
bool WordIs(const char* word, size_t length, const char* expected) {
  size_t i = 0;
  for (; i < length; ++i) {
    char a = word[i];
    char b = expected[i];
    if (b == '\0') return false;
    if (a >= 'A' && a <= 'Z') a = (char)(a - 'A' + 'a');
    if (a != b) return false;
  }
  return expected[i] == '\0';
}

// The last argument of text[0, *end): a text in double quotes (blanks and all) when
// the line ends in one whose opening quote starts a word, else the last word. Returns
// the start of its text (inside the quotes) and sets *length; *end moves to its start.
// nullptr when there is no argument at all.
const char* LastArgument(const char* text, size_t* end, size_t* length) {
  size_t stop = *end;
  while (stop > 0 && IsBlank(text[stop - 1])) --stop;
  if (stop > 0 && text[stop - 1] == '"') {
    size_t open = stop - 1;
    while (open > 0 && text[open - 1] != '"') --open;
    // text[open - 1] is the opening quote.
    if (open > 0 && (open == 1 || IsBlank(text[open - 2]))) {
      *length = stop - 1 - open;
      *end = open - 1;
      return text + open;
    }
  }
  *end = stop;
  const char* word = LastWord(text, end, length);
  return *length > 0 ? word : nullptr;
}

// The finishing copy's line, PROGRAM . -u -finish HANDLE PATH: true when the words are
// there, with the last two given back as they stand.
bool FinishShape(const char* commandLine, const char** path, size_t* pathLength, const char** handle,
                 size_t* handleLength) {
  size_t end = TextLength(commandLine);
  size_t length = 0;
  *path = LastArgument(commandLine, &end, pathLength);
  if (*path == nullptr) return false;
  *handle = LastWord(commandLine, &end, handleLength);
  if (*handleLength == 0) return false;
  const char* word = LastWord(commandLine, &end, &length);
  if (!WordIs(word, length, "-finish")) return false;
  word = LastWord(commandLine, &end, &length);
  if (!WordIs(word, length, "-u")) return false;
  word = LastWord(commandLine, &end, &length);
  if (!WordIs(word, length, ".")) return false;
  LastWord(commandLine, &end, &length);
  return length > 0;
}

const unsigned long kLargestHandle = 0x7FFFFFFFul;

// A handle number: decimal digits, 1 to kLargestHandle. The values above it are the
// pseudo handles (-1 is the waiting process itself, which would never end).
int HandleNumber(const char* word, size_t length, unsigned long* value) {
  if (length == 0 || length > 10) return -1;
  unsigned long number = 0;
  for (size_t i = 0; i < length; ++i) {
    if (word[i] < '0' || word[i] > '9') return -1;
    unsigned long digit = (unsigned long)(word[i] - '0');
    if (number > (kLargestHandle - digit) / 10) return -1;
    number = number * 10 + digit;
  }
  if (number == 0) return -1;
  *value = number;
  return 0;
}

// A full path on a drive whose every level is a plain name: the program's path as
// GetModuleFileNameA gives it, nothing relative, no wildcard, no stream, no way up.
bool IsPlainFullPath(const char* path, size_t length) {
  if (length < 4) return false;
  char drive = path[0];
  if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) || path[1] != ':' || path[2] != '\\') {
    return false;
  }
  size_t level = 3;
  for (size_t i = 3; i <= length; ++i) {
    if (i == length || path[i] == '\\') {
      size_t size = i - level;
      if (size == 0) return false;
      if (path[level] == '.' && (size == 1 || (size == 2 && path[level + 1] == '.'))) return false;
      level = i + 1;
      continue;
    }
    unsigned char c = (unsigned char)path[i];
    if (c < 0x20 || c == '"' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|' || c == ':' || c == '/') {
      return false;
    }
  }
  return true;
}

bool HoldsQuote(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text == '"') return true;
  }
  return false;
}

}  // namespace

UninstallMode UninstallModeOf(const char* commandLine) {
  size_t end = TextLength(commandLine);
  size_t length = 0;
  const char* word = LastWord(commandLine, &end, &length);
  bool silent = WordIs(word, length, "-silent");
  if (silent) word = LastWord(commandLine, &end, &length);
  if (WordIs(word, length, "-u")) {
    word = LastWord(commandLine, &end, &length);
    if (!WordIs(word, length, ".")) return kNoUninstall;
    // Something must come before the two words: the program's name.
    LastWord(commandLine, &end, &length);
    if (length == 0) return kNoUninstall;
    return silent ? kUninstallSilent : kUninstallAsk;
  }
  const char* path = nullptr;
  const char* handle = nullptr;
  size_t handleLength = 0;
  if (FinishShape(commandLine, &path, &length, &handle, &handleLength)) return kUninstallFinish;
  return kNoUninstall;
}

int ProgramOfRegistryValue(char* value, const char* suffix) {
  size_t length = TextLength(value);
  size_t cut = TextLength(suffix);
  if (length < cut || !TextEquals(value + length - cut, suffix)) return -1;
  length -= cut;
  value[length] = '\0';
  if (length >= 2 && value[0] == '"' && value[length - 1] == '"') {
    for (size_t i = 1; i + 1 < length; ++i) value[i - 1] = value[i];
    value[length - 2] = '\0';
  }
  return 0;
}

int ComposeFinishCommand(char* out, size_t size, const char* copyPath, unsigned long handle,
                         const char* programPath) {
  if (!HoldsQuote(copyPath) && !HoldsQuote(programPath) &&
      FormatBounded(out, size, "\"%s\" . -u -finish %lu \"%s\"", copyPath, handle, programPath) == 0) {
    return 0;
  }
  if (size > 0) out[0] = '\0';
  return -1;
}

int FinishArgumentsOf(const char* commandLine, unsigned long* handle, char* path, size_t size) {
  *handle = 0;
  if (size == 0) return -1;
  path[0] = '\0';
  const char* at = nullptr;
  size_t atLength = 0;
  const char* number = nullptr;
  size_t numberLength = 0;
  unsigned long value = 0;
  if (!FinishShape(commandLine, &at, &atLength, &number, &numberLength)) return -1;
  if (HandleNumber(number, numberLength, &value) != 0 || !IsPlainFullPath(at, atLength)) return -1;
  if (CopyBoundedN(path, size, at, atLength) != 0) {
    path[0] = '\0';
    return -1;
  }
  *handle = value;
  return 0;
}

const char kUninstallCaption[] = "Lumivora Uninstall";
const char kUninstallQuestion[] = "Remove Lumivora and all of its components?";
const char kNothingToRemoveText[] = "Lumivora is not installed on this computer: there is nothing to remove.";
const char kBusyText[] =
    "Lumivora is being installed or removed at this moment. Nothing was removed: try again when that has finished.";
const char kRemovedText[] = "Lumivora has been removed from this computer.";
const char kNotThisProgramText[] =
    "This copy of Lumivora is not the installed one, which is:\r\n\r\n%s\r\n\r\n"
    "Nothing was removed. Remove Lumivora with the installed program.";
const char kLeftOverIntro[] = "Lumivora has been removed, except for these, which could not be removed:\r\n\r\n";
const char kLeftOverAdvice[] =
    "\r\nClose any program that uses them and run the uninstall again: it will finish the job.";

int AddLeftOver(char* list, size_t size, const char* path) {
  static const char kMore[] = "...\r\n";
  size_t used = TextLength(list);
  // A list that already ends in "..." is full.
  if (used >= sizeof kMore - 1 && TextEquals(list + used - (sizeof kMore - 1), kMore)) return -1;
  // Room is kept for the "..." line after this path.
  size_t needed = TextLength(path) + 2 + sizeof kMore;
  if (used + needed <= size) {
    AppendBounded(list, size, path);
    AppendBounded(list, size, "\r\n");
    return 0;
  }
  AppendBounded(list, size, kMore);
  return -1;
}
