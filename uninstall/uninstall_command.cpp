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

}  // namespace

UninstallMode UninstallModeOf(const char* commandLine) {
  size_t end = TextLength(commandLine);
  size_t length = 0;
  const char* word = LastWord(commandLine, &end, &length);
  bool silent = WordIs(word, length, "-silent");
  if (silent) word = LastWord(commandLine, &end, &length);
  if (!WordIs(word, length, "-u")) return kNoUninstall;
  word = LastWord(commandLine, &end, &length);
  if (!WordIs(word, length, ".")) return kNoUninstall;
  // Something must come before the two words: the program's name.
  LastWord(commandLine, &end, &length);
  if (length == 0) return kNoUninstall;
  return silent ? kUninstallSilent : kUninstallAsk;
}

const char kUninstallCaption[] = "Lumivora Uninstall";
const char kUninstallQuestion[] = "Remove Lumivora and all of its components?";
const char kNothingToRemoveText[] = "Lumivora is not installed on this computer: there is nothing to remove.";
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
