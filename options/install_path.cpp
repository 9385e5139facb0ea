#include "options/install_path.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/install_log.h"
#include "common/installer_state.h"

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

  size_t position = 3;
  size_t prefixLength = 0;
  char prefix[kPathSize];
  while (NextDirectoryLevel(full, &position, &prefixLength)) {
    CopyBoundedN(prefix, sizeof prefix, full, prefixLength);
    // A level that cannot be created (it exists, it is a server or share, access is
    // denied) is skipped: the copy reports the first file it cannot create.
    if (CreateDirectoryA(prefix, nullptr)) {
      LogEvent("level %s: created", prefix);
    } else {
      LogEvent("level %s: not created, error %lu", prefix, GetLastError());
    }
  }
  return 0;
}
