#include "common/install_log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(LogLine, OneEventIsOneTimedLineCutWithAMark) {
  const LogTime time = {2026, 12, 8, 9, 5, 7};
  const std::string stamp = "2026-12-08 09:05:07 ";
  struct Row {
    const char* event;
    bool cut;
    size_t size;
    std::string line;  // "" when nothing fits
  } rows[] = {
      {"dialog 200: 0", false, 512, stamp + "dialog 200: 0\r\n"},
      // An error box's line breaks, a run counted once and none left at the end.
      {"Error writing file.\r\n\r\nInstallation aborted.\r\n", false, 512,
       stamp + "Error writing file. | Installation aborted.\r\n"},
      {"a\tb\x01" "c", false, 512, stamp + "a b c\r\n"},
      {"cut before", true, 512, stamp + "cut before [cut]\r\n"},
      // 20 for the time, 8 for the mark and CR LF, the NUL: 3 bytes of the event.
      {"abcd", false, 32, stamp + "abc [cut]\r\n"},
      {"abc", false, 32, stamp + "abc\r\n"},
      {"ab\r\nc", false, 32, stamp + "ab  [cut]\r\n"},
      {"", false, 29, stamp + "\r\n"},
      {"x", false, 28, ""},
  };
  for (const Row& row : rows) {
    char line[600];
    std::memset(line, 'z', sizeof line);
    size_t length = ComposeLogLine(line, row.size, &time, row.event, row.cut);
    EXPECT_EQ(std::string(line), row.line) << row.event;
    EXPECT_EQ(length, row.line.size()) << row.event;
    EXPECT_EQ(line[row.size], 'z') << row.event;  // nothing past the buffer
  }
}
