// No text of a dialog is cut: each static text, and each push button's text inside
// the button's frame, needs no more room than the part of its control the user sees,
// measured at the template's font in the dialog's own DC, with the dialog manager's
// layout. Arial comes from fonts-liberation here (Liberation Sans has Arial's widths),
// so what fits here fits on Windows. The same check runs over the variants of every
// language the build packs into install.exe.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_driver.h"
#include "dialogs/install_dialogs.h"
#include "driver/command_line.h"
#include "test_support.h"

using namespace dialog_driver;

namespace {

// The copy template without its procedure, which would start copying.
INT_PTR CALLBACK StillProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND) {
    EndDialog(dialog, static_cast<INT_PTR>(wParam));
    return TRUE;
  }
  return FALSE;
}

// Room a push button's frame and focus rectangle take on either side of its text.
int ButtonMargin() { return GetSystemMetrics(SM_CXEDGE) + 1; }

// One line per static text or push-button text that needs more room than it has.
std::vector<std::string> CutTexts(HWND dialog) {
  std::vector<std::string> cut;
  HDC dc = GetDC(dialog);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  RECT client;
  GetClientRect(dialog, &client);
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    char cls[16] = {};
    GetClassNameA(control, cls, sizeof cls);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    LONG type = style & SS_TYPEMASK;
    bool wrapping = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    bool isStatic = lstrcmpiA(cls, "Static") == 0 && (wrapping || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP);
    LONG buttonType = style & BS_TYPEMASK;
    bool isPushButton = lstrcmpiA(cls, "Button") == 0 && (buttonType == BS_PUSHBUTTON || buttonType == BS_DEFPUSHBUTTON);
    if (!isStatic && !isPushButton) continue;
    std::string text = testing_support::WindowText(control);
    if (text.empty()) continue;
    // Labels are wider than the dialog, which clips them: what counts is the part
    // inside the dialog's client area.
    RECT frame, seen;
    GetWindowRect(control, &frame);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
    IntersectRect(&seen, &frame, &client);
    int width = seen.right - seen.left, height = seen.bottom - seen.top;
    if (isPushButton) width -= 2 * ButtonMargin();
    int neededWidth = 0, neededHeight = 0;
    if (isStatic && wrapping && frame.bottom - frame.top >= 2 * metrics.tmHeight) {
      // Room for several lines: the text wraps at the control's width.
      RECT need = {0, 0, frame.right - frame.left, 0};
      DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK);
      neededWidth = need.right - need.left;
      neededHeight = need.bottom - need.top;
    } else {
      SIZE size = {};
      GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
      neededWidth = size.cx;
      neededHeight = size.cy;
    }
    if (neededWidth > width || neededHeight > height) {
      int id = GetDlgCtrlID(control);
      cut.push_back("control " + std::to_string(id == 0xFFFF ? -1 : id) + " \"" + text + "\": needs " +
                    std::to_string(neededWidth) + " x " + std::to_string(neededHeight) + " pixels, has " +
                    std::to_string(width) + " x " + std::to_string(height));
    }
  }
  SelectObject(dc, oldFont);
  ReleaseDC(dialog, dc);
  return cut;
}

}  // namespace

TEST(DialogTextWidth, EveryTextFitsItsControl) {
  struct Case {
    int base;
    DLGPROC procedure;
  };
  // The procedures fill in what the templates leave open: the size line, the caption.
  const Case cases[] = {
      {kDestinationTemplate, DestinationDialogProc}, {kLicenceTemplate, LicenceDialogProc},
      {kCopyTemplate, StillProc}, {kCompletionTemplate, CompletionDialogProc},
      {kAssociationTemplate, AssociationDialogProc},
  };
  for (const char* letter = LMVR_PACKED_LANGUAGES; *letter != '\0'; ++letter) {
    int language = LanguageIndexForLetter(*letter);
    for (const Case& c : cases) {
      SCOPED_TRACE("template " + std::to_string(c.base + language));
      InstallerFixture installer;
      installer.UseInstallersLanguages();
      LanguageIndex = language;
      ArchiveTotal = 999999999;  // the longest size line a product of under 1 GB gives
      std::vector<std::string> cut;
      Outcome outcome = RunDialog(c.base, c.procedure, {[&](HWND dialog) {
                                    cut = CutTexts(dialog);
                                    Click(dialog, IDCANCEL);
                                  }});
      EXPECT_TRUE(outcome.shown);
      for (const std::string& line : cut) ADD_FAILURE() << line;
    }
  }
}
