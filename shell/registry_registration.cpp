#include "shell/registry_registration.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/halt_places.h"
#include "common/install_log.h"
#include "common/installer_state.h"
#include "common/payload_figures.h"
#include "exports/exported_helpers.h"
#include "shell/class_keys.h"
#include "shell/product_texts.h"
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

// Writes `value`; with none (nullptr), deletes what an earlier installation wrote
// there, so that the entry describes this installation only (logged when there was).
void SetUninstallValue(HKEY entry, const char* name, const char* value) {
  if (value == nullptr) {
    if (RegDeleteValueA(entry, name) == ERROR_SUCCESS) LogEvent("registry HKEY_LOCAL_MACHINE\\%s %s deleted", kUninstallKey, name);
    return;
  }
  LONG status = RegSetValueExA(entry, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                               static_cast<DWORD>(TextLength(value) + 1));
  LogEvent("registry HKEY_LOCAL_MACHINE\\%s %s = \"%s\": %s", kUninstallKey, name, value,
           LogOutcome(status == ERROR_SUCCESS));
}

void SetUninstallNumber(HKEY entry, const char* name, DWORD value) {
  LONG status = RegSetValueExA(entry, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  LogEvent("registry HKEY_LOCAL_MACHINE\\%s %s = %lu: %s", kUninstallKey, name, static_cast<unsigned long>(value),
           LogOutcome(status == ERROR_SUCCESS));
}

// A value that names the program's path, written only when it fit: with the
// program's path quoted where the value is a command line.
void SetUninstallProgramValue(HKEY entry, const char* name, const char* suffix, bool command) {
  char text[kPathSize];
  int composed = command ? ComposeUninstallCommand(text, sizeof text, MainProgramPath, suffix)
                         : ComposeProgramValue(text, sizeof text, MainProgramPath, suffix);
  if (composed == 0) SetUninstallValue(entry, name, text);
}

}  // namespace

void RegisterUninstallEntry() {
  HKEY entry;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kUninstallKey, &entry) != ERROR_SUCCESS) {
    LogEvent("registry HKEY_LOCAL_MACHINE\\%s: failed", kUninstallKey);
    return;
  }
  SetUninstallValue(entry, "DisplayName", kUninstallDisplayName);
  SetUninstallProgramValue(entry, "UninstallString", kUninstallArguments, true);
  // What the list of installed software shows beside the name, and what an
  // administrator's inventory reads; an installer that carries no version or
  // publisher writes none rather than an empty one.
  SetUninstallProgramValue(entry, "QuietUninstallString", kQuietUninstallArguments, true);
  SetUninstallProgramValue(entry, "DisplayIcon", kDefaultIconSuffix, false);
  if (ProductVersion[0] != '\0') SetUninstallValue(entry, "DisplayVersion", ProductVersion);
  if (ProductPublisher[0] != '\0') SetUninstallValue(entry, "Publisher", ProductPublisher);
  // The directory the files went to, as a full path: the copy resolved it the same way.
  char location[kPathSize];
  char* name;
  DWORD length = GetFullPathNameA(InstallDirectory, sizeof location, location, &name);
  bool located = length != 0 && length < sizeof location;
  if (located) CutDirectoryEnd(location);
  SetUninstallValue(entry, "InstallLocation", located ? location : nullptr);
  // An earlier installation's values that this one has none for go.
  if (ProductVersion[0] == '\0') SetUninstallValue(entry, "DisplayVersion", nullptr);
  if (ProductPublisher[0] == '\0') SetUninstallValue(entry, "Publisher", nullptr);
  SetUninstallNumber(entry, "EstimatedSize", EstimatedSizeKilobytes(ArchiveTotal));
  // The installer has no way to change or repair an installation: the list offers
  // only to remove it.
  SetUninstallNumber(entry, "NoModify", 1);
  SetUninstallNumber(entry, "NoRepair", 1);
  RegCloseKey(entry);
}
