// Names below the product's class key. Deciding code.
#pragma once
#include <stddef.h>

// The product's class name: its key below HKEY_CLASSES_ROOT and that key's value.
extern const char kProductClass[];
// The key that holds one subkey per installed file.
extern const char kInstalledKey[];

// The record name of an installed file: the part of `path` after the first
// strlen(installDirectory) characters, one leading "\" or "/" dropped, every "\" and
// "/" replaced by "$". 0, or -1 when it does not fit `size` bytes (nothing usable).
int RecordNameFor(const char* installDirectory, const char* path, char* out, size_t size);
