#include "uninstall/self_removal.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "exports/exported_helpers.h"
#include "uninstall/wininit_rename.h"

namespace {

enum { kWindowsNt = 2, kWindows95 = 1, kWininitSize = 32768 };

typedef BOOL(WINAPI* MoveFileExFunction)(LPCSTR, LPCSTR, DWORD);

int ScheduleOnNt(const char* programPath, const char* directory, bool withDirectory) {
  MoveFileExFunction moveFileEx =
      reinterpret_cast<MoveFileExFunction>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "MoveFileExA")));
  if (moveFileEx == nullptr) return -1;
  if (!moveFileEx(programPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return -1;
  // The directory goes after the file, at the same restart; only an empty one goes.
  if (withDirectory) {
    char bare[kPathSize];
    CopyBounded(bare, sizeof bare, directory);
    size_t length = TextLength(bare);
    if (length > 3 && (bare[length - 1] == '\\' || bare[length - 1] == '/')) bare[length - 1] = '\0';
    moveFileEx(bare, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return 0;
}

// wininit.ini is read by the real-mode part of the start, which knows only short names.
int ScheduleOnWindows95(const char* programPath) {
  char shortPath[kPathSize];
  DWORD length = GetShortPathNameA(programPath, shortPath, sizeof shortPath);
  if (length == 0 || length >= sizeof shortPath) return -1;
  char wininit[kPathSize];
  UINT windows = GetWindowsDirectoryA(wininit, sizeof wininit);
  if (windows == 0 || windows >= sizeof wininit || JoinPath(wininit, sizeof wininit, "wininit.ini") != 0) return -1;

  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 2 * kWininitSize);
  char* text = memory != nullptr ? static_cast<char*>(GlobalLock(memory)) : nullptr;
  int result = -1;
  if (text != nullptr) {
    char* updated = text + kWininitSize;
    DWORD read = 0;
    HANDLE file = CreateFileA(wininit, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    bool readable = true;
    if (file != INVALID_HANDLE_VALUE) {
      readable = ReadFile(file, text, kWininitSize - 1, &read, nullptr) && read < kWininitSize - 1;
      CloseHandle(file);
    }
    text[read] = '\0';
    // A file too long to hold whole is left alone rather than cut.
    if (readable && AddDeletionAtRestart(text, shortPath, updated, kWininitSize) == 0) {
      file = CreateFileA(wininit, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        DWORD size = (DWORD)TextLength(updated);
        DWORD written = 0;
        if (WriteFile(file, updated, size, &written, nullptr) && written == size) result = 0;
        CloseHandle(file);
      }
    }
    GlobalUnlock(memory);
  }
  if (memory != nullptr) GlobalFree(memory);
  return result;
}

}  // namespace

int RemoveAtRestart(const char* programPath, const char* directory, bool withDirectory) {
  switch (WindowsFamilyFromVersion(GetVersion())) {
    case kWindowsNt:
      return ScheduleOnNt(programPath, directory, withDirectory);
    case kWindows95:
      return ScheduleOnWindows95(programPath);
    default:
      return -1;
  }
}
