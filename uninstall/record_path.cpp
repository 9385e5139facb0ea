#include "uninstall/record_path.h"

#include "common/bounded_text.h"
#include "payload/archive_format.h"

int RecordRelativePath(const char* record, char* out, size_t size) {
  if (size == 0) return -1;
  out[0] = '\0';
  // Every level must be a name lmvrpack would have packed: that alone keeps the path
  // below the install directory and away from devices and drive roots.
  const char* level = record;
  for (const char* p = record;; ++p) {
    if (*p == '$' || *p == '\0') {
      if (CheckNameLevel(level, (size_t)(p - level)) != kEntryNameOk) break;
      if (*p == '\0') {
        if (CopyBounded(out, size, record) != 0) break;
        for (char* c = out; *c != '\0'; ++c) {
          if (*c == '$') *c = '\\';
        }
        return 0;
      }
      level = p + 1;
    }
  }
  out[0] = '\0';
  return -1;
}

int DirectoryDepth(const char* relativePath) {
  int depth = 0;
  for (const char* p = relativePath; *p != '\0'; ++p) {
    if (*p == '\\') ++depth;
  }
  return depth;
}

int DirectoryAtDepth(const char* relativePath, int depth, char* out, size_t size) {
  if (size == 0) return -1;
  out[0] = '\0';
  if (depth < 1) return -1;
  int seen = 0;
  for (const char* p = relativePath; *p != '\0'; ++p) {
    if (*p == '\\' && ++seen == depth) return CopyBoundedN(out, size, relativePath, (size_t)(p - relativePath));
  }
  return -1;
}
