// The destination dialog: the directory field, the size line, the administrator's
// preset directory, and the ways out.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "dialog_driver.h"
#include "dialogs/install_dialogs.h"
#include "test_support.h"

using namespace dialog_driver;

TEST(DestinationDialog, ShowsTheDirectoryAndTakesTheFieldOnInstallOnly) {
  InstallerFixture installer;
  const std::string kDefault = "C:\\Program Files\\Lumivora";
  const std::string longTyped = "C:\\" + std::string(300, 'x');
  const std::string longPreset = "D:\\" + std::string(400, 'p');
  const Step install = [](HWND dialog) { Click(dialog, IDOK); };
  const Step enter = [](HWND dialog) { PressKey(dialog, VK_RETURN); };
  const std::vector<WayOut> leave = WaysToLeave();
  // The rows run in order on one installer state: each opening shows what the rows
  // before it left in InstallDirectory.
  const struct {
    const char* name;
    uint32_t archiveTotal;
    const char* kilobytes;                    // as the size line shows them
    std::string preset;                       // sDefPathNT, "" for none
    std::optional<std::string> typed;         // put in the field before leaving
    Step leave;
    int result;
    std::string field, taken;  // what the field showed, InstallDirectory afterwards
  } cases[] = {
      {"enter", 4080498, "3984", "", std::nullopt, enter, 0, kDefault, kDefault},
      {"less than 1K counts as none", 1023, "0", "", "D:\\Viewer", install, 0, kDefault, "D:\\Viewer"},
      {"typed too long: cut", 4096, "4", "", longTyped, install, 0, "D:\\Viewer", longTyped.substr(0, 259)},
      // No check here: the directory step checks what was typed.
      {"blanks", 4096, "4", "", "  E:\\with blanks ", install, 0, longTyped.substr(0, 259), "  E:\\with blanks "},
      {leave[0].name, 4096, "4", "", "F:\\Not\\Taken", leave[0].leave, -1, "  E:\\with blanks ", "  E:\\with blanks "},
      {leave[1].name, 4096, "4", "", "F:\\Not\\Taken", leave[1].leave, -1, "  E:\\with blanks ", "  E:\\with blanks "},
      {leave[2].name, 4096, "4", "", "F:\\Not\\Taken", leave[2].leave, -1, "  E:\\with blanks ", "  E:\\with blanks "},
      {"empty", 4096, "4", "", "", install, 0, "  E:\\with blanks ", ""},
      // The administrator's directory is shown at every opening, also when the dialog
      // is reopened after the directory could not be made, and cut when too long.
      {"preset", 4096, "4", "D:\\Apps\\Lumivora", "E:\\Typed", install, 0, "D:\\Apps\\Lumivora", "E:\\Typed"},
      {"preset again", 4096, "4", "D:\\Apps\\Lumivora", std::nullopt, leave[0].leave, -1, "D:\\Apps\\Lumivora",
       "D:\\Apps\\Lumivora"},
      {"preset too long", 4096, "4", longPreset, std::nullopt, install, 0, longPreset.substr(0, 259),
       longPreset.substr(0, 259)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ArchiveTotal = c.archiveTotal;
    installer.ClearVariables();
    if (!c.preset.empty()) installer.SetVariable("sDefPathNT", c.preset);
    std::string title, field, sizeLine;
    int focus = 0;
    Outcome outcome = RunDialog(kDestinationTemplate, DestinationDialogProc, {[&](HWND dialog) {
                                  title = testing_support::WindowText(dialog);
                                  field = ItemText(dialog, kPathField);
                                  sizeLine = ItemText(dialog, kSizeLine);
                                  focus = FocusId(dialog);
                                  if (c.typed) SetDlgItemTextA(dialog, kPathField, c.typed->c_str());
                                  c.leave(dialog);
                                }});
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_FALSE(outcome.stuck);
    EXPECT_EQ(title, "Lumivora Install - Windows (32-bit)");
    EXPECT_EQ(field, c.field);
    EXPECT_EQ(sizeLine, std::string("The installed files will occupy ") + c.kilobytes + "K on your disk.");
    EXPECT_EQ(focus, kPathField);
    EXPECT_EQ(std::string(InstallDirectory), c.taken);
  }
}
