#include "shell/registry_registration.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/halt_places.h"
#include "common/install_log.h"
#include "common/installer_state.h"
#include "exports/exported_helpers.h"
#include "shell/class_keys.h"
#include "shell/record_name.h"
#include "shell/registry_texts.h"

namespace {

// A value names the program's path; cut, it would name another file, so a text that
// does not fit is left unwritten.
void SetProgramValue(const char* key, char* workBuffer, const char* suffix) {
  if (ComposeProgramValue(workBuffer, kPathSize, MainProgramPath, suffix) != 0) return;
  SetClassesValue(key, workBuffer, TextLength(workBuffer) + 1);
}

}  // namespace

void RegisterFileClass(char* workBuffer) {
  SetProgramValue(kDefaultIconKey, workBuffer, kDefaultIconSuffix);
  SetProgramValue(kOpenCommandKey, workBuffer, OpenCommandSuffix(DetectWindows()));
}

void AssociateExtensions(char* workBuffer) {
  for (int i = 0; i < kAssociationCount; ++i) {
    if (AssociationFlags[i] == 0) continue;
    const char* extension = kAssociatedExtensions[i];
    // An extension without a key had no class: that empty predecessor is kept too.
    if (QueryClassesValue(extension, workBuffer, kPathSize) != 0) workBuffer[0] = '\0';
    // Already ours from an earlier installation: the class kept then stays.
    if (!TextEquals(workBuffer, kProductClass)) {
      char savedKey[kClassKeySize];
      if (FormatBounded(savedKey, sizeof savedKey, "%s%s", kSavedClassKeyPrefix, extension) == 0) {
        SetClassesValue(savedKey, workBuffer, TextLength(workBuffer) + 1);
      }
    }
    SetClassesValue(extension, kProductClass, TextLength(kProductClass) + 1);
    HaltPlace("extensions", i + 1);
  }
}

namespace {

void SetUninstallValue(HKEY entry, const char* name, const char* value) {
  LONG status = RegSetValueExA(entry, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                               static_cast<DWORD>(TextLength(value) + 1));
  LogEvent("registry HKEY_LOCAL_MACHINE\\%s %s = \"%s\": %s", kUninstallKey, name, value,
           LogOutcome(status == ERROR_SUCCESS));
}

}  // namespace

void RegisterUninstallEntry() {
  HKEY entry;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kUninstallKey, &entry) != ERROR_SUCCESS) {
    LogEvent("registry HKEY_LOCAL_MACHINE\\%s: failed", kUninstallKey);
    return;
  }
  SetUninstallValue(entry, "DisplayName", kUninstallDisplayName);
  char command[kPathSize];
  if (ComposeProgramValue(command, sizeof command, MainProgramPath, kUninstallArguments) == 0) {
    SetUninstallValue(entry, "UninstallString", command);
  }
  RegCloseKey(entry);
}
