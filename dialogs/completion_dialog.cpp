// The completion dialog: start Lumivora now, or leave.
#include "common/installer_state.h"
#include "dialogs/dialog_loader.h"
#include "dialogs/install_dialogs.h"
#include "options/installer_variables.h"

namespace {

void Hide(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (control != nullptr) ShowWindow(control, SW_HIDE);
}

// Returns the answer to WM_INITDIALOG.
INT_PTR InitCompletion(HWND dialog) {
  CentreDialog(dialog);
  if (AutoRun) return TRUE;  // the focus goes to "Run Lumivora Now"
  // No offer to start the program: only the exit button is left. A hidden default
  // button still answers Enter, so the run button is also disabled and the exit
  // button becomes the default: Enter then exits, as the focus on it promises.
  SetFocus(GetDlgItem(dialog, IDCANCEL));
  Hide(dialog, IDOK);
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
  SendMessageA(dialog, DM_SETDEFID, IDCANCEL, 0);
  Hide(dialog, kRunLine1);
  Hide(dialog, kRunLine2);
  Hide(dialog, kRunExtra);
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK CompletionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  // Unattended, the dialog ends at its first message, without waiting for anyone.
  if (SteeringValue("sSilent") != nullptr) EndDialog(dialog, 0);

  switch (message) {
    case WM_INITDIALOG:
      return InitCompletion(dialog);
    case WM_COMMAND:
      if (wParam == IDOK) {
        // Without autorun nothing may ask for the program to be started.
        if (AutoRun) EndDialog(dialog, 0);
      } else if (wParam == IDCANCEL) {
        EndDialog(dialog, -1);
      }
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return GreyScheme(wParam);
  }
  return FALSE;
}
