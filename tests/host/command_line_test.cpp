#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Switches {
  bool autoRun = true;
  int language = 0;
  bool chosen = false;
};

Switches Scan(const char* args) {
  Switches s;
  ScanCommandLine(args, &s.autoRun, &s.language, &s.chosen);
  return s;
}

}  // namespace

TEST(CommandLine, RecognisesSwitchesInAnyLetterCase) {
  EXPECT_FALSE(Scan("-noautorun").autoRun);
  EXPECT_FALSE(Scan("/x -NOAUTORUN").autoRun);
  Switches s = Scan("-Language=G");
  EXPECT_EQ(s.language, 1);
  EXPECT_TRUE(s.chosen);
  EXPECT_TRUE(Scan("").autoRun);
}

TEST(CommandLine, LanguageLettersAreUpperCaseOnly) {
  const char* letters = "EGFSIPD";
  for (int i = 0; i < 7; ++i) {
    std::string arg = std::string("-language=") + letters[i];
    EXPECT_EQ(Scan(arg.c_str()).language, i) << arg;
  }
  Switches lower = Scan("-language=g");
  EXPECT_EQ(lower.language, 0);
  EXPECT_TRUE(lower.chosen);
  Switches unknown = Scan("-language=G -language=X");
  EXPECT_EQ(unknown.language, 1);  // an unknown letter leaves the language alone
  EXPECT_TRUE(unknown.chosen);
  EXPECT_EQ(Scan("-language=G -language=F").language, 2);  // the last one wins
}

TEST(CommandLine, IgnoresMalformedSwitches) {
  Switches two = Scan("-language=GE");
  EXPECT_FALSE(two.chosen);
  EXPECT_EQ(two.language, 0);
  EXPECT_TRUE(Scan("x-noautorun").autoRun);
  EXPECT_TRUE(Scan("a\t-noautorun").autoRun);  // a tab does not separate words
  EXPECT_TRUE(Scan("-noautorunx").autoRun);
  EXPECT_TRUE(Scan("-noautorun\t").autoRun);
  EXPECT_FALSE(Scan("a  -noautorun").autoRun);
}

TEST(CommandLine, LanguageSwitchAtTheEndReadsNothingPastTheTerminator) {
  // The switch is the last thing in an exactly sized heap block, so the sanitizer
  // catches any read past its terminator.
  const char text[] = "-language=";
  char* exact = new char[sizeof text];
  std::memcpy(exact, text, sizeof text);
  Switches s;
  ScanCommandLine(exact, &s.autoRun, &s.language, &s.chosen);
  EXPECT_FALSE(s.chosen);
  delete[] exact;

  const char partial[] = "-noauto";
  char* p = new char[sizeof partial];
  std::memcpy(p, partial, sizeof partial);
  s = Switches();
  ScanCommandLine(p, &s.autoRun, &s.language, &s.chosen);
  EXPECT_TRUE(s.autoRun);
  delete[] p;
}

TEST(InstallerDirectory, CutsAfterTheLastSeparator) {
  struct Case {
    const char* path;
    const char* dir;
  } cases[] = {
      {"D:\\SETUP\\INSTALL.EXE", "D:\\SETUP\\"},
      {"D:INSTALL.EXE", "D:\\"},
      {"D:\\INSTALL.EXE", "D:\\"},
      {"\\\\server\\share/sub/install.exe", "\\\\server\\share/sub/"},
      {"INSTALL.EXE", ""},
  };
  for (const Case& c : cases) {
    char out[260];
    InstallerDirectoryFromPath(c.path, out, sizeof out);
    EXPECT_STREQ(out, c.dir) << c.path;
  }
}

TEST(InstallerDirectory, ADirectoryThatDoesNotFitIsNone) {
  char out[8];
  InstallerDirectoryFromPath("C:\\LONGDIRECTORY\\X.EXE", out, sizeof out);
  EXPECT_STREQ(out, "");
}

TEST(CommandLine, ArgumentsFollowTheProgramName) {
  EXPECT_STREQ(ArgumentsAfterProgramName("install.exe -noautorun"), "-noautorun");
  EXPECT_STREQ(ArgumentsAfterProgramName("\"C:\\My Setup\\install.exe\"  \t -language=G x"), "-language=G x");
  EXPECT_STREQ(ArgumentsAfterProgramName("\"C:\\a b\\install.exe\"-noautorun"), "-noautorun");
  EXPECT_STREQ(ArgumentsAfterProgramName("install.exe"), "");
  EXPECT_STREQ(ArgumentsAfterProgramName("\"unterminated"), "");
  EXPECT_STREQ(ArgumentsAfterProgramName(""), "");
}

TEST(CommandLine, ValueSwitchesTakeQuotedValuesAndRefuseWhatCannotBeUsed) {
  struct Case {
    const char* args;
    const char* name;
    size_t size;
    SwitchValueResult result;
    const char* value;
  } cases[] = {
      {"-silent -dir=\"C:\\Apps\\Lumi Vora\" -log=x", "-dir=", 260, kSwitchGiven, "C:\\Apps\\Lumi Vora"},
      {"-DIR=C:\\a -Dir=\"C:\\b\\\"", "-dir=", 260, kSwitchGiven, "C:\\b\\"},  // the last wins; no escapes
      {"-log=C:\\x.log", "-dir=", 260, kSwitchAbsent, "untouched"},
      {"x-dir=C:\\a -dirx=C:\\b", "-dir=", 260, kSwitchAbsent, "untouched"},
      {"-dir= -silent", "-dir=", 260, kSwitchEmpty, ""},
      {"-dir=\"\"", "-dir=", 260, kSwitchEmpty, ""},
      {"-dir=\"C:\\a -silent", "-dir=", 260, kSwitchUnclosed, "C:\\a -silent"},
      {"-dir=C:\\abcdefgh -dir=C:\\a", "-dir=", 8, kSwitchTooLong, "C:\\abcd"},  // refused, not cut
      {"-assoc=-1", "-assoc=", 12, kSwitchGiven, "-1"},
      {"-assoc=1x", "-assoc=", 12, kSwitchNotNumber, "1x"},
      {"-assoc=+", "-assoc=", 12, kSwitchNotNumber, "+"},
  };
  for (const Case& c : cases) {
    char out[260] = "untouched";
    EXPECT_EQ(FindSwitchValue(c.args, c.name, out, c.size, c.name[1] == 'a'), c.result) << c.args;
    EXPECT_STREQ(out, c.value) << c.args;
  }
  // Words inside a quoted value are no switches of their own.
  EXPECT_FALSE(HasSwitch("-dir=\"C:\\a -silent\"", "-silent"));
  EXPECT_TRUE(HasSwitch("-dir=\"C:\\a b\" -SILENT", "-silent"));
}

TEST(CommandLine, UnknownSwitchesAreNamedOneByOne) {
  const char* args = "-silent -quiet /S -language=GE -dir=x -dirx -verify -Assoc=1 -";
  std::string found;
  const char* word;
  size_t length;
  for (size_t position = 0; NextUnknownSwitch(args, &position, &word, &length);) found += std::string(word, length) + "|";
  EXPECT_EQ(found, "-quiet|-language=GE|-dirx|-|");
}
