// The destination dialog: the directory field, the size line, the administrator's
// preset directory, and the ways out.
#include <gtest/gtest.h>

#include <string>

#include "dialog_driver.h"
#include "dialogs/install_dialogs.h"

using namespace dialog_driver;

namespace {

// Opens the destination dialog, records what it shows, runs `act` and returns the result.
struct Shown {
  std::string title, field, sizeLine;
  int focus = 0;
};

Outcome OpenDestination(Shown* shown, const Step& act) {
  return RunDialog(kDestinationTemplate, DestinationDialogProc, {[=](HWND dialog) {
                     char title[256];
                     GetWindowTextA(dialog, title, sizeof title);
                     shown->title = title;
                     shown->field = ItemText(dialog, kPathField);
                     shown->sizeLine = ItemText(dialog, kSizeLine);
                     shown->focus = FocusId(dialog);
                     act(dialog);
                   }});
}

Step TypeAndInstall(const std::string& text) {
  return [text](HWND dialog) {
    SetDlgItemTextA(dialog, kPathField, text.c_str());
    Click(dialog, IDOK);
  };
}

}  // namespace

TEST(DestinationDialog, ShowsTitleDirectoryAndSizeAndEnterInstalls) {
  InstallerFixture installer;
  ArchiveTotal = 4080498;
  Shown shown;
  Outcome outcome = OpenDestination(&shown, [](HWND dialog) { PressKey(dialog, VK_RETURN); });
  EXPECT_EQ(outcome.result, 0);
  EXPECT_TRUE(outcome.shown);
  EXPECT_EQ(shown.title, "Lumivora Install - Windows (32-bit)");
  EXPECT_EQ(shown.field, "C:\\Program Files\\Lumivora");
  EXPECT_EQ(shown.sizeLine, "The installed files will occupy 3984K on your disk.");
  EXPECT_EQ(shown.focus, kPathField);
  EXPECT_STREQ(InstallDirectory, "C:\\Program Files\\Lumivora");

  // Less than one kilobyte counts as none.
  ArchiveTotal = 1023;
  outcome = OpenDestination(&shown, TypeAndInstall("D:\\Viewer"));
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(shown.sizeLine, "The installed files will occupy 0K on your disk.");
  EXPECT_STREQ(InstallDirectory, "D:\\Viewer");
}

TEST(DestinationDialog, InstallTakesTheFieldAsTypedCutTo259Characters) {
  InstallerFixture installer;
  const std::string longPath = "C:\\" + std::string(300, 'x');
  Shown shown;
  EXPECT_EQ(OpenDestination(&shown, TypeAndInstall(longPath)).result, 0);
  EXPECT_EQ(std::string(InstallDirectory), longPath.substr(0, 259));

  // No check here: blanks and an empty field are taken as they are.
  EXPECT_EQ(OpenDestination(&shown, TypeAndInstall("  E:\\with blanks ")).result, 0);
  EXPECT_STREQ(InstallDirectory, "  E:\\with blanks ");
  EXPECT_EQ(OpenDestination(&shown, TypeAndInstall("")).result, 0);
  EXPECT_STREQ(InstallDirectory, "");
}

TEST(DestinationDialog, PresetDirectoryIsAppliedOnEveryOpening) {
  InstallerFixture installer;
  installer.SetVariable("sDefPathNT", "D:\\Apps\\Lumivora");
  Shown shown;
  EXPECT_EQ(OpenDestination(&shown, TypeAndInstall("E:\\Typed")).result, 0);
  EXPECT_EQ(shown.field, "D:\\Apps\\Lumivora");
  EXPECT_STREQ(InstallDirectory, "E:\\Typed");

  // Reopened after the directory could not be made: the preset again, not the typed text.
  EXPECT_EQ(OpenDestination(&shown, [](HWND dialog) { Click(dialog, IDCANCEL); }).result, -1);
  EXPECT_EQ(shown.field, "D:\\Apps\\Lumivora");
  EXPECT_STREQ(InstallDirectory, "D:\\Apps\\Lumivora");
}

TEST(DestinationDialog, OverlongPresetIsCutToTheDirectoryBuffer) {
  InstallerFixture installer;
  const std::string preset = "D:\\" + std::string(400, 'p');
  installer.SetVariable("sDefPathNT", preset);
  Shown shown;
  EXPECT_EQ(OpenDestination(&shown, [](HWND dialog) { Click(dialog, IDOK); }).result, 0);
  EXPECT_EQ(shown.field, preset.substr(0, 259));
  EXPECT_EQ(std::string(InstallDirectory), preset.substr(0, 259));
}

TEST(DestinationDialog, ExitEscapeAndCloseBoxLeaveTheDirectoryAlone) {
  InstallerFixture installer;
  for (const WayOut& way : WaysToLeave()) {
    SCOPED_TRACE(way.name);
    Step leave = way.leave;
    Outcome outcome = RunDialog(kDestinationTemplate, DestinationDialogProc, {[leave](HWND dialog) {
                                  SetDlgItemTextA(dialog, kPathField, "F:\\Not\\Taken");
                                  leave(dialog);
                                }});
    EXPECT_EQ(outcome.result, way.result);
    EXPECT_FALSE(outcome.stuck);
    EXPECT_STREQ(InstallDirectory, "C:\\Program Files\\Lumivora");
  }
}
