// Runs the installer's dialogs inside a test and drives them by control id from a
// timer in their own modal loop, never by screen position. Header-only, so that any
// dialog test can include it.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "common/installer_instance.h"
#include "common/installer_state.h"
#include "common/payload_figures.h"
#include "dialogs/dialog_loader.h"
#include "options/installer_variables.h"
#include "options/options_files.h"
#include "test_support.h"
#include "text/message_catalogue.h"

namespace dialog_driver {

// What became of one dialog.
struct Outcome {
  int result = 0;       // what ShowInstallDialog returned
  bool shown = false;   // the dialog became visible, so that the steps could run
  bool stuck = false;   // the steps ran out and the driver had to end it
};

using Step = std::function<void(HWND dialog)>;

// The result the driver forces on a dialog that its steps did not end.
enum { kStuckResult = 0x5EED };

// The installer's state as a test needs it: the variable list allocated, the
// templates taken from the test program, and every shared value at its start-up
// value. Restored at the end.
class InstallerFixture {
 public:
  InstallerFixture() {
    ResetInstallerState();
    ArchiveTotal = 0;
    InstallerInstance = GetModuleHandleA(nullptr);
    EXPECT_EQ(AllocateVariableList(), 0);
  }
  ~InstallerFixture() {
    ReleaseVariableList();
    ResetInstallerState();
    ClearMessageTables();
    InstallerInstance = GetModuleHandleA(nullptr);
    ArchiveTotal = 0;
  }
  // Appends a variable. The list keeps pointers: the texts live in a std::list, whose
  // nodes never move.
  void SetVariable(const std::string& name, const std::string& value) {
    char* n = &texts_.emplace_back(name)[0];
    char* v = &texts_.emplace_back(value)[0];
    ASSERT_EQ(AppendVariable(n, v), 0);
  }
  // The dialogs and message tables of the built install.exe, which carries the
  // languages this build packs, as its start-up loads them.
  void UseInstallersLanguages() {
    static HMODULE installer = LoadLibraryA(testing_support::BuildPath("install.exe").c_str());
    ASSERT_NE(installer, nullptr) << "install.exe cannot be loaded";
    InstallerInstance = installer;
    LoadMessageTables();
  }
  // Empties the list (a new one is allocated).
  void ClearVariables() {
    ReleaseVariableList();
    EXPECT_EQ(AllocateVariableList(), 0);
  }

 private:
  std::list<std::string> texts_;
};

namespace detail {

// Ticks after the last step before the driver gives up on a dialog that stays open.
enum { kTickMs = 30, kGraceTicks = 300 };

struct Driving {
  std::vector<Step> steps;
  size_t next = 0;
  HWND dialog = nullptr;
  bool shown = false;
  bool stuck = false;
  int idleTicks = 0;
};

inline Driving* current = nullptr;

inline bool IsDialogWindow(HWND window) {
  char cls[16] = {};
  GetClassNameA(window, cls, sizeof cls);
  return std::strcmp(cls, "#32770") == 0 && GetParent(window) == nullptr;
}

inline BOOL CALLBACK FindShownDialog(HWND window, LPARAM found) {
  if (!IsDialogWindow(window) || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

inline void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  Driving* d = current;
  if (d == nullptr) return;
  // The visible dialog of this thread is the one being run.
  if (d->dialog == nullptr) EnumThreadWindows(GetCurrentThreadId(), FindShownDialog, reinterpret_cast<LPARAM>(&d->dialog));
  if (d->dialog == nullptr || !IsWindow(d->dialog) || !IsWindowVisible(d->dialog)) return;
  d->shown = true;
  if (d->next < d->steps.size()) {
    Step step = d->steps[d->next++];
    step(d->dialog);
    return;
  }
  if (++d->idleTicks > kGraceTicks) {
    d->stuck = true;
    EndDialog(d->dialog, kStuckResult);
  }
}

}  // namespace detail

// Runs `baseId` through ShowInstallDialog from the test program with `procedure`.
// Once the dialog is visible, the steps run one per timer tick inside its modal loop;
// the last one is expected to end it (typically by posting a command or a key).
inline Outcome RunDialog(int baseId, DLGPROC procedure, std::vector<Step> steps) {
  detail::Driving driving;
  driving.steps = std::move(steps);
  detail::current = &driving;
  UINT_PTR timer = SetTimer(nullptr, 0, detail::kTickMs, detail::Tick);
  Outcome outcome;
  outcome.result = ShowInstallDialog(InstallerInstance, baseId, nullptr, procedure);
  KillTimer(nullptr, timer);
  detail::current = nullptr;
  outcome.shown = driving.shown;
  outcome.stuck = driving.stuck;
  // A WM_TIMER already queued would otherwise reach the next dialog's loop.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
  }
  return outcome;
}

// WM_COMMAND with the id, as a click sends it.
inline void Click(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0); }

// A key down and up, to the control with the focus.
inline void PressKey(HWND dialog, UINT key) {
  // The modal loop hands keys to IsDialogMessage, which gives Enter and Escape their
  // meaning, as for a real key press.
  HWND target = GetFocus();
  if (target == nullptr) target = dialog;
  UINT scan = MapVirtualKeyA(key, 0);
  PostMessageA(target, WM_KEYDOWN, key, 1 | scan << 16);
  PostMessageA(target, WM_KEYUP, key, 1 | scan << 16 | 3u << 30);
}

// The close box: WM_SYSCOMMAND SC_CLOSE.
inline void ClickCloseBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

// One way for the user to end a dialog, and the result it should give.
struct WayOut {
  const char* name;
  int result;
  Step leave;
};

// The three ways of leaving without going on, each giving -1: the exit button
// (IDCANCEL), Escape, and the close box.
inline std::vector<WayOut> WaysToLeave() {
  return {
      {"exit button", -1, [](HWND dialog) { Click(dialog, IDCANCEL); }},
      {"escape", -1, [](HWND dialog) { PressKey(dialog, VK_ESCAPE); }},
      {"close box", -1, [](HWND dialog) { ClickCloseBox(dialog); }},
  };
}

inline std::string ItemText(HWND dialog, int id) {
  char text[8192];
  UINT n = GetDlgItemTextA(dialog, id, text, sizeof text);
  return std::string(text, n);
}

inline bool ItemVisible(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr && IsWindowVisible(item);
}

// Id of the control with the focus, or 0.
inline int FocusId(HWND dialog) {
  HWND focus = GetFocus();
  if (focus == nullptr || GetParent(focus) != dialog) return 0;
  return GetDlgCtrlID(focus);
}

}  // namespace dialog_driver
