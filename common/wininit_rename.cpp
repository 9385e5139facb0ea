#include "common/wininit_rename.h"

#include "common/bounded_text.h"

namespace {

const char kSection[] = "[rename]";

// True when the line at `line` (up to CR, LF or the end) is the section header,
// blanks around it and letter case aside.
bool IsRenameHeader(const char* line) {
  while (*line == ' ' || *line == '\t') ++line;
  for (const char* s = kSection; *s != '\0'; ++s, ++line) {
    char c = *line;
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    if (c != *s) return false;
  }
  while (*line == ' ' || *line == '\t') ++line;
  return *line == '\0' || *line == '\r' || *line == '\n';
}

}  // namespace

int AddDeletionAtRestart(const char* text, const char* path, char* out, size_t size) {
  // Where the new line goes: after the header line and its line end, or at the end.
  const char* at = nullptr;
  for (const char* line = text; *line != '\0' && at == nullptr;) {
    const char* next = line;
    while (*next != '\0' && *next != '\n') ++next;
    if (*next == '\n') ++next;
    if (IsRenameHeader(line)) at = next;
    line = next;
  }
  int cut = 0;
  if (at != nullptr) {
    cut = CopyBoundedN(out, size, text, (size_t)(at - text));
    // A header on the file's last line without a line end.
    if (cut == 0 && at > text && at[-1] != '\n') cut = AppendBounded(out, size, "\r\n");
  } else {
    cut = CopyBounded(out, size, text);
    size_t length = TextLength(text);
    if (cut == 0 && length > 0 && text[length - 1] != '\n') cut = AppendBounded(out, size, "\r\n");
    if (cut == 0) cut = AppendBounded(out, size, kSection);
    if (cut == 0) cut = AppendBounded(out, size, "\r\n");
    at = text + TextLength(text);
  }
  if (cut == 0) cut = AppendBounded(out, size, "NUL=");
  if (cut == 0) cut = AppendBounded(out, size, path);
  if (cut == 0) cut = AppendBounded(out, size, "\r\n");
  if (cut == 0) cut = AppendBounded(out, size, at);
  if (cut != 0 && size > 0) out[0] = '\0';
  return cut;
}
