// The way back from an installed-file record to the file, and the order in which the
// directories of the records are removed. Deciding code: no <windows.h>.
#pragma once
#include <stddef.h>

// The path below the install directory that a record names: every "$" of the record
// becomes "\" ("ENGLISH$IMAGES$LOGO.BMP" gives "ENGLISH\IMAGES\LOGO.BMP"), the inverse
// of RecordNameFor. 0, or -1 when the record is refused: it is empty or longer than
// `size` allows, or one of its levels is not a name the installer can have created
// (empty, "." or "..", a drive colon, a separator, a device name, a name ending in "."
// or a blank): such a record could lead outside the install directory, and nothing
// is done with it.
int RecordRelativePath(const char* record, char* out, size_t size);

// The number of directory levels above the file in a relative path
// ("ENGLISH\IMAGES\LOGO.BMP" has 2, "README.TXT" 0).
int DirectoryDepth(const char* relativePath);

// The first `depth` directory levels of a relative path, without a closing separator
// ("ENGLISH\IMAGES" for depth 2, "ENGLISH" for depth 1). 0, or -1 when the path has
// fewer levels or the result does not fit `size`.
int DirectoryAtDepth(const char* relativePath, int depth, char* out, size_t size);
