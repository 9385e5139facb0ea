// Windows 95 deletes files at the next start from the [rename] section of wininit.ini
// ("NUL=path" deletes path). Deciding code: no <windows.h>.
#pragma once
#include <stddef.h>

// `text` (the file as it is, possibly empty) with the line "NUL=" `path` added as the
// first line of its [rename] section, or with a [rename] section holding that line
// added at its end. Every line already there stays: other programs' deletions wait in
// the same section under the same name, which WritePrivateProfileString would
// overwrite. 0, or -1 when the result does not fit `size` bytes (nothing usable).
int AddDeletionAtRestart(const char* text, const char* path, char* out, size_t size);
