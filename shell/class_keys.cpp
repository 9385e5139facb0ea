#include "shell/class_keys.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/install_journal.h"
#include "common/install_log.h"
#include "common/installer_state.h"
#include "shell/record_name.h"

namespace {

// Lumivora\installed, open from the first record to the end of the process: the copy
// records every file, and opening the key anew for each record cost about as much as
// the record itself.
HKEY InstalledKey = nullptr;
// Whether Lumivora\installed was there before this run's first record: only then can
// a record be there already, which a copy taken back must leave.
bool InstalledKeyWasThere = false;

bool KeyExists(HKEY root, const char* name) {
  HKEY probe;
  if (RegOpenKeyA(root, name, &probe) != ERROR_SUCCESS) return false;
  RegCloseKey(probe);
  return true;
}

// Opens Lumivora\installed, remembering the keys this creates for a copy taken back.
bool OpenInstalledKey() {
  if (InstalledKey != nullptr) return true;
  bool productWasThere = KeyExists(HKEY_CLASSES_ROOT, kProductClass);
  InstalledKeyWasThere = KeyExists(HKEY_CLASSES_ROOT, kInstalledKey);
  if (RegCreateKeyA(HKEY_CLASSES_ROOT, kInstalledKey, &InstalledKey) != ERROR_SUCCESS) {
    InstalledKey = nullptr;
    return false;
  }
  // Newest first when taken back: the records, then this key, then the product's.
  if (!productWasThere) Remember(kJournalKey, kProductClass);
  if (!InstalledKeyWasThere) Remember(kJournalKey, kInstalledKey);
  return true;
}

void LogClassesValue(const char* key, const char* value, bool ok) {
  LogEvent("registry HKEY_CLASSES_ROOT\\%s = \"%s\": %s", key, value, LogOutcome(ok));
}

// The product key names itself; the installed program finds its class by it.
void KeepProductKey() {
  HKEY product;
  if (RegCreateKeyA(HKEY_CLASSES_ROOT, kProductClass, &product) != ERROR_SUCCESS) return;
  LONG status = RegSetValueA(product, nullptr, REG_SZ, kProductClass, 0);
  RegCloseKey(product);
  // Written before every value below it; the log names it once.
  static bool logged = false;
  if (!logged) LogClassesValue(kProductClass, kProductClass, status == ERROR_SUCCESS);
  logged = true;
}

}  // namespace

int SetClassesValue(const char* key, const char* value, size_t length) {
  KeepProductKey();
  char name[kClassKeySize];
  if (CopyBounded(name, sizeof name, key) != 0) return -1;  // never a cut, wrong key
  if (length == 0) {
    return RegDeleteKeyA(HKEY_CLASSES_ROOT, name) == ERROR_SUCCESS ? 0 : -1;
  }
  HKEY handle;
  bool created = RegCreateKeyA(HKEY_CLASSES_ROOT, name, &handle) == ERROR_SUCCESS;
  bool set = created && RegSetValueA(handle, nullptr, REG_SZ, value, 0) == ERROR_SUCCESS;
  LogClassesValue(name, value, set);
  if (!created) return -1;
  RegCloseKey(handle);
  return 0;
}

int QueryClassesValue(const char* key, char* buffer, size_t size) {
  char name[kClassKeySize];
  if (CopyBounded(name, sizeof name, key) != 0) return -1;
  if (size == 0) return -1;
  HKEY handle;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, name, &handle) != ERROR_SUCCESS) return -1;
  LONG bytes = (LONG)size;
  LONG status = RegQueryValueA(handle, nullptr, buffer, &bytes);
  if (status == ERROR_MORE_DATA) {
    // Too long for the caller's buffer: read it whole and keep what fits.
    DWORD type = 0;
    DWORD whole = 0;
    RegQueryValueExA(handle, nullptr, nullptr, &type, nullptr, &whole);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, whole + 1);
    char* text = memory != nullptr ? static_cast<char*>(GlobalLock(memory)) : nullptr;
    buffer[0] = '\0';
    if (text != nullptr && RegQueryValueExA(handle, nullptr, nullptr, &type,
                                            reinterpret_cast<BYTE*>(text), &whole) == ERROR_SUCCESS) {
      text[whole < 1 ? 0 : whole] = '\0';
      CopyBounded(buffer, size, text);
    }
    if (text != nullptr) GlobalUnlock(memory);
    if (memory != nullptr) GlobalFree(memory);
  } else if (status != ERROR_SUCCESS) {
    buffer[0] = '\0';
  } else {
    // The text ends with a NUL within the bytes returned.
    size_t end = bytes > 0 ? (size_t)bytes : 0;
    if (end >= size) end = size - 1;
    if (end == 0 || buffer[end - 1] != '\0') buffer[end] = '\0';
  }
  RegCloseKey(handle);
  return 0;
}

void RecordInstalledFile(const char* path) {
  char record[kPathSize];
  if (RecordNameFor(InstallDirectory, path, record, sizeof record) != 0) return;
  // The kept key may have been deleted since the last record (by another program, say),
  // and a deleted key takes no subkeys: it is then opened anew, once.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!OpenInstalledKey()) return;
    bool wasThere = InstalledKeyWasThere && JournalIsOpen() && KeyExists(InstalledKey, record);
    if (RegSetValueA(InstalledKey, record, REG_SZ, "", 0) == ERROR_SUCCESS) {
      LogEvent("record %s", record);
      if (!wasThere) {
        char key[kPathSize];
        // A record whose key does not fit is one a copy taken back leaves behind.
        if (FormatBounded(key, sizeof key, "%s\\%s", kInstalledKey, record) == 0) Remember(kJournalKey, key);
      }
      return;
    }
    RegCloseKey(InstalledKey);
    InstalledKey = nullptr;
  }
}

void ForgetInstalledFile(const char* path) {
  char record[kPathSize];
  if (RecordNameFor(InstallDirectory, path, record, sizeof record) != 0 || !OpenInstalledKey()) return;
  LogEvent("record %s deleted: %s", record, LogOutcome(RegDeleteKeyA(InstalledKey, record) == ERROR_SUCCESS));
}

bool InstalledFileIsRecorded(const char* path) {
  char record[kPathSize];
  HKEY installed;
  if (RecordNameFor(InstallDirectory, path, record, sizeof record) != 0 ||
      RegOpenKeyA(HKEY_CLASSES_ROOT, kInstalledKey, &installed) != ERROR_SUCCESS) {
    return false;
  }
  bool recorded = KeyExists(installed, record);
  RegCloseKey(installed);
  return recorded;
}
