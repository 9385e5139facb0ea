#include "uninstall/uninstall_product.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/installation_lock.h"
#include "common/installer_state.h"
#include "shell/class_keys.h"
#include "shell/progman_commands.h"
#include "shell/progman_group.h"
#include "shell/record_name.h"
#include "shell/registry_texts.h"
#include "shell/shortcut_group.h"
#include "uninstall/extension_restore.h"
#include "uninstall/record_path.h"
#include "uninstall/self_removal.h"

namespace {

enum { kLeftOverSize = 2048, kMessageSize = kLeftOverSize + 512 };

// What this run could not remove, one full path or key a line, for the closing box.
char LeftOver[kLeftOverSize];

const char kClassesRootName[] = "HKEY_CLASSES_ROOT\\";
const char kLocalMachineName[] = "HKEY_LOCAL_MACHINE\\";

void NoteLeftOver(const char* rootName, const char* path) {
  char line[kPathSize + 32];
  FormatBounded(line, sizeof line, "%s%s", rootName, path);
  AddLeftOver(LeftOver, sizeof LeftOver, line);
}

bool KeyExists(HKEY root, const char* path) {
  HKEY key;
  if (RegOpenKeyA(root, path, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The program the installation registered: the uninstall command without its
// arguments, or else the class's icon without its index. 0, or -1 when neither is there.
int RegisteredProgram(char* out) {
  HKEY key;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kUninstallKey, &key) == ERROR_SUCCESS) {
    DWORD type = 0;
    DWORD size = kPathSize - 1;
    LONG status = RegQueryValueExA(key, "UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(out), &size);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && type == REG_SZ) {
      out[size < kPathSize ? size : kPathSize - 1] = '\0';
      if (ProgramOfRegistryValue(out, kUninstallArguments) == 0) return 0;
    }
  }
  if (QueryClassesValue(kDefaultIconKey, out, kPathSize) == 0 && ProgramOfRegistryValue(out, kDefaultIconSuffix) == 0) return 0;
  out[0] = '\0';
  return -1;
}

// The full path a record names below `directory`. 0, or -1 for a refused record.
int RecordFile(const char* directory, const char* record, char* full) {
  char relative[kPathSize];
  if (RecordRelativePath(record, relative, sizeof relative) != 0) return -1;
  if (CopyBounded(full, kPathSize, directory) != 0) return -1;
  return JoinPath(full, kPathSize, relative);
}

// Deletes every recorded file but the running program; a file already gone counts as
// removed. Returns the deepest directory level seen.
int RemoveRecordedFiles(const char* directory, const char* programPath) {
  HKEY records;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, kInstalledKey, &records) != ERROR_SUCCESS) return 0;
  int deepest = 0;
  char record[kPathSize];
  char full[kPathSize];
  for (DWORD i = 0; RegEnumKeyA(records, i, record, sizeof record) == ERROR_SUCCESS; ++i) {
    if (RecordFile(directory, record, full) != 0) continue;
    int depth = DirectoryDepth(full + TextLength(directory));
    if (depth > deepest) deepest = depth;
    if (SameFile(full, programPath)) continue;
    if (!DeleteFileA(full) && !FileGone(full)) AddLeftOver(LeftOver, sizeof LeftOver, full);
  }
  RegCloseKey(records);
  return deepest;
}

// The directories of the records, deepest level first; only empty ones go, so a
// directory that holds a file of the user's stays, and so do its parents.
void RemoveEmptyDirectories(const char* directory, int deepest) {
  HKEY records;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, kInstalledKey, &records) != ERROR_SUCCESS) return;
  char record[kPathSize];
  char relative[kPathSize];
  char level[kPathSize];
  char full[kPathSize];
  char last[kPathSize];
  for (int depth = deepest; depth >= 1; --depth) {
    last[0] = '\0';
    for (DWORD i = 0; RegEnumKeyA(records, i, record, sizeof record) == ERROR_SUCCESS; ++i) {
      if (RecordRelativePath(record, relative, sizeof relative) != 0) continue;
      if (DirectoryAtDepth(relative, depth, level, sizeof level) != 0) continue;
      if (CopyBounded(full, sizeof full, directory) != 0 || JoinPath(full, sizeof full, level) != 0) continue;
      // Records come sorted, so the files of one directory follow each other.
      if (TextEquals(full, last)) continue;
      RemoveDirectoryA(full);
      CopyBounded(last, sizeof last, full);
    }
  }
  RegCloseKey(records);
}

// Keeps the records whose files are still there (the program's own among them) for a
// second run, and drops the others.
void ForgetRemovedRecords(const char* directory) {
  HKEY records;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, kInstalledKey, &records) != ERROR_SUCCESS) return;
  char record[kPathSize];
  char full[kPathSize];
  DWORD i = 0;
  while (RegEnumKeyA(records, i, record, sizeof record) == ERROR_SUCCESS) {
    bool keep = RecordFile(directory, record, full) == 0 && !FileGone(full);
    // A deleted key moves the next one to its index.
    if (keep || RegDeleteKeyA(records, record) != ERROR_SUCCESS) ++i;
  }
  RegCloseKey(records);
}

// Deletes a key with everything below it: Windows NT deletes only keys without subkeys.
// 0 when the key is gone (or was never there).
int DeleteKeyTree(HKEY root, const char* path) {
  HKEY key;
  if (RegOpenKeyA(root, path, &key) != ERROR_SUCCESS) return KeyExists(root, path) ? -1 : 0;
  char child[kPathSize];
  char childPath[kPathSize];
  // Always the first subkey: each one deleted moves the next up.
  while (RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS) {
    if (FormatBounded(childPath, sizeof childPath, "%s\\%s", path, child) != 0) break;
    if (DeleteKeyTree(root, childPath) != 0) break;
  }
  RegCloseKey(key);
  return RegDeleteKeyA(root, path) == ERROR_SUCCESS ? 0 : -1;
}

void RemoveKeyTree(HKEY root, const char* rootName, const char* path) {
  if (DeleteKeyTree(root, path) != 0) NoteLeftOver(rootName, path);
}

typedef LONG(WINAPI* RegEnumValueFunction)(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE, LPDWORD);

// True when the key holds a subkey or a named value: then only its default value goes.
// RegEnumValueA is looked up at run time: Win32s has none, and needs none, since its
// registry keeps only the default value of a key.
bool KeyHoldsMore(HKEY key) {
  char name[kPathSize];
  if (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS) return true;
  RegEnumValueFunction enumValue = reinterpret_cast<RegEnumValueFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ADVAPI32"), "RegEnumValueA")));
  if (enumValue == nullptr) return false;
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name;
    if (enumValue(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return false;
    if (nameSize > 0) return true;
  }
}

int RemoveExtensionClass(const char* extension) {
  HKEY key;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, extension, &key) != ERROR_SUCCESS) return -1;
  bool more = KeyHoldsMore(key);
  LONG status = more ? RegDeleteValueA(key, "") : ERROR_SUCCESS;
  RegCloseKey(key);
  if (!more) status = RegDeleteKeyA(HKEY_CLASSES_ROOT, extension);
  return status == ERROR_SUCCESS ? 0 : -1;
}

// Each extension that still names the product gets its saved class back.
void RestoreExtensions() {
  char current[kPathSize];
  char saved[kPathSize];
  char savedKey[kClassKeySize];
  for (const char* extension : kAssociatedExtensions) {
    bool hasCurrent = QueryClassesValue(extension, current, sizeof current) == 0;
    if (FormatBounded(savedKey, sizeof savedKey, "%s%s", kSavedClassKeyPrefix, extension) != 0) continue;
    bool hasSaved = QueryClassesValue(savedKey, saved, sizeof saved) == 0;
    int done = 0;
    switch (DecideExtension(hasCurrent ? current : nullptr, hasSaved ? saved : nullptr)) {
      case kLeaveExtension:
        break;
      case kRestoreSavedClass:
        done = RegSetValueA(HKEY_CLASSES_ROOT, extension, REG_SZ, saved, 0) == ERROR_SUCCESS ? 0 : -1;
        break;
      case kRemoveClass:
        done = RemoveExtensionClass(extension);
        break;
    }
    if (done != 0) {
      NoteLeftOver(kClassesRootName, extension);
    } else if (hasSaved) {
      // Given back: the saved class is no longer needed, whatever else stays.
      RegDeleteKeyA(HKEY_CLASSES_ROOT, savedKey);
    }
  }
}

// The keys of `path` below the product's class key, deepest first, each while it has
// no subkeys left (Windows 95 would delete a key with all below it).
void DeleteEmptyLevels(const char* path) {
  char key[kClassKeySize];
  if (CopyBounded(key, sizeof key, path) != 0) return;
  size_t length = TextLength(key);
  if (length > 0 && key[length - 1] == '\\') key[length - 1] = '\0';
  char child[kPathSize];
  while (!TextEquals(key, kProductClass) && ProgramDirectoryLength(key) > 0) {
    HKEY handle;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, key, &handle) != ERROR_SUCCESS) return;
    bool empty = RegEnumKeyA(handle, 0, child, sizeof child) != ERROR_SUCCESS;
    RegCloseKey(handle);
    if (!empty || RegDeleteKeyA(HKEY_CLASSES_ROOT, key) != ERROR_SUCCESS) return;
    key[ProgramDirectoryLength(key) - 1] = '\0';  // cut at its last backslash
  }
}

void Say(const char* text, UINT icon) { MessageBoxA(nullptr, text, kUninstallCaption, MB_OK | icon); }

}  // namespace

UninstallStatus UninstallProduct(UninstallMode mode, const char* programPath, const char* const* runtimeFiles,
                                 int runtimeFileCount) {
  // The copy in the temporary folder: the installation is gone, only the program is left.
  if (mode == kUninstallFinish) {
    return FinishRemoval(programPath, GetCommandLineA()) == 0 ? kUninstallRemoved : kUninstallIncomplete;
  }
  bool ask = mode != kUninstallSilent;
  // Not beside an installation, which would write what this removes.
  if (TakeInstallationLock() != 0) {
    if (ask) Say(kBusyText, MB_ICONSTOP);
    return kUninstallBusy;
  }
  LeftOver[0] = '\0';
  char directory[kPathSize];
  CopyBoundedN(directory, sizeof directory, programPath, ProgramDirectoryLength(programPath));

  if (!KeyExists(HKEY_CLASSES_ROOT, kProductClass) && !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) {
    if (ask) Say(kNothingToRemoveText, MB_ICONINFORMATION);
    return kUninstallRemoved;
  }
  // The records name paths below the program's directory: a copy of the program
  // elsewhere would delete files of the same names there.
  char registered[kPathSize];
  if (RegisteredProgram(registered) == 0 && !SameFile(registered, programPath)) {
    if (ask) {
      char text[kMessageSize];
      FormatBounded(text, sizeof text, kNotThisProgramText, registered);
      Say(text, MB_ICONSTOP);
    }
    return kUninstallIncomplete;
  }
  if (ask && MessageBoxA(nullptr, kUninstallQuestion, kUninstallCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return kUninstallDeclined;
  }

  RemoveEmptyDirectories(directory, RemoveRecordedFiles(directory, programPath));
  bool filesLeft = LeftOver[0] != '\0';
  RestoreExtensions();
  if (!filesLeft) {
    // The group's shortcut files go without a shell, before the class key that holds
    // the record of their folder; a shell that refuses or does not answer costs only
    // its own group.
    char groupFolder[kPathSize];
    if (DeleteShortcutGroup(groupFolder) != 0) AddLeftOver(LeftOver, sizeof LeftOver, groupFolder);
    DeleteProgramGroup();
    RemoveKeyTree(HKEY_CLASSES_ROOT, kClassesRootName, kProductClass);
    RemoveKeyTree(HKEY_LOCAL_MACHINE, kLocalMachineName, kUninstallKey);
  } else {
    // What a second run needs stays: the program, its entry, its group, the records
    // of what is left.
    ForgetRemovedRecords(directory);
    DeleteEmptyLevels(kSavedClassKeyPrefix);
  }
  char full[kPathSize];
  for (int i = 0; i < runtimeFileCount; ++i) {
    if (CopyBounded(full, sizeof full, directory) != 0 || JoinPath(full, sizeof full, runtimeFiles[i]) != 0) continue;
    if (!DeleteFileA(full) && !FileGone(full)) AddLeftOver(LeftOver, sizeof LeftOver, full);
  }
  bool complete = LeftOver[0] == '\0';
  if (ask) {
    if (complete) {
      Say(kRemovedText, MB_ICONINFORMATION);
    } else {
      char text[kMessageSize];
      FormatBounded(text, sizeof text, "%s%s%s", kLeftOverIntro, LeftOver, kLeftOverAdvice);
      Say(text, MB_ICONEXCLAMATION);
    }
  }
  // Last, once the box is closed: the copy that removes the program waits for this
  // process to end, which follows at once.
  if (!filesLeft) RemoveAfterExit(programPath);
  return complete ? kUninstallRemoved : kUninstallIncomplete;
}
