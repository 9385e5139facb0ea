// Default values of keys below HKEY_CLASSES_ROOT, and the records of installed files.
#pragma once
#include <stddef.h>

enum { kClassKeySize = 200 };

// Sets the default value of HKEY_CLASSES_ROOT\key to `value`, creating the key as
// needed; with `length` 0 deletes the key instead. Every call first makes sure the
// product's class key holds its name. 0, or -1 when the key cannot be created (or
// deleted), or does not fit the 200-byte key buffer.
int SetClassesValue(const char* key, const char* value, size_t length);

// Reads the default value of HKEY_CLASSES_ROOT\key into `buffer`, NUL-terminated;
// a key without one reads as "", a longer value is cut to fit. 0, or -1 when the key
// cannot be opened (the buffer is then left untouched).
int QueryClassesValue(const char* key, char* buffer, size_t size);

// Records a file the installer has just created, as a subkey of
// HKEY_CLASSES_ROOT\Lumivora\installed named after its path below InstallDirectory.
// While the install journal is open, the keys it adds (the record, and the product's
// keys when they are new) are remembered there.
void RecordInstalledFile(const char* path);

// Deletes the record of a file that is gone.
void ForgetInstalledFile(const char* path);

// Whether `path` has its record.
bool InstalledFileIsRecorded(const char* path);
