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

// The common group from Windows NT 4 on, a Start menu from Windows 95 and NT 4 on.
TEST(ProgmanCommands, CommonGroupsAndTheStartMenuByVersion) {
  // GetVersion of Win32s, NT 3.51, NT 4, Windows 8, and Windows 95 as 4.0 and as 3.95.
  const uint32_t versions[] = {0x80000A03u, 0x04213303u, 0x05650004u, 0x23F00206u, 0xC0000004u, 0xC0005F03u};
  const bool common[] = {false, false, true, true, false, false};
  const bool startMenu[] = {false, false, true, true, true, true};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(versions[i]);
    EXPECT_EQ(OffersCommonGroups(versions[i]), common[i]);
    EXPECT_EQ(HasStartMenu(versions[i]), startMenu[i]);
  }
}

// A shortcut file's path or target that does not fit is never used cut (the
// Windows-side test reads back the whole items).
TEST(ProgmanCommands, ShortcutPathsAndTargetsThatDoNotFitAreRefused) {
  char out[260];
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
