#include <windows.h>

#include "common/bounded_text.h"
#include "common/install_log.h"
#include "common/installer_state.h"

namespace {

HFILE LogFile = HFILE_ERROR;

void WriteEvent(const char* format, va_list args) {
  char event[kLogLineSize];
  bool cut = FormatBoundedV(event, sizeof event, format, args) != 0;

  SYSTEMTIME now;
  GetLocalTime(&now);
  LogTime time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  char line[kLogLineSize];
  size_t length = ComposeLogLine(line, sizeof line, &time, event, cut);
  // At the end as it is now: a second installer refused while this one runs appends
  // its lines to the same log. A write that fails loses the line and nothing else.
  _llseek(LogFile, 0, 2);
  _hwrite(LogFile, line, (long)length);
}

// Creates the folders of the log's path that are missing: an administrator names a
// log folder for the deployment (C:\logs\lumivora.log) and expects it made, as the
// install directory is. A folder that cannot be made leaves the log off.
void CreateLogFolders(const char* path) {
  char level[kPathSize];
  if (CopyBounded(level, sizeof level, path) != 0 || TextLength(level) < 4) return;
  // From the first separator after the drive's root or the share's name on.
  for (size_t i = 3; level[i] != '\0'; ++i) {
    if (level[i] != '\\' && level[i] != '/') continue;
    level[i] = '\0';
    CreateDirectoryA(level, nullptr);
    level[i] = path[i];
  }
}

}  // namespace

void OpenInstallLog(const char* path) {
  if (path == nullptr) return;
  // Appended to, so that the runs of one deployment can share a log; others may read
  // it, and a second installer append to it, while the installation runs.
  LogFile = _lopen(path, OF_WRITE | OF_SHARE_DENY_NONE);
  if (LogFile == HFILE_ERROR) LogFile = _lcreat(path, 0);
  if (LogFile == HFILE_ERROR) {
    CreateLogFolders(path);
    LogFile = _lcreat(path, 0);
  }
  if (LogFile == HFILE_ERROR) return;
  InstallLogWriter = WriteEvent;
}
