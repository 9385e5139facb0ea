// The administrator's log ("sLog"): plain ANSI text, one line per event, each line
// beginning with the local time and ending in CR LF, appended to the file the
// variable names. Every subsystem may write an event; a log that cannot be opened
// or written changes nothing the installation does.
#pragma once
#include <stdarg.h>
#include <stddef.h>

// One line, its time, its CR LF and its NUL included; a longer event is cut.
enum { kLogLineSize = 512 };

struct LogTime {
  unsigned year, month, day, hour, minute, second;
};

// Deciding part: the line of one event, "YYYY-MM-DD HH:MM:SS event" and CR LF, into
// `line` (`size` bytes). The event's line breaks, which the texts of error boxes
// hold, become " | " (a run of them counts as one, none at the end), other control
// bytes a space: one event is one line. An event that does not fit, or that came
// `cut` already, ends in " [cut]" before the CR LF. Returns the line's length; 0
// (and "" where there is room for it) when `size` cannot hold a time and a mark.
size_t ComposeLogLine(char* line, size_t size, const LogTime* time, const char* event, bool cut);

#ifdef _WIN32
// "sNoBoxes" of an unattended installation: no error box is shown, its text goes to
// the log, and the installation ends with its status.
extern bool NoErrorBoxes;

// Opens the file at `path` (none when nullptr) for appending, creating it when it
// is absent. A file that cannot be opened leaves the log off.
void OpenInstallLog(const char* path);

// What writes an event while a log is open; nullptr otherwise.
typedef void (*LogWriter)(const char* format, va_list args);
extern LogWriter InstallLogWriter;

// Writes one event, formatted as FormatBounded formats, when the log is open.
void LogEvent(const char* format, ...);

// "ok" or "failed", for the outcome of a step in an event.
const char* LogOutcome(bool ok);
#endif
