// The association checklist: the ten boxes, "sAssoc", the three buttons and the
// unattended run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_driver.h"
#include "dialogs/install_dialogs.h"

using namespace dialog_driver;

namespace {

std::vector<int> Flags() { return std::vector<int>(AssociationFlags, AssociationFlags + kAssociationCount); }

std::vector<int> Boxes(HWND dialog) {
  std::vector<int> boxes;
  for (int i = 0; i < kAssociationCount; ++i) boxes.push_back(IsDlgButtonChecked(dialog, kFirstFormatBox + i));
  return boxes;
}

const std::vector<int> kAllSet(kAssociationCount, 1);
const std::vector<int> kNoneSet(kAssociationCount, 0);

}  // namespace

TEST(AssociationDialog, AssociateFilesTakesEachFlagFromItsBox) {
  InstallerFixture installer;
  // Clear .jpg, .png and .pcd, in the fixed order .gif .jpg .pcx .png .bmp .rle .dib
  // .tif .tga .pcd.
  Outcome outcome = RunDialog(kAssociationTemplate, AssociationDialogProc, {[](HWND dialog) {
                                for (int id : {104, 106, 112}) SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
                                Click(dialog, IDOK);
                              }});
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(Flags(), (std::vector<int>{1, 0, 1, 0, 1, 1, 1, 1, 1, 0}));

  // "sAssoc" 0: every box starts clear, and associating then sets no flag.
  installer.SetVariable("sAssoc", " 0");
  std::vector<int> boxes;
  outcome = RunDialog(kAssociationTemplate, AssociationDialogProc, {[&](HWND dialog) {
                        boxes = Boxes(dialog);
                        Click(dialog, IDOK);
                      }});
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(boxes, kNoneSet);
  EXPECT_EQ(Flags(), kNoneSet);
}

TEST(AssociationDialog, EnterSkipExitEscapeAndCloseBoxKeepTheFlags) {
  InstallerFixture installer;
  std::vector<WayOut> ways = WaysToLeave();
  ways.push_back({"skip", 0, [](HWND dialog) { Click(dialog, kSkipButton); }});
  ways.push_back({"enter", 0, [](HWND dialog) { PressKey(dialog, VK_RETURN); }});  // skips, from the focus
  for (const WayOut& way : ways) {
    SCOPED_TRACE(way.name);
    for (unsigned char& flag : AssociationFlags) flag = 0;
    AssociationFlags[2] = 1;  // left by an earlier opening
    std::vector<int> boxes;
    int focus = 0;
    Step leave = way.leave;
    Outcome outcome = RunDialog(kAssociationTemplate, AssociationDialogProc, {[&](HWND dialog) {
                                  boxes = Boxes(dialog);
                                  focus = FocusId(dialog);
                                  leave(dialog);
                                }});
    EXPECT_EQ(outcome.result, way.result);
    EXPECT_FALSE(outcome.stuck);
    EXPECT_EQ(focus, kSkipButton);
    EXPECT_EQ(boxes, kAllSet) << "without sAssoc every box starts checked";
    EXPECT_EQ(Flags(), (std::vector<int>{0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
  }
}

TEST(AssociationDialog, UnattendedEndsByItselfWithTheAssocInteger) {
  InstallerFixture installer;
  const struct {
    const char* value;  // nullptr: no "sAssoc"
    int result;
    int flag;
  } cases[] = {
      {nullptr, 1, 1}, {"0", 0, 0}, {"-1", -1, 0xFF}, {"256", 256, 0}, {"yes", 0, 0}, {" +257x", 257, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value == nullptr ? "no sAssoc" : std::string("sAssoc=") + c.value);
    installer.ClearVariables();
    installer.SetVariable("sSilent", "1");
    if (c.value != nullptr) installer.SetVariable("sAssoc", c.value);
    for (unsigned char& flag : AssociationFlags) flag = 0x5A;
    // No step acts on the dialog. (Wine maps a visible template once even when the
    // procedure has ended it during initialisation, so whether it flashed up is not
    // asked.)
    Outcome outcome = RunDialog(kAssociationTemplate, AssociationDialogProc, {});
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_FALSE(outcome.stuck);
    EXPECT_EQ(Flags(), std::vector<int>(kAssociationCount, c.flag));
  }
}
