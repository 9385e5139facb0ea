#include "shell/record_name.h"

#include <gtest/gtest.h>

TEST(RecordName, JoinsTheRelativePathWithDollars) {
  char out[260];
  ASSERT_EQ(RecordNameFor("C:\\Program Files\\Lumivora", "C:\\Program Files\\Lumivora\\README.TXT", out, sizeof out), 0);
  EXPECT_STREQ(out, "README.TXT");
  RecordNameFor("C:\\Program Files\\Lumivora", "C:\\Program Files\\Lumivora\\ENGLISH\\IMAGES\\CBHL", out, sizeof out);
  EXPECT_STREQ(out, "ENGLISH$IMAGES$CBHL");
  RecordNameFor("C:\\Lumivora", "C:\\Lumivora\\a/b\\c", out, sizeof out);
  EXPECT_STREQ(out, "a$b$c");
}

TEST(RecordName, TrailingSeparatorsOfTheDirectoryGiveTheSameNames) {
  char out[260];
  RecordNameFor("C:\\Lumivora\\", "C:\\Lumivora\\ENGLISH\\X.HTM", out, sizeof out);
  EXPECT_STREQ(out, "ENGLISH$X.HTM");
  RecordNameFor("D:\\", "D:\\README.TXT", out, sizeof out);
  EXPECT_STREQ(out, "README.TXT");
  // The default data file is built as directory + "\DEF.LMV" even after a separator.
  RecordNameFor("D:\\", "D:\\\\DEF.LMV", out, sizeof out);
  EXPECT_STREQ(out, "DEF.LMV");
}

TEST(RecordName, RefusesWhatDoesNotFitAndNeverReadsPastAShortPath) {
  char out[8];
  EXPECT_EQ(RecordNameFor("C:\\L", "C:\\L\\LONGNAME.TXT", out, sizeof out), -1);
  char big[260];
  EXPECT_EQ(RecordNameFor("C:\\Longer\\Directory", "C:\\x", big, sizeof big), 0);
  EXPECT_STREQ(big, "");
}
