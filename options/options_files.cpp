#include "options/options_files.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/global_memory.h"
#include "common/halt_places.h"
#include "common/install_log.h"
#include "common/installer_state.h"
#include "options/installer_variables.h"
#include "shell/class_keys.h"

namespace {

const SIZE_T kPointerBlockBytes = kVariableCapacity * sizeof(char*);

char* CopyOf(const char* text, size_t length) {
  char* copy = static_cast<char*>(AllocateLocked(length + 1));
  if (copy == nullptr) return nullptr;
  CopyBoundedN(copy, length + 1, text, length);
  return copy;
}

}  // namespace

int AllocateVariableList() {
  char** names = static_cast<char**>(AllocateLocked(kPointerBlockBytes));
  char** values = static_cast<char**>(AllocateLocked(kPointerBlockBytes));
  if (names == nullptr || values == nullptr) {
    ReleaseLocked(names);
    ReleaseLocked(values);
    return -1;
  }
  AttachVariableStorage(names, values);
  return 0;
}

void ReleaseVariableList() {
  ReleaseLocked(VariableNames);
  ReleaseLocked(VariableValues);
  DetachVariableStorage();
}

void LoadInstallerOptions() {
  char path[kPathSize];
  CopyBounded(path, sizeof path, InstallerDirectory);
  if (AppendBounded(path, sizeof path, "lmvropt.ini") != 0) return;  // would name another file

  // Read access is all that is needed: an options file on a CD-ROM or with the
  // read-only attribute must still steer an unattended installation.
  OFSTRUCT of;
  HFILE file = OpenFile(path, &of, OF_READ | OF_SHARE_DENY_NONE);
  if (file == HFILE_ERROR) return;

  LONG size = _llseek(file, 0, 2);
  if (size <= 0) {
    _lclose(file);
    return;
  }
  _llseek(file, 0, 0);
  char* text = static_cast<char*>(AllocateLocked((SIZE_T)size));
  if (text == nullptr) {
    _lclose(file);
    return;
  }
  long got = _hread(file, text, size);
  _lclose(file);
  size_t length = got > 0 ? (size_t)got : 0;  // parse only what was really read

  size_t position = 0;
  OptionsLine line;
  while (NextOptionsLine(text, length, &position, &line)) {
    if (!line.usable) continue;
    if (VariableCount >= kVariableCapacity) break;  // surplus lines are ignored
    char* name = CopyOf(text + line.nameStart, line.nameLength);
    if (name == nullptr) continue;
    char* value = CopyOf(text + line.valueStart, line.valueLength);
    if (value == nullptr) {
      ReleaseLocked(name);
      continue;
    }
    if (AppendVariable(name, value) != 0) {
      ReleaseLocked(name);
      ReleaseLocked(value);
    }
  }
  ReleaseLocked(text);
}

namespace {

// Writes "lmvr.opt" at `path` through `fresh`; what became of it, for the log.
const char* WriteOptionsFileAt(const char* path, const char* fresh) {
  // What an installation cut short while writing left behind.
  DeleteFileA(fresh);

  // An existing file is the installed program's, whatever it holds: left alone. One
  // that cannot be written (read-only) is left alone too, as it always was.
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return "kept";

  size_t size = OptionsFileSize();
  unsigned char* bytes = static_cast<unsigned char*>(AllocateLocked(size));
  if (bytes == nullptr) return "not written";
  SerialiseOptions(bytes, size);

  OFSTRUCT of;
  HFILE file = OpenFile(fresh, &of, OF_CREATE | OF_READWRITE | OF_SHARE_DENY_NONE);
  if (file == HFILE_ERROR) {
    ReleaseLocked(bytes);
    return "not written";
  }
  long written = _hwrite(file, reinterpret_cast<LPCCH>(bytes), (long)size);
  bool closed = _lclose(file) != HFILE_ERROR;
  ReleaseLocked(bytes);
  if (written != (long)size || !closed) {
    DeleteFileA(fresh);
    return "not written";
  }
  HaltPlace("options-written");

  // Recorded before it takes its name: an "lmvr.opt" that exists is never recorded
  // again, so one left unrecorded by a cut-short run would outlive the uninstall.
  RecordInstalledFile(path);
  // MoveFileA never replaces: the name is taken only while it is free, on every
  // Windows, and the existing file (checked above) is never removed first.
  if (MoveFileA(fresh, path)) return "written";
  DeleteFileA(fresh);
  return "not written";
}

}  // namespace

void WriteOptionsFile() {
  if (VariableCount == 0) return;
  // The file is written whole under a name of the same length beside it and only
  // then given its own name, so that an installation cut short (ended from the task
  // list, power lost) leaves no empty or cut "lmvr.opt", which every later
  // installation would keep as the program's.
  char path[kPathSize];
  char fresh[kPathSize];
  CopyBounded(path, sizeof path, InstallDirectory);
  if (JoinPath(path, sizeof path, "lmvr.opt") != 0) return;
  CopyBounded(fresh, sizeof fresh, InstallDirectory);
  if (JoinPath(fresh, sizeof fresh, "lmvr.new") != 0) return;
  LogEvent("options file %s: %s", path, WriteOptionsFileAt(path, fresh));
}
