#include "uninstall/self_removal.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "exports/exported_helpers.h"
#include "shell/progman_commands.h"
#include "uninstall/uninstall_command.h"
#include "common/deletion_at_restart.h"

namespace {

enum {
  kWindowsNt = 2,
  kWindows95 = 1,
  kCommandSize = 2 * kPathSize + 64,
  // How long the copy waits for the program's process: the program ends right after
  // starting it, so this only bounds a copy started by hand or a program that hangs.
  kProgramEndWait = 60000,
  // A program's image can stay locked for a moment after its process has ended.
  kDeleteTries = 50,
  kDeleteTryPause = 100,
  kCompareChunk = 1024
};

int ScheduleOnNt(const char* programPath, const char* directory, bool withDirectory) {
  if (DeleteAtRestartOnNt(programPath) != 0) return -1;
  // The directory goes after the file, at the same restart; only an empty one goes.
  if (withDirectory) {
    char bare[kPathSize];
    CopyBounded(bare, sizeof bare, directory);
    size_t length = TextLength(bare);
    if (length > 3 && (bare[length - 1] == '\\' || bare[length - 1] == '/')) bare[length - 1] = '\0';
    DeleteAtRestartOnNt(bare);
  }
  return 0;
}

// True when the program is the only thing left in its directory.
bool OnlyProgramLeft(const char* directory) {
  char pattern[kPathSize];
  if (CopyBounded(pattern, sizeof pattern, directory) != 0 || JoinPath(pattern, sizeof pattern, "*.*") != 0) {
    return false;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  int entries = 0;
  do {
    if (!TextEquals(found.cFileName, ".") && !TextEquals(found.cFileName, "..")) ++entries;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries == 1;
}

// The directory of `path` (up to its last separator), into `out` (kPathSize bytes).
void DirectoryOf(const char* path, char* out) { CopyBoundedN(out, kPathSize, path, ProgramDirectoryLength(path)); }

// The temporary folder, with its closing separator, into `out` (kPathSize bytes). 0, or
// -1 when there is none that fits.
int TemporaryFolder(char* out) {
  DWORD length = GetTempPathA(kPathSize, out);
  return length == 0 || length >= kPathSize ? -1 : 0;
}

bool InTemporaryFolder(const char* path) {
  char temporary[kPathSize];
  if (TemporaryFolder(temporary) != 0) return false;
  char directory[kPathSize];
  DirectoryOf(path, directory);
  return SameFile(directory, temporary);
}

// True when both files can be read and hold the same bytes.
bool SameBytes(const char* first, const char* second) {
  HANDLE a = CreateFileA(first, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (a == INVALID_HANDLE_VALUE) return false;
  HANDLE b = CreateFileA(second, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (b == INVALID_HANDLE_VALUE) {
    CloseHandle(a);
    return false;
  }
  DWORD size = GetFileSize(a, nullptr);
  bool same = size != INVALID_FILE_SIZE && size == GetFileSize(b, nullptr);
  char bytesA[kCompareChunk];
  char bytesB[kCompareChunk];
  while (same) {
    DWORD readA = 0;
    DWORD readB = 0;
    if (!ReadFile(a, bytesA, sizeof bytesA, &readA, nullptr) || !ReadFile(b, bytesB, sizeof bytesB, &readB, nullptr) ||
        readA != readB) {
      same = false;
    } else if (readA == 0) {
      break;
    }
    for (DWORD i = 0; same && i < readA; ++i) same = bytesA[i] == bytesB[i];
  }
  CloseHandle(b);
  CloseHandle(a);
  return same;
}

typedef HANDLE(WINAPI* OpenProcessFunction)(DWORD, BOOL, DWORD);

// The name the copy gets: the temporary name GetTempFileNameA reserved (it creates the
// empty file "PREFIX1234.TMP"), moved to ".EXE". CreateProcessA is documented to start
// program files; a ".TMP" one is left to each system's loader. 0, or -1 with nothing
// left behind.
int ReserveCopyName(const char* temporary, char* copy) {
  char reserved[kPathSize];
  if (GetTempFileNameA(temporary, "LMV", 0, reserved) == 0) return -1;
  size_t length = TextLength(reserved);
  if (length < 4 || lstrcmpiA(reserved + length - 4, ".TMP") != 0 || CopyBounded(copy, kPathSize, reserved) != 0) {
    DeleteFileA(reserved);
    return -1;
  }
  CopyBounded(copy + length - 4, kPathSize - (length - 4), ".EXE");
  // MoveFileA refuses to replace a file of that name that someone else has.
  if (!MoveFileA(reserved, copy)) {
    DeleteFileA(reserved);
    return -1;
  }
  return 0;
}

// Copies the program to the temporary folder and starts the copy with the finishing
// command line. 0 when the copy runs; -1, with the copy deleted again, when a step
// failed.
int StartFinishingCopy(const char* programPath) {
  char temporary[kPathSize];
  if (TemporaryFolder(temporary) != 0) return -1;
  char copy[kPathSize];
  if (ReserveCopyName(temporary, copy) != 0) return -1;
  // Looked up at run time: OpenProcess is not among the functions that Win32s (which
  // never gets here) is known to have, and the program must load there.
  OpenProcessFunction openProcess =
      reinterpret_cast<OpenProcessFunction>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "OpenProcess")));
  // A handle the copy inherits names this very process until the copy closes it; a
  // process id could be given to another process once this one has ended.
  HANDLE self = openProcess != nullptr ? openProcess(SYNCHRONIZE, TRUE, GetCurrentProcessId()) : nullptr;
  int result = -1;
  if (self != nullptr && CopyFileA(programPath, copy, FALSE)) {
    char command[kCommandSize];
    char named[kPathSize];
    unsigned long number = (unsigned long)reinterpret_cast<ULONG_PTR>(self);
    unsigned long parsed = 0;
    // The copy acts only on a line it accepts: what it would refuse is not handed over.
    if (ComposeFinishCommand(command, sizeof command, copy, number, programPath) == 0 &&
        FinishArgumentsOf(command, &parsed, named, sizeof named) == 0 && parsed == number &&
        TextEquals(named, programPath)) {
      // Zeroed once, as a static is: the program links no memset. No busy cursor for a
      // program that never shows a window.
      static STARTUPINFOA startup;
      startup.cb = sizeof startup;
      startup.dwFlags = STARTF_FORCEOFFFEEDBACK;
      PROCESS_INFORMATION started;
      // Its current directory is the temporary folder: on NT a process's current
      // directory cannot be removed, and it must not be the program's.
      if (CreateProcessA(copy, command, nullptr, nullptr, TRUE, 0, nullptr, temporary, &startup, &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        result = 0;
      }
    }
  }
  if (self != nullptr) CloseHandle(self);
  if (result != 0) DeleteFileA(copy);
  return result;
}

}  // namespace

bool FileGone(const char* path) { return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES; }

bool SameFile(const char* first, const char* second) {
  char a[kPathSize];
  char b[kPathSize];
  DWORD length = GetShortPathNameA(first, a, sizeof a);
  if (length == 0 || length >= sizeof a) CopyBounded(a, sizeof a, first);
  length = GetShortPathNameA(second, b, sizeof b);
  if (length == 0 || length >= sizeof b) CopyBounded(b, sizeof b, second);
  return lstrcmpiA(a, b) == 0;
}

int RemoveAtRestart(const char* programPath, const char* directory, bool withDirectory) {
  switch (WindowsFamilyFromVersion(GetVersion())) {
    case kWindowsNt:
      return ScheduleOnNt(programPath, directory, withDirectory);
    case kWindows95:
      return DeleteAtRestartOnWindows95(programPath);
    default:
      return -1;
  }
}

void RemoveAfterExit(const char* programPath) {
  uint32_t family = WindowsFamilyFromVersion(GetVersion());
  if ((family == kWindowsNt || family == kWindows95) && StartFinishingCopy(programPath) == 0) return;
  char directory[kPathSize];
  DirectoryOf(programPath, directory);
  RemoveAtRestart(programPath, directory, OnlyProgramLeft(directory));
}

int FinishRemoval(const char* copyPath, const char* commandLine) {
  unsigned long number = 0;
  char program[kPathSize];
  if (FinishArgumentsOf(commandLine, &number, program, sizeof program) != 0) return -1;
  // Asked first, so that a copy ended midway (a shutdown during its wait) goes too.
  if (InTemporaryFolder(copyPath)) RemoveAtRestart(copyPath, "", false);
  // A handle that names nothing to wait for (a start by hand) fails at once; then only
  // the tries below wait, since a running program's file cannot be deleted.
  HANDLE original = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(number));
  if (WaitForSingleObject(original, kProgramEndWait) != WAIT_FAILED) CloseHandle(original);

  int result = -1;
  // The registry is gone by now: what makes the named file the program is that this
  // copy was made of it.
  if (!SameFile(program, copyPath) && SameBytes(program, copyPath)) {
    for (int i = 0; i < kDeleteTries && !DeleteFileA(program) && !FileGone(program); ++i) Sleep(kDeleteTryPause);
    char directory[kPathSize];
    DirectoryOf(program, directory);
    if (FileGone(program)) {
      // Only the program's own directory, and only when empty: RemoveDirectoryA refuses
      // one that holds anything, such as a picture the user saved there.
      size_t length = TextLength(directory);
      if (length > 3) {
        directory[length - 1] = '\0';
        RemoveDirectoryA(directory);
      }
      result = 0;
    } else {
      RemoveAtRestart(program, directory, OnlyProgramLeft(directory));
    }
  }
  return result;
}
