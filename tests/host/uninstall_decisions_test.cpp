// The uninstall kit's other decisions: each extension's fate, an uninstall start told
// from a normal one, the wininit.ini line for Windows 95, the list of what was left.
#include <gtest/gtest.h>

#include <string>

#include "uninstall/extension_restore.h"
#include "uninstall/uninstall_command.h"
#include "uninstall/wininit_rename.h"

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
  };
  for (const auto& c : cases) EXPECT_EQ(UninstallModeOf(c.commandLine), c.mode) << c.commandLine;
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
