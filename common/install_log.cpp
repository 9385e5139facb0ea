#include "common/install_log.h"

bool NoErrorBoxes = false;

// Set only once a log is open (install_log_file.cpp). The installed program links
// the subsystems that log (the uninstall kit shares the class keys and the Program
// Manager conversation) but never opens a log, so the writer, its file and its clock
// stay out of its image.
LogWriter InstallLogWriter = nullptr;

void LogEvent(const char* format, ...) {
  if (InstallLogWriter == nullptr) return;
  va_list args;
  va_start(args, format);
  InstallLogWriter(format, args);
  va_end(args);
}

const char* LogOutcome(bool ok) { return ok ? "ok" : "failed"; }
