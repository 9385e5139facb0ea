#include "common/deletion_at_restart.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "common/wininit_rename.h"

namespace {

enum { kWininitSize = 32768 };

typedef BOOL(WINAPI* MoveFileExFunction)(LPCSTR, LPCSTR, DWORD);

}  // namespace

int DeleteAtRestartOnNt(const char* path) {
  MoveFileExFunction moveFileEx =
      reinterpret_cast<MoveFileExFunction>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "MoveFileExA")));
  return moveFileEx != nullptr && moveFileEx(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? 0 : -1;
}

// wininit.ini is read by the real-mode part of the start, which knows only short names.
int DeleteAtRestartOnWindows95(const char* path) {
  char shortPath[kPathSize];
  DWORD length = GetShortPathNameA(path, shortPath, sizeof shortPath);
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
