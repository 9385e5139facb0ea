#include "shell/record_name.h"

#include "common/bounded_text.h"

const char kProductClass[] = "Lumivora";
const char kInstalledKey[] = "Lumivora\\installed";

int RecordNameFor(const char* installDirectory, const char* path, char* out, size_t size) {
  // Skip as many characters as the install directory has, stopping at the end of a
  // shorter path rather than reading past it.
  size_t skip = TextLength(installDirectory);
  const char* rest = path;
  for (size_t i = 0; i < skip && *rest != '\0'; ++i) ++rest;
  if (*rest == '\\' || *rest == '/') ++rest;
  if (CopyBounded(out, size, rest) != 0) return -1;
  for (char* p = out; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') *p = '$';
  }
  return 0;
}
