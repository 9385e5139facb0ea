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

// What follows the program's path in the icon value and in the uninstall command.
extern const char kDefaultIconSuffix[];
extern const char kUninstallArguments[];

// What follows the program's path in the open command, for a DetectWindows family:
// Windows 95 and NT take the document quoted, Win32s does not.
const char* OpenCommandSuffix(uint32_t windowsFamily);

// programPath followed by suffix. 0 when it fit `size` bytes; -1 when it did not:
// the text is then cut and is not to be written anywhere.
int ComposeProgramValue(char* out, size_t size, const char* programPath, const char* suffix);
