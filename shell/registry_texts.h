// Keys and value texts of the product's registration. Deciding code: no <windows.h>.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/installer_state.h"

// The extensions, in the order of AssociationFlags.
extern const char* const kAssociatedExtensions[kAssociationCount];

// Keys below HKEY_CLASSES_ROOT: the class's icon and open command, and the key
// under which an extension's previous class is kept (followed by the extension).
extern const char kDefaultIconKey[];
extern const char kOpenCommandKey[];
extern const char kSavedClassKeyPrefix[];

// The entry in the list of installed software, below HKEY_LOCAL_MACHINE.
extern const char kUninstallKey[];
extern const char kUninstallDisplayName[];

// What follows the program's path in the icon value and in the uninstall command,
// and in the command that uninstalls without a question (the administrator's).
extern const char kDefaultIconSuffix[];
extern const char kUninstallArguments[];
extern const char kQuietUninstallArguments[];

// What follows the program's path in the open command, for a DetectWindows family:
// Windows 95 and NT take the document quoted, Win32s does not.
const char* OpenCommandSuffix(uint32_t windowsFamily);

// The size the list of installed software shows, in kilobytes: the archive's total
// (every file's data, with a few bytes of name per file), rounded up.
uint32_t EstimatedSizeKilobytes(uint32_t archiveTotal);

// A directory as the uninstall entry names it: without the separator that may close
// it, unless that belongs to a drive's root ("C:\").
void CutDirectoryEnd(char* directory);

// programPath followed by suffix. 0 when it fit `size` bytes; -1 when it did not:
// the text is then cut and is not to be written anywhere.
int ComposeProgramValue(char* out, size_t size, const char* programPath, const char* suffix);
// The uninstall entry's command: programPath in double quotes, then `arguments`.
// 0, or -1 as above.
int ComposeUninstallCommand(char* out, size_t size, const char* programPath, const char* arguments);
