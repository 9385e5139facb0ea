#include "shell/progman_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

const char kShort[] = "C:\\PROGRA~1\\LUMIVORA\\PROGRAM.EXE";

std::string Document(const char* programPath, const char* file, const char* label) {
  char out[kProgmanCommandSize];
  EXPECT_EQ(ComposeDocumentItem(out, sizeof out, kAddItemPrefix, programPath, file, label), 0);
  return out;
}

}  // namespace

TEST(ProgmanCommands, FixedCommandsOpenTheGroupAndClearItsItems) {
  EXPECT_STREQ(kProgmanService, "progman");
  EXPECT_STREQ(kCreateGroupCommand, "[CreateGroup(Lumivora)]");
  EXPECT_STREQ(kShowGroupCommand, "[ShowGroup(Lumivora,1)]");
  EXPECT_STREQ(kDeleteItemCommands[0], "[DeleteItem(\"Lumivora\")]");
  EXPECT_STREQ(kDeleteItemCommands[1], "[DeleteItem(\"Uninstall Lumivora\")]");
  EXPECT_STREQ(kDeleteItemCommands[2], "[DeleteItem(\"Lumivora Release Notes\")]");
  EXPECT_STREQ(kDeleteItemCommands[3], "[DeleteItem(\"Lumivora Order Form\")]");
  EXPECT_STREQ(kCreateCommonGroupCommand, "[CreateGroup(Lumivora,1)]");
  EXPECT_STREQ(kShowCommonGroupCommand, "[ShowGroup(Lumivora,1,1)]");
  EXPECT_STREQ(kDeleteCommonGroupCommand, "[DeleteGroup(Lumivora,1)]");
}

// GetVersion values: the common group from Windows NT 4 on, a Start menu from
// Windows 95 and NT 4 on, neither on Win32s and NT 3.51.
TEST(ProgmanCommands, CommonGroupsAndTheStartMenuByVersion) {
  const struct {
    uint32_t version;
    bool common;
    bool startMenu;
  } cases[] = {
      {0x80000A03u, false, false},  // Win32s on Windows 3.1
      {0x04213303u, false, false},  // Windows NT 3.51
      {0x05650004u, true, true},    // Windows NT 4
      {0x23F00206u, true, true},    // Windows 8 and later
      {0xC0000004u, false, true},   // Windows 95
      {0xC0005F03u, false, true},   // Windows 95 as 3.95
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    EXPECT_EQ(OffersCommonGroups(c.version), c.common);
    EXPECT_EQ(HasStartMenu(c.version), c.startMenu);
  }
}

// The shortcut files carry the items' names, and what each starts: the long path does,
// since a shortcut file takes blanks.
TEST(ProgmanCommands, ShortcutFilesOfTheFourItems) {
  const char program[] = "C:\\Program Files\\Lumivora\\PROGRAM.EXE";
  const char folder[] = "C:\\ProgramData\\Start Menu\\Programs\\Lumivora";
  const struct {
    const char* file;
    const char* target;
    const char* arguments;
    int icon;
  } expected[kGroupItemCount] = {
      {"Lumivora.lnk", program, "", 0},
      {"Uninstall Lumivora.lnk", program, ". -u", 1},
      {"Lumivora Release Notes.lnk", "C:\\Program Files\\Lumivora\\readme.txt", "", 2},
      {"Lumivora Order Form.lnk", "C:\\Program Files\\Lumivora\\order.txt", "", 2},
  };
  char out[260];
  for (int i = 0; i < kGroupItemCount; ++i) {
    SCOPED_TRACE(expected[i].file);
    ASSERT_EQ(ComposeShortcutPath(out, sizeof out, folder, kGroupItems[i]), 0);
    EXPECT_EQ(std::string(out), std::string(folder) + "\\" + expected[i].file);
    ASSERT_EQ(ComposeItemTarget(out, sizeof out, program, kGroupItems[i]), 0);
    EXPECT_STREQ(out, expected[i].target);
    EXPECT_STREQ(kGroupItems[i].arguments, expected[i].arguments);
    EXPECT_EQ(kGroupItems[i].iconIndex, expected[i].icon);
  }
  // A path that does not fit is reported, never used cut.
  EXPECT_EQ(ComposeShortcutPath(out, sizeof out, std::string(250, 'F').c_str(), kGroupItems[0]), -1);
  EXPECT_EQ(ComposeItemTarget(out, sizeof out, (std::string(250, 'D') + "\\P.EXE").c_str(), kGroupItems[3]), -1);
  EXPECT_EQ(ComposeItemTarget(out, sizeof out, std::string(300, 'P').c_str(), kGroupItems[0]), -1);
}

TEST(ProgmanCommands, ItemsOfTheDefaultInstallationUseTheShortPath) {
  char out[kProgmanCommandSize];
  ASSERT_EQ(ComposeProgramItem(out, sizeof out, kShort), 0);
  EXPECT_STREQ(out, "[AddItem(C:\\PROGRA~1\\LUMIVORA\\PROGRAM.EXE,\"Lumivora\",C:\\PROGRA~1\\LUMIVORA\\PROGRAM.EXE)]");
  ASSERT_EQ(ComposeUninstallItem(out, sizeof out, kShort), 0);
  EXPECT_STREQ(out,
               "[AddItem(C:\\PROGRA~1\\LUMIVORA\\PROGRAM.EXE . -u,\"Uninstall Lumivora\","
               "C:\\PROGRA~1\\LUMIVORA\\PROGRAM.EXE,1)]");
  EXPECT_EQ(Document(kShort, kReleaseNotesFile, kReleaseNotesLabel),
            "[AddItem(C:\\PROGRA~1\\LUMIVORA\\readme.txt,\"Lumivora Release Notes\","
            "C:\\PROGRA~1\\LUMIVORA\\PROGRAM.EXE,2)]");
  EXPECT_EQ(Document(kShort, kOrderFormFile, kOrderFormLabel),
            "[AddItem(C:\\PROGRA~1\\LUMIVORA\\order.txt,\"Lumivora Order Form\","
            "C:\\PROGRA~1\\LUMIVORA\\PROGRAM.EXE,2)]");
}

TEST(ProgmanCommands, TheDirectoryEndsAtTheLastBackslashOrColon) {
  EXPECT_EQ(ProgramDirectoryLength(kShort), std::strlen("C:\\PROGRA~1\\LUMIVORA\\"));
  EXPECT_EQ(ProgramDirectoryLength("A:PROGRAM.EXE"), 2u);
  // "/" is not a separator in Program Manager's paths.
  EXPECT_EQ(ProgramDirectoryLength("C:\\A/B/PROGRAM.EXE"), 3u);
  EXPECT_EQ(ProgramDirectoryLength("PROGRAM.EXE"), 0u);
  EXPECT_EQ(Document("A:PROGRAM.EXE", kOrderFormFile, kOrderFormLabel),
            "[AddItem(A:order.txt,\"Lumivora Order Form\",A:PROGRAM.EXE,2)]");
  // Without any separator the document is named bare; the prefix stays whole.
  EXPECT_EQ(Document("PROGRAM.EXE", kReleaseNotesFile, kReleaseNotesLabel),
            "[AddItem(readme.txt,\"Lumivora Release Notes\",PROGRAM.EXE,2)]");
}

TEST(ProgmanCommands, CommandsThatDoNotFitAreReportedAndStayInTheirBuffer) {
  // [AddItem( S . -u,"Uninstall Lumivora", S ,1)] takes 40 bytes besides the two
  // paths, and the NUL one more: 239 characters are the longest path that fits.
  std::string fits = "C:\\" + std::string(230, 'A') + "\\P.EXE";
  ASSERT_EQ(fits.size(), 239u);
  char out[kProgmanCommandSize + 16];
  std::memset(out, '#', sizeof out);
  ASSERT_EQ(ComposeUninstallItem(out, kProgmanCommandSize, fits.c_str()), 0);
  EXPECT_EQ(std::strlen(out), 40u + 2 * 239);

  std::string tooLong = "C:\\" + std::string(231, 'A') + "\\P.EXE";
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(ComposeUninstallItem(out, kProgmanCommandSize, tooLong.c_str()), -1);
  EXPECT_EQ(out[kProgmanCommandSize - 1], '\0');
  EXPECT_EQ(out[kProgmanCommandSize], '#');

  std::memset(out, '#', sizeof out);
  EXPECT_EQ(ComposeProgramItem(out, kProgmanCommandSize, (tooLong + tooLong).c_str()), -1);
  EXPECT_EQ(out[kProgmanCommandSize], '#');

  // The document's directory alone can overflow as well as any later piece.
  std::string longDirectory = std::string(600, 'D') + "\\P.EXE";
  for (const std::string& path : {longDirectory, tooLong + tooLong}) {
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(ComposeDocumentItem(out, kProgmanCommandSize, kAddItemPrefix, path.c_str(), kReleaseNotesFile,
                                  kReleaseNotesLabel),
              -1);
    EXPECT_EQ(out[kProgmanCommandSize - 1], '\0');
    EXPECT_EQ(out[kProgmanCommandSize], '#');
  }
}
