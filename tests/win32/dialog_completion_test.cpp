// The completion dialog: the offer to start Lumivora, without it (-noautorun), and
// unattended.
#include <gtest/gtest.h>

#include <string>

#include "dialog_driver.h"
#include "dialogs/install_dialogs.h"

using namespace dialog_driver;

namespace {

struct Seen {
  bool run = false, line1 = false, line2 = false, extra = false, exit = false;
  int focus = 0;
};

Step Look(Seen* seen) {
  return [seen](HWND dialog) {
    seen->run = ItemVisible(dialog, IDOK);
    seen->line1 = ItemVisible(dialog, kRunLine1);
    seen->line2 = ItemVisible(dialog, kRunLine2);
    seen->extra = ItemVisible(dialog, kRunExtra);
    seen->exit = ItemVisible(dialog, IDCANCEL);
    seen->focus = FocusId(dialog);
  };
}

}  // namespace

TEST(CompletionDialog, OffersToRunLumivoraAndEnterAcceptsIt) {
  InstallerFixture installer;
  Seen seen;
  Outcome outcome = RunDialog(kCompletionTemplate, CompletionDialogProc,
                              {Look(&seen), [](HWND dialog) { PressKey(dialog, VK_RETURN); }});
  EXPECT_EQ(outcome.result, 0);
  EXPECT_TRUE(outcome.shown);
  EXPECT_TRUE(seen.run && seen.line1 && seen.line2 && seen.exit);
  EXPECT_EQ(seen.focus, IDOK);

  outcome = RunDialog(kCompletionTemplate, CompletionDialogProc, {[](HWND dialog) { Click(dialog, IDOK); }});
  EXPECT_EQ(outcome.result, 0);
}

TEST(CompletionDialog, ExitEscapeAndCloseBoxStartNothing) {
  InstallerFixture installer;
  for (const WayOut& way : WaysToLeave()) {
    SCOPED_TRACE(way.name);
    Outcome outcome = RunDialog(kCompletionTemplate, CompletionDialogProc, {way.leave});
    EXPECT_EQ(outcome.result, way.result);
    EXPECT_FALSE(outcome.stuck);
  }
}

TEST(CompletionDialog, WithoutAutoRunOnlyExitIsLeftAndEnterExits) {
  InstallerFixture installer;
  AutoRun = false;
  Seen seen;
  Outcome outcome = RunDialog(kCompletionTemplate, CompletionDialogProc,
                              {Look(&seen), [](HWND dialog) { PressKey(dialog, VK_RETURN); }});
  EXPECT_EQ(outcome.result, -1) << "Enter must not start a program that is not to be started";
  EXPECT_FALSE(outcome.stuck);
  EXPECT_FALSE(seen.run || seen.line1 || seen.line2);
  EXPECT_TRUE(seen.exit);
  EXPECT_EQ(seen.focus, IDCANCEL);

  // A variant with a third run line (the test program's 231, language 1) loses it
  // too; a run command that arrives all the same is not obeyed.
  LanguageIndex = 1;
  outcome = RunDialog(kCompletionTemplate, CompletionDialogProc,
                      {Look(&seen), [](HWND dialog) { Click(dialog, IDOK); },
                       [](HWND dialog) { PressKey(dialog, VK_ESCAPE); }});
  EXPECT_EQ(outcome.result, -1);
  ASSERT_TRUE(outcome.shown);
  EXPECT_FALSE(seen.run || seen.line1 || seen.line2 || seen.extra);
  EXPECT_TRUE(seen.exit);
}

TEST(CompletionDialog, UnattendedEndsWithZeroByItself) {
  InstallerFixture installer;
  installer.SetVariable("sSilent", "");  // present, whatever its value
  for (bool autoRun : {true, false}) {
    AutoRun = autoRun;
    // No step acts on the dialog: it must end without anyone's help. (Wine maps a
    // visible template once even when the procedure has ended it during
    // initialisation, so whether it flashed up is not asked.)
    Outcome outcome = RunDialog(kCompletionTemplate, CompletionDialogProc, {});
    EXPECT_EQ(outcome.result, 0) << "autorun " << autoRun;
    EXPECT_FALSE(outcome.stuck);
  }
}
