#include "options/install_path.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/install_journal.h"
#include "common/install_log.h"
#include "common/installer_state.h"
#include "common/payload_figures.h"
#include "text/message_catalogue.h"

namespace {

typedef BOOL(WINAPI* FreeSpaceExFunction)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// Bytes free for this user at `level`, a directory that exists, and the allocation
// unit of its drive. -1 when the drive answers neither call: such a drive is not
// refused.
int DriveRoom(const char* level, uint64_t* free, uint32_t* unit) {
  // Windows 95 and its successors answer the old call for the root of a drive only:
  // it is asked level by level upward until one answers, for the unit at least.
  char asked[kPathSize];
  CopyBounded(asked, sizeof asked, level);
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  bool known;
  while (!(known = GetDiskFreeSpaceA(asked, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) != 0) &&
         CutLastLevel(asked)) {
  }
  *unit = known ? sectorsPerCluster * bytesPerSector : 0;
  *free = (uint64_t)freeClusters * *unit;
  // Drives past 2 GB answer the old call with at most 2 GB; the first Windows 95 has
  // no newer one, so it is looked up.
  FreeSpaceExFunction freeSpaceEx = reinterpret_cast<FreeSpaceExFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "GetDiskFreeSpaceExA")));
  ULARGE_INTEGER available, total, totalFree;
  if (freeSpaceEx != nullptr && freeSpaceEx(level, &available, &total, &totalFree)) {
    *free = available.QuadPart;
    known = true;
  }
  return known ? 0 : -1;
}

// 0 when the drive of `full` has room for the product or does not say; -1 after the
// "noRoom" box, naming what is needed and what is free. The nearest level of the
// directory that exists answers, the directory itself when it does: a drive of its
// own may be mounted on any of them.
int CheckRoom(const char* full) {
  char level[kPathSize];
  CopyBounded(level, sizeof level, full);
  JoinPath(level, sizeof level, "");
  for (;;) {
    DWORD attributes = GetFileAttributesA(level);
    if ((attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) || !CutLastLevel(level)) {
      break;
    }
  }
  uint64_t free = 0;
  uint32_t unit = 0;
  if (DriveRoom(level, &free, &unit) != 0) {
    LogEvent("room on %s: not known", full);
    return 0;
  }
  uint64_t needed = RoomNeeded(&PayloadRoom, unit);
  LogEvent("room on %s: %ldK needed, %ldK free, unit %lu", level, KilobytesUp(needed), KilobytesDown(free),
           (unsigned long)unit);
  if (needed <= free) return 0;
  char message[400];
  FormatBounded(message, sizeof message, LookupMessage("noRoom"), KilobytesUp(needed), KilobytesDown(free));
  ShowErrorText("noRoom", message);
  return -1;
}

}  // namespace

int CreateInstallPath() {
  StripLeadingBlanks(InstallDirectory);

  char full[kPathSize];
  DWORD length;
  if (InstallDirectory[0] == '\0') {
    length = GetCurrentDirectoryA(sizeof full, full);
  } else {
    char* filePart = nullptr;
    length = GetFullPathNameA(InstallDirectory, sizeof full, full, &filePart);
  }
  // 0 is failure; a length of the buffer's size or more means it did not fit.
  if (length == 0 || length >= sizeof full || !InstalledPathsFit(full, LongestEntryPath)) {
    LogEvent("directory %s: refused", InstallDirectory);
    return 1;
  }
  LogEvent("directory %s: %s", InstallDirectory, full);
  if (CheckRoom(full) != 0) return 2;

  size_t position = 3;
  size_t prefixLength = 0;
  char prefix[kPathSize];
  while (NextDirectoryLevel(full, &position, &prefixLength)) {
    CopyBoundedN(prefix, sizeof prefix, full, prefixLength);
    // A level that cannot be created (it exists, it is a server or share, access is
    // denied) is skipped: the copy reports the first file it cannot create.
    if (CreateDirectoryA(prefix, nullptr)) {
      // The journal's first block holds every level a path can have.
      Remember(kJournalDirectory, prefix);
      LogEvent("level %s: created", prefix);
    } else if (GetLastError() == ERROR_ALREADY_EXISTS) {
      LogEvent("level %s: exists", prefix);
    } else {
      LogEvent("level %s: not created, error %lu", prefix, GetLastError());
    }
  }
  return 0;
}
