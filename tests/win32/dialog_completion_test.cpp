// The completion dialog: the offer to start Lumivora, and without it (-noautorun).
// Unattended it ends with 0 by itself, with and without autorun: e2e
// test_silent_defaults and test_silent_german_and_noautorun start the program so.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(CompletionDialog, RunButtonAndEnterStartLumivoraExitEscapeAndCloseBoxDoNot) {
  InstallerFixture installer;
  std::vector<WayOut> ways = WaysToLeave();
  ways.push_back({"run button", 0, [](HWND dialog) { Click(dialog, IDOK); }});
  ways.push_back({"enter", 0, [](HWND dialog) { PressKey(dialog, VK_RETURN); }});
  for (const WayOut& way : ways) {
    SCOPED_TRACE(way.name);
    Seen seen;
    Outcome outcome = RunDialog(kCompletionTemplate, CompletionDialogProc, {Look(&seen), way.leave});
    EXPECT_EQ(outcome.result, way.result);
    EXPECT_FALSE(outcome.stuck);
    EXPECT_TRUE(seen.run && seen.line1 && seen.line2 && seen.exit);
    EXPECT_EQ(seen.focus, IDOK);
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

  // A variant with a third run line (the test program's 236, language 6) loses it
  // too; a run command that arrives all the same is not obeyed.
  LanguageIndex = 6;
  outcome = RunDialog(kCompletionTemplate, CompletionDialogProc,
                      {Look(&seen), [](HWND dialog) { Click(dialog, IDOK); },
                       [](HWND dialog) { PressKey(dialog, VK_ESCAPE); }});
  EXPECT_EQ(outcome.result, -1);
  ASSERT_TRUE(outcome.shown);
  EXPECT_FALSE(seen.run || seen.line1 || seen.line2 || seen.extra);
  EXPECT_TRUE(seen.exit);
}
