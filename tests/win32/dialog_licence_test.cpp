// The licence dialog: the agreement box, its selection, its font, and the ways out.
#include <gtest/gtest.h>

#include <string>

#include "dialog_driver.h"
#include "dialogs/install_dialogs.h"
#include "test_support.h"
#include "text/licence_text.h"

using namespace dialog_driver;

namespace {

// What the agreement box looked like while the dialog was open.
struct BoxState {
  std::string text;
  bool readOnly = false;
  int firstVisibleLine = -1;
  DWORD selection = 0xFFFFFFFF;
  int focus = 0;
  HFONT boxFont = nullptr;
  HFONT licenceFont = nullptr;
  LOGFONTA font = {};
};

Step Inspect(BoxState* state) {
  return [state](HWND dialog) {
    HWND box = GetDlgItem(dialog, kAgreementBox);
    state->text = ItemText(dialog, kAgreementBox);
    state->readOnly = (GetWindowLongA(box, GWL_STYLE) & ES_READONLY) != 0;
    state->firstVisibleLine = static_cast<int>(SendMessageA(box, EM_GETFIRSTVISIBLELINE, 0, 0));
    state->selection = static_cast<DWORD>(SendMessageA(box, EM_GETSEL, 0, 0));
    state->focus = FocusId(dialog);
    state->boxFont = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
    state->licenceFont = LicenceFont;
    if (LicenceFont != nullptr) GetObjectA(LicenceFont, sizeof state->font, &state->font);
  };
}

// Watches the agreement box being destroyed (by subclassing it): which font it held,
// and whether the licence font still existed at that moment.
struct BoxEnd {
  HFONT watched = nullptr;  // the licence font to look for
  HFONT heldFont = nullptr;
  bool seen = false;
  bool watchedAlive = false;
  WNDPROC original = nullptr;
};
BoxEnd* boxEnd = nullptr;

LRESULT CALLBACK WatchBoxEnd(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  BoxEnd* end = boxEnd;
  if (message == WM_DESTROY) {
    end->seen = true;
    end->heldFont = reinterpret_cast<HFONT>(CallWindowProcA(end->original, box, WM_GETFONT, 0, 0));
    end->watchedAlive = end->watched != nullptr && GetObjectType(end->watched) == OBJ_FONT;
  }
  return CallWindowProcA(end->original, box, message, wParam, lParam);
}

HFONT WINAPI NoFont(const LOGFONTA*) { return nullptr; }

// A screen of another vertical resolution, for the dialog's own calls.
int screenResolution = 96;
int(WINAPI* realDeviceCaps)(HDC, int) = nullptr;
int WINAPI DeviceCapsOfScreen(HDC dc, int index) {
  return index == LOGPIXELSY ? screenResolution : realDeviceCaps(dc, index);
}

}  // namespace

TEST(LicenceDialog, BoxHoldsTheThreeBlocksFromTheTopReadOnlyInItsOwnFont) {
  InstallerFixture installer;
  BoxState state;
  DWORD dragged = 0, afterNextMessage = 0;
  Outcome outcome = RunDialog(kLicenceTemplate, LicenceDialogProc,
                              {Inspect(&state), [&](HWND dialog) {
                                 // A selection made in the box, as a drag would make it, is
                                 // gone at the next message the dialog receives.
                                 HWND box = GetDlgItem(dialog, kAgreementBox);
                                 SendMessageA(box, EM_SETSEL, 40, 300);
                                 dragged = static_cast<DWORD>(SendMessageA(box, EM_GETSEL, 0, 0));
                                 SendMessageA(dialog, WM_NULL, 0, 0);
                                 afterNextMessage = static_cast<DWORD>(SendMessageA(box, EM_GETSEL, 0, 0));
                                 PressKey(dialog, VK_RETURN);
                               }});
  EXPECT_EQ(outcome.result, 0);
  EXPECT_FALSE(outcome.stuck);
  EXPECT_EQ(state.text, std::string(LMVR_LICENCE_BLOCK_1) + LMVR_LICENCE_BLOCK_2 + LMVR_LICENCE_BLOCK_3);
  EXPECT_TRUE(state.readOnly);
  EXPECT_EQ(state.firstVisibleLine, 0);
  // The dialog manager selects all of the box when it takes the focus; that does
  // not last either.
  EXPECT_EQ(state.focus, kAgreementBox);
  EXPECT_EQ(state.selection, 0u) << std::hex << state.selection;
  EXPECT_EQ(dragged, MAKELONG(40, 300));
  EXPECT_EQ(afterNextMessage, 0u) << std::hex << afterNextMessage;
  ASSERT_NE(state.licenceFont, nullptr);
  EXPECT_EQ(state.boxFont, state.licenceFont);
  EXPECT_STREQ(state.font.lfFaceName, "Times New Roman");
  EXPECT_EQ(state.font.lfHeight, -11);
  EXPECT_EQ(LicenceFont, nullptr);
}

TEST(LicenceDialog, EveryWayOutReleasesTheFontAfterTheBoxHasLetGoOfIt) {
  InstallerFixture installer;
  std::vector<WayOut> ways = WaysToLeave();
  ways.push_back({"agree button", 0, [](HWND dialog) { Click(dialog, IDOK); }});
  ways.push_back({"enter", 0, [](HWND dialog) { PressKey(dialog, VK_RETURN); }});
  for (const WayOut& way : ways) {
    SCOPED_TRACE(way.name);
    BoxEnd end;
    boxEnd = &end;
    Step leave = way.leave;
    Outcome outcome = RunDialog(kLicenceTemplate, LicenceDialogProc, {[&end, leave](HWND dialog) {
                                  end.watched = LicenceFont;
                                  end.original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                                      GetDlgItem(dialog, kAgreementBox), GWLP_WNDPROC,
                                      reinterpret_cast<LONG_PTR>(WatchBoxEnd)));
                                  leave(dialog);
                                }});
    boxEnd = nullptr;
    EXPECT_EQ(outcome.result, way.result);
    EXPECT_FALSE(outcome.stuck);
    ASSERT_NE(end.watched, nullptr);
    EXPECT_EQ(LicenceFont, nullptr);
    EXPECT_EQ(GetObjectType(end.watched), 0u) << "the licence font was not deleted";
    ASSERT_TRUE(end.seen);
    EXPECT_NE(end.heldFont, end.watched) << "the box was left holding the licence font";
    EXPECT_EQ(end.heldFont, static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    EXPECT_FALSE(end.watchedAlive) << "the font outlived the dialog";
  }
}

TEST(LicenceDialog, WithoutItsFontTheBoxKeepsTheDialogFont) {
  InstallerFixture installer;
  testing_support::ImportPatch patch("gdi32.dll", "CreateFontIndirectA", reinterpret_cast<void*>(NoFont));
  ASSERT_TRUE(patch.ok());
  HFONT boxFont = nullptr, dialogFont = nullptr;
  std::string text;
  Outcome outcome = RunDialog(kLicenceTemplate, LicenceDialogProc, {[&](HWND dialog) {
                                boxFont = reinterpret_cast<HFONT>(
                                    SendDlgItemMessageA(dialog, kAgreementBox, WM_GETFONT, 0, 0));
                                dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
                                text = ItemText(dialog, kAgreementBox);
                                ClickCloseBox(dialog);
                              }});
  EXPECT_EQ(outcome.result, -1);
  EXPECT_NE(dialogFont, nullptr);
  EXPECT_EQ(boxFont, dialogFont);
  EXPECT_EQ(text.size(), sizeof(LMVR_LICENCE_BLOCK_1 LMVR_LICENCE_BLOCK_2 LMVR_LICENCE_BLOCK_3) - 1);
  EXPECT_EQ(LicenceFont, nullptr);
}

TEST(LicenceDialog, TheAgreementKeepsItsSizeBesideTheOtherTextsAtEveryResolution) {
  InstallerFixture installer;
  testing_support::ImportPatch patch("gdi32.dll", "GetDeviceCaps", reinterpret_cast<void*>(DeviceCapsOfScreen));
  ASSERT_TRUE(patch.ok());
  realDeviceCaps = reinterpret_cast<int(WINAPI*)(HDC, int)>(patch.original());
  // The height of the letters in pixels, asked for and as drawn (the rasteriser rounds
  // ascent and descent apart, so within a pixel): 11 at 96 DPI.
  const struct {
    int resolution, height;
  } screens[] = {{96, 11}, {120, 14}, {144, 17}, {192, 22}};
  for (const auto& screen : screens) {
    SCOPED_TRACE(screen.resolution);
    screenResolution = screen.resolution;
    BoxState state;
    int drawn = 0;
    Outcome outcome = RunDialog(kLicenceTemplate, LicenceDialogProc, {Inspect(&state), [&](HWND dialog) {
                                  HDC dc = GetDC(dialog);
                                  HGDIOBJ old = SelectObject(dc, LicenceFont);
                                  TEXTMETRICA metrics = {};
                                  if (GetTextMetricsA(dc, &metrics)) drawn = metrics.tmHeight - metrics.tmInternalLeading;
                                  SelectObject(dc, old);
                                  ReleaseDC(dialog, dc);
                                  ClickCloseBox(dialog);
                                }});
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(state.font.lfHeight, -screen.height);
    EXPECT_NEAR(drawn, screen.height, 1);
  }
}
