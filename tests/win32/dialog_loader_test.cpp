// ShowInstallDialog and what every dialog procedure shares: the choice of template
// variant, the answer when no dialog can be made, centring and the colour scheme.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "dialogs/install_dialogs.h"
#include "test_support.h"

using namespace dialog_driver;

namespace {

// Counts the messages it sees; ends the dialog with the id of a command.
int probeMessages = 0;
INT_PTR CALLBACK ProbeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  ++probeMessages;
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND) {
    // Notifications from the controls carry a code in the high word; only the
    // test's own command ends the dialog.
    if (HIWORD(wParam) == 0) EndDialog(dialog, static_cast<INT_PTR>(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

TEST(DialogLoader, UsesTheLanguageVariantWhereThereIsOneAndTheBaseTemplateElsewhere) {
  InstallerFixture installer;
  struct Case {
    int language;
    int base;
    const char* caption;
    bool hasControl116;
  };
  // The test program carries a variant of its own: 236, completion for language 6.
  // Any other language, and any other dialog, takes the base template.
  const Case cases[] = {
      {0, kCompletionTemplate, "Installation Complete", false},
      {6, kCompletionTemplate, "Installation Complete (language 6)", true},
      {2, kCompletionTemplate, "Installation Complete", false},
      {6, kLicenceTemplate, "License Agreement", false},  // a variant for one dialog only
      {4, kAssociationTemplate, "Lumivora Installation", false},
      {4, kDestinationTemplate, "", false},  // its procedure sets the caption
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("language " + std::to_string(c.language) + ", template " + std::to_string(c.base));
    LanguageIndex = c.language;
    std::string caption;
    bool has116 = true;
    Outcome outcome = RunDialog(c.base, ProbeProc, {[&](HWND dialog) {
                            caption = testing_support::WindowText(dialog);
                            has116 = GetDlgItem(dialog, 116) != nullptr;
                            Click(dialog, 77);
                          }});
    EXPECT_EQ(outcome.result, 77);
    EXPECT_TRUE(outcome.shown);
    EXPECT_EQ(caption, c.caption);
    EXPECT_EQ(has116, c.hasControl116);
  }
}

TEST(DialogLoader, ReturnsMinusOneWhenNoDialogCanBeMade) {
  InstallerFixture installer;
  probeMessages = 0;
  // Neither 250 + 3 nor 250 exists.
  LanguageIndex = 3;
  EXPECT_EQ(ShowInstallDialog(InstallerInstance, 250, nullptr, ProbeProc), -1);
  // A module without any dialog template.
  LanguageIndex = 0;
  EXPECT_EQ(ShowInstallDialog(GetModuleHandleA("kernel32.dll"), kDestinationTemplate, nullptr, ProbeProc), -1);
  EXPECT_EQ(probeMessages, 0) << "the procedure ran for a dialog that was never made";
}

TEST(DialogLoader, EveryDialogIsCentredAndAllButTheChecklistAreGrey) {
  InstallerFixture installer;
  struct Case {
    int base;
    DLGPROC procedure;
    bool grey;
  };
  const Case cases[] = {
      {kDestinationTemplate, DestinationDialogProc, true},
      {kLicenceTemplate, LicenceDialogProc, true},
      {kCompletionTemplate, CompletionDialogProc, true},
      {kAssociationTemplate, AssociationDialogProc, false},
  };
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  HBRUSH grey = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  for (const Case& c : cases) {
    SCOPED_TRACE("template " + std::to_string(c.base));
    RECT frame = {};
    INT_PTR dialogAnswer = 0, staticAnswer = 0;
    COLORREF dialogBack = 0, staticBack = 0;
    Outcome outcome = RunDialog(c.base, c.procedure, {[&](HWND dialog) {
                            GetWindowRect(dialog, &frame);
                            HDC dc = GetDC(dialog);
                            SetBkColor(dc, RGB(1, 2, 3));
                            dialogAnswer = SendMessageA(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(dialog));
                            dialogBack = GetBkColor(dc);
                            SetBkColor(dc, RGB(1, 2, 3));
                            HWND label = GetDlgItem(dialog, 0xFFFF);
                            staticAnswer = SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(label));
                            staticBack = GetBkColor(dc);
                            ReleaseDC(dialog, dc);
                            Click(dialog, IDCANCEL);
                          }});
    EXPECT_EQ(outcome.result, -1);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    EXPECT_GT(width, 0);
    EXPECT_EQ(frame.left, (screenWidth - width) / 2) << "screen " << screenWidth << ", dialog " << width;
    EXPECT_EQ(frame.top, (screenHeight - height) / 2) << "screen " << screenHeight << ", dialog " << height;
    if (c.grey) {
      EXPECT_EQ(reinterpret_cast<HBRUSH>(dialogAnswer), grey);
      EXPECT_EQ(reinterpret_cast<HBRUSH>(staticAnswer), grey);
      EXPECT_EQ(dialogBack, RGB(0xC0, 0xC0, 0xC0));
      EXPECT_EQ(staticBack, RGB(0xC0, 0xC0, 0xC0));
    } else {
      // The dialog manager's own answer: the system's face colour.
      EXPECT_EQ(reinterpret_cast<HBRUSH>(staticAnswer), GetSysColorBrush(COLOR_3DFACE));
      EXPECT_EQ(staticBack, GetSysColor(COLOR_3DFACE));
      EXPECT_NE(reinterpret_cast<HBRUSH>(dialogAnswer), grey);
    }
  }
}
