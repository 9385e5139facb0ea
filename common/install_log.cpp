#include "common/install_log.h"

#include <windows.h>

#include "common/bounded_text.h"

bool NoErrorBoxes = false;

namespace {

HFILE LogFile = HFILE_ERROR;

}  // namespace

void OpenInstallLog(const char* path) {
  if (path == nullptr) return;
  // Appended to, so that the runs of one deployment can share a log; others may read
  // it while the installation runs.
  LogFile = _lopen(path, OF_WRITE | OF_SHARE_DENY_WRITE);
  if (LogFile == HFILE_ERROR) LogFile = _lcreat(path, 0);
  if (LogFile != HFILE_ERROR) _llseek(LogFile, 0, 2);
}

void LogEvent(const char* format, ...) {
  if (LogFile == HFILE_ERROR) return;
  char event[kLogLineSize];
  va_list args;
  va_start(args, format);
  bool cut = FormatBoundedV(event, sizeof event, format, args) != 0;
  va_end(args);

  SYSTEMTIME now;
  GetLocalTime(&now);
  LogTime time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  char line[kLogLineSize];
  size_t length = ComposeLogLine(line, sizeof line, &time, event, cut);
  // A write that fails loses the line and nothing else.
  _hwrite(LogFile, line, (long)length);
}

const char* LogOutcome(bool ok) { return ok ? "ok" : "failed"; }
