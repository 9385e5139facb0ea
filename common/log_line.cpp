#include "common/install_log.h"

namespace {

const char kCutMark[] = " [cut]";
const size_t kTimeLength = 20;  // "YYYY-MM-DD HH:MM:SS "
const size_t kTailLength = sizeof kCutMark - 1 + 2;  // the mark and CR LF

struct LineOutput {
  char* line;
  size_t used;
  size_t room;  // where the event's text must end, leaving the tail's place
  bool cut;
};

void PutDigits(char* out, unsigned value, int digits) {
  for (int i = digits - 1; i >= 0; --i) {
    out[i] = (char)('0' + value % 10);
    value /= 10;
  }
}

void PutEventText(LineOutput* out, const char* text) {
  for (; *text != '\0' && !out->cut; ++text) {
    if (out->used >= out->room) {
      out->cut = true;
    } else {
      out->line[out->used++] = *text;
    }
  }
}

}  // namespace

size_t ComposeLogLine(char* line, size_t size, const LogTime* time, const char* event, bool cut) {
  if (size < kTimeLength + kTailLength + 1) {
    if (size > 0) line[0] = '\0';
    return 0;
  }
  // "YYYY-MM-DD HH:MM:SS ": each field at its place, digits counted from the right.
  const unsigned fields[6] = {time->year, time->month, time->day, time->hour, time->minute, time->second};
  static const char kAfter[] = "-- :: ";
  PutDigits(line, fields[0], 4);
  for (int i = 1; i < 6; ++i) {
    line[4 + 3 * (i - 1)] = kAfter[i - 1];
    PutDigits(line + 5 + 3 * (i - 1), fields[i], 2);
  }
  line[kTimeLength - 1] = ' ';

  LineOutput out = {line, kTimeLength, size - 1 - kTailLength, false};
  bool pendingBreak = false;
  char one[2] = {0, 0};
  for (const char* p = event; *p != '\0' && !out.cut; ++p) {
    if (*p == '\r' || *p == '\n') {
      pendingBreak = true;
      continue;
    }
    if (pendingBreak) PutEventText(&out, " | ");
    pendingBreak = false;
    one[0] = (unsigned char)*p < ' ' ? ' ' : *p;
    PutEventText(&out, one);
  }
  if (cut || out.cut) {
    for (const char* m = kCutMark; *m != '\0'; ++m) line[out.used++] = *m;
  }
  line[out.used++] = '\r';
  line[out.used++] = '\n';
  line[out.used] = '\0';
  return out.used;
}
