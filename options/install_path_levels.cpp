#include "options/install_path.h"

#include "common/bounded_text.h"

namespace {
bool IsLevelSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

void StripLeadingBlanks(char* text) {
  size_t skip = 0;
  while (text[skip] == ' ' || text[skip] == '\t') ++skip;
  if (skip == 0) return;
  size_t i = 0;
  do {
    text[i] = text[i + skip];
  } while (text[i++] != '\0');
}

bool NextDirectoryLevel(const char* fullPath, size_t* position, size_t* prefixLength) {
  size_t i = *position;
  // Positions 0 to 2 hold the drive ("C:\"); never step over a terminator there.
  for (size_t k = 0; k < i; ++k) {
    if (fullPath[k] == '\0') return false;
  }
  if (fullPath[i] == '\0') return false;
  while (fullPath[i] != '\0' && !IsLevelSeparator(fullPath[i])) ++i;
  *prefixLength = i;
  // Past the separator; a path that ends in one has no further level.
  *position = fullPath[i] == '\0' ? i : i + 1;
  return true;
}

bool CutLastLevel(char* path) {
  size_t i = TextLength(path);
  if (i < 2) return false;
  for (i -= 2; i > 0 && !IsLevelSeparator(path[i]); --i) {
  }
  if (!IsLevelSeparator(path[i])) return false;
  path[i + 1] = '\0';
  return true;
}

bool InstalledPathsFit(const char* fullDirectory, size_t longestEntryPath) {
  const size_t kOptionsFileName = 8;  // "lmvr.opt"
  size_t length = TextLength(fullDirectory);
  if (length > 0 && !IsDirectoryEnd(fullDirectory[length - 1])) ++length;  // the "\" of the join
  return length + (longestEntryPath > kOptionsFileName ? longestEntryPath : kOptionsFileName) <= kInstalledPathLimit;
}
