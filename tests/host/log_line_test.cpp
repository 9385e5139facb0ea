#include "common/install_log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(LogLine, OneEventIsOneTimedLineCutWithAMark) {
  const LogTime time = {2026, 12, 8, 9, 5, 7};
  const std::string t = "2026-12-08 09:05:07 ";
  const struct { const char* event; bool cut; size_t size; std::string line; } rows[] = {
      // An error box's line breaks, a run counted once and none left at the end.
      {"Error writing file.\r\n\r\nAborted.\r\n", false, 512, t + "Error writing file. | Aborted.\r\n"},
      {"a\tb\x01" "c", false, 512, t + "a b c\r\n"},
      {"cut before", true, 512, t + "cut before [cut]\r\n"},
      // 20 for the time, 8 for the mark and CR LF, the NUL: 3 bytes of the event.
      {"abcd", false, 32, t + "abc [cut]\r\n"},
      {"abc", false, 32, t + "abc\r\n"},
      {"ab\r\nc", false, 32, t + "ab  [cut]\r\n"},
      {"x", false, 28, ""},  // no room for a time and a mark
  };
  for (const auto& row : rows) {
    char line[600];
    std::memset(line, 'z', sizeof line);
    EXPECT_EQ(ComposeLogLine(line, row.size, &time, row.event, row.cut), row.line.size()) << row.event;
    EXPECT_EQ(std::string(line), row.line) << row.event;
    EXPECT_EQ(line[row.size], 'z') << row.event;  // nothing past the buffer
  }
}
