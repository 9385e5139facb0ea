// The uninstall kit's other decisions: each extension's fate, an uninstall start told
// from a normal one and the finishing copy's arguments, the wininit.ini line for
// Windows 95, the list of what was left.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "uninstall/extension_restore.h"
#include "uninstall/uninstall_command.h"
#include "common/wininit_rename.h"

TEST(UninstallDecisions, EachExtensionIsGivenBackOnlyWhileItStillNamesTheProduct) {
  const struct {
    const char* current;
    const char* saved;
    ExtensionStep step;
  } cases[] = {
      {"Lumivora", "giffile", kRestoreSavedClass},  // ours, with a predecessor
      {"Lumivora", "", kRemoveClass},               // ours, no class before
      {"Lumivora", nullptr, kRemoveClass},          // ours, nothing saved (it was ours already)
      {"Lumivora", "Lumivora", kRemoveClass},       // a saved name of our own is no predecessor
      {"OtherViewer.Jpg", "jpegfile", kLeaveExtension},  // taken over after the installation
      {"lumivora", "jpegfile", kLeaveExtension},    // not the installer's exact name
      {"", "", kLeaveExtension},                    // emptied by someone else
      {nullptr, "pngfile", kLeaveExtension},        // the extension's key is gone
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecideExtension(c.current, c.saved), c.step)
        << (c.current ? c.current : "(no key)") << " / " << (c.saved ? c.saved : "(none saved)");
  }
}

TEST(UninstallDecisions, AnUninstallStartIsTheProgramFollowedByDotAndDashU) {
  const struct {
    const char* commandLine;
    UninstallMode mode;
  } cases[] = {
      {"C:\\Program Files\\Lumivora\\LUMIVORA.EXE . -u", kUninstallAsk},  // the uninstall entry
      {"C:\\PROGRA~1\\LUMIVORA\\LUMIVORA.EXE . -u", kUninstallAsk},       // the group item
      {"\"C:\\Program Files\\Lumivora\\LUMIVORA.EXE\"\t.  -U ", kUninstallAsk},
      {"C:\\Program Files\\Lumivora\\LUMIVORA.EXE . -u -silent", kUninstallSilent},
      {"LUMIVORA.EXE C:\\pictures\\eye.gif", kNoUninstall},
      {"LUMIVORA.EXE -u", kNoUninstall},
      {"LUMIVORA.EXE . -u x", kNoUninstall},
      {"LUMIVORA.EXE . -uninstall", kNoUninstall},
      {". -u", kNoUninstall},  // no program before the arguments
      // The finishing copy, its arguments good or not (FinishArgumentsOf judges those).
      {"\"C:\\Temp dir\\LMV1A.EXE\" . -u -finish 124 \"C:\\Program Files\\Lumivora\\LUMIVORA.EXE\"", kUninstallFinish},
      {"C:\\TEMP\\LMV1A.EXE . -U -Finish 124 C:\\PROGRA~1\\LUMIVORA\\LUMIVORA.EXE ", kUninstallFinish},
      {"C:\\TEMP\\LMV1A.EXE . -u -finish x \"\"", kUninstallFinish},
      {"C:\\TEMP\\LMV1A.EXE . -u -finish \"C:\\Program Files\\L.EXE\"", kNoUninstall},  // no handle
      {"C:\\TEMP\\LMV1A.EXE . -u -finish 124", kNoUninstall},                      // no path
      {". -u -finish 124 \"C:\\L.EXE\"", kNoUninstall},                              // no program
      {"LUMIVORA.EXE . -finish 124 \"C:\\L.EXE\"", kNoUninstall},
      {"LUMIVORA.EXE \"C:\\my pictures\\eye.gif\"", kNoUninstall},
  };
  for (const auto& c : cases) EXPECT_EQ(UninstallModeOf(c.commandLine), c.mode) << c.commandLine;
}

TEST(UninstallDecisions, TheFinishingCopyTakesOnlyAHandleAndAPlainFullPath) {
  const std::string program = "C:\\Program Files\\Lumivora\\LUMIVORA.EXE";
  char line[600];
  ASSERT_EQ(ComposeFinishCommand(line, sizeof line, "C:\\Documents and Settings\\Jo\\Temp\\LMV1A.EXE", 1996,
                                 program.c_str()),
            0);
  EXPECT_EQ(line, "\"C:\\Documents and Settings\\Jo\\Temp\\LMV1A.EXE\" . -u -finish 1996 \"" + program + "\"")
      << "the form the README gives";
  // What was composed is what the copy reads back, blanks and all.
  EXPECT_EQ(UninstallModeOf(line), kUninstallFinish);
  unsigned long handle = 0;
  char path[260];
  ASSERT_EQ(FinishArgumentsOf(line, &handle, path, sizeof path), 0);
  EXPECT_EQ(handle, 1996ul);
  EXPECT_EQ(path, program);

  const struct {
    const char* arguments;  // after "X . -u -finish "
    unsigned long handle;   // 0: refused
    const char* path;
  } cases[] = {
      {"4 \"D:\\L\\LUMIVORA.EXE\"", 4, "D:\\L\\LUMIVORA.EXE"},
      {"2147483647 C:\\PROGRA~1\\LUMIVORA\\LUMIVORA.EXE", 2147483647, "C:\\PROGRA~1\\LUMIVORA\\LUMIVORA.EXE"},
      {"12 \"C:\\Programme\\Lumiv\xf6ra\\L.EXE\"  ", 12, "C:\\Programme\\Lumiv\xf6ra\\L.EXE"},
      // Malformed handles: none of them is waited for.
      {"0 \"C:\\L\\L.EXE\"", 0, nullptr},
      {"-1 \"C:\\L\\L.EXE\"", 0, nullptr},           // the copy itself
      {"4294967295 \"C:\\L\\L.EXE\"", 0, nullptr},   // the same, unsigned
      {"2147483648 \"C:\\L\\L.EXE\"", 0, nullptr},
      {"99999999999999999999 \"C:\\L\\L.EXE\"", 0, nullptr},
      {"0x1C \"C:\\L\\L.EXE\"", 0, nullptr},
      {"12a \"C:\\L\\L.EXE\"", 0, nullptr},
      // Malformed paths.
      {"12 \"\"", 0, nullptr},
      {"12 \"L.EXE\"", 0, nullptr},
      {"12 \"C:L.EXE\"", 0, nullptr},
      {"12 \"C:\\\"", 0, nullptr},
      {"12 \"\\\\server\\share\\L.EXE\"", 0, nullptr},
      {"12 \"C:\\L\\..\\WINDOWS\\WIN.INI\"", 0, nullptr},
      {"12 \"C:\\L\\.\\L.EXE\"", 0, nullptr},
      {"12 \"C:\\L\\\\L.EXE\"", 0, nullptr},
      {"12 \"C:\\L\\\"", 0, nullptr},
      {"12 \"C:\\L\\*.EXE\"", 0, nullptr},
      {"12 \"C:\\L\\L.EXE:stream\"", 0, nullptr},
      {"12 \"C:\\L/L.EXE\"", 0, nullptr},
      {"12 \"C:\\L\\L\tEXE\"", 0, nullptr},
      {"12 C:\\Program Files\\L.EXE", 0, nullptr},  // blanks without quotes
      {"12 \"C:\\L\\L.EXE", 0, nullptr},            // no closing quote
      {"12\"C:\\L\\L.EXE\"", 0, nullptr},          // no handle word of its own
  };
  for (const auto& c : cases) {
    std::string commandLine = std::string("C:\\TEMP\\LMV1A.EXE . -u -finish ") + c.arguments;
    handle = 99;
    std::memset(path, 'x', sizeof path);
    path[sizeof path - 1] = '\0';
    if (c.path != nullptr) {
      ASSERT_EQ(FinishArgumentsOf(commandLine.c_str(), &handle, path, sizeof path), 0) << commandLine;
      EXPECT_EQ(handle, c.handle) << commandLine;
      EXPECT_STREQ(path, c.path) << commandLine;
    } else {
      EXPECT_EQ(FinishArgumentsOf(commandLine.c_str(), &handle, path, sizeof path), -1) << commandLine;
      EXPECT_EQ(handle, 0ul) << commandLine;
      EXPECT_STREQ(path, "") << commandLine;
    }
  }
  // A line of another mode has no finishing arguments.
  EXPECT_EQ(FinishArgumentsOf((program + " . -u -silent").c_str(), &handle, path, sizeof path), -1);

  // A path that does not fit is refused whole, never cut to a shorter name.
  const std::string deep = "C:\\" + std::string(250, 'D') + "\\LUMIVORA.EXE";
  const std::string longLine = "X . -u -finish 12 \"" + deep + "\"";
  EXPECT_EQ(FinishArgumentsOf(longLine.c_str(), &handle, path, sizeof path), -1);
  EXPECT_STREQ(path, "");
  char fits[300];
  EXPECT_EQ(FinishArgumentsOf(longLine.c_str(), &handle, fits, sizeof fits), 0);
  EXPECT_EQ(fits, deep);
  char small[40];
  EXPECT_EQ(ComposeFinishCommand(small, sizeof small, "C:\\TEMP\\LMV1A.EXE", 12, program.c_str()), -1);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(ComposeFinishCommand(line, sizeof line, "C:\\TEMP\\LMV1A.EXE", 12, "C:\\A\"B.EXE"), -1);
}

TEST(UninstallDecisions, TheWindows95DeletionJoinsTheRenameSectionAndKeepsEveryLine) {
  const struct {
    std::string before;
    std::string after;
  } cases[] = {
      {"", "[rename]\r\nNUL=C:\\PROGRA~1\\LUMIVORA\\LUMIVORA.EXE\r\n"},
      // Another program's pending deletion under the same name stays.
      {"[Rename]\r\nNUL=C:\\OTHER\\A.EXE\r\n",
       "[Rename]\r\nNUL=C:\\PROGRA~1\\LUMIVORA\\LUMIVORA.EXE\r\nNUL=C:\\OTHER\\A.EXE\r\n"},
      {"[other]\r\nx=1", "[other]\r\nx=1\r\n[rename]\r\nNUL=C:\\PROGRA~1\\LUMIVORA\\LUMIVORA.EXE\r\n"},
      {"[other]\nx=1\n [rename] \n[last]\n",
       "[other]\nx=1\n [rename] \nNUL=C:\\PROGRA~1\\LUMIVORA\\LUMIVORA.EXE\r\n[last]\n"},
  };
  for (const auto& c : cases) {
    char out[256];
    ASSERT_EQ(AddDeletionAtRestart(c.before.c_str(), "C:\\PROGRA~1\\LUMIVORA\\LUMIVORA.EXE", out, sizeof out), 0);
    EXPECT_EQ(out, c.after) << c.before;
  }
  char small[24];
  EXPECT_EQ(AddDeletionAtRestart("[rename]\r\n", "C:\\PROGRA~1\\LUMIVORA\\LUMIVORA.EXE", small, sizeof small), -1);
  EXPECT_STREQ(small, "");
}

TEST(UninstallDecisions, TheListOfWhatWasLeftEndsInDotsWhenFull) {
  char list[40] = "";
  EXPECT_EQ(AddLeftOver(list, sizeof list, "C:\\L\\A.TXT"), 0);
  EXPECT_EQ(AddLeftOver(list, sizeof list, "C:\\L\\B.TXT"), 0);
  EXPECT_EQ(AddLeftOver(list, sizeof list, "C:\\L\\LONGER NAME.TXT"), -1);
  EXPECT_EQ(AddLeftOver(list, sizeof list, "C:\\X"), -1);  // full stays full
  EXPECT_STREQ(list, "C:\\L\\A.TXT\r\nC:\\L\\B.TXT\r\n...\r\n");
}
