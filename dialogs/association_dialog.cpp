// The association checklist: which image formats Lumivora opens from the shell.
#include "common/installer_state.h"
#include "dialogs/association_state.h"
#include "dialogs/dialog_loader.h"
#include "dialogs/install_dialogs.h"
#include "options/installer_variables.h"

namespace {

// Returns the answer to WM_INITDIALOG.
INT_PTR InitAssociation(HWND dialog) {
  CentreDialog(dialog);
  const char* value = SteeringValue("sAssoc");
  int32_t state = value != nullptr ? AssociationState(value) : 1;
  if (SteeringValue("sSilent") != nullptr) {
    // Unattended: every flag takes the low eight bits of the state, which is also the
    // result; the dialog ends without waiting for anyone.
    for (int i = 0; i < kAssociationCount; ++i) AssociationFlags[i] = static_cast<unsigned char>(state & 0xFF);
    EndDialog(dialog, state);
    return FALSE;
  }
  for (int i = 0; i < kAssociationCount; ++i) CheckDlgButton(dialog, kFirstFormatBox + i, static_cast<UINT>(state));
  // Enter skips: the focus starts on "Skip", the default button.
  SetFocus(GetDlgItem(dialog, kSkipButton));
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK AssociationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return InitAssociation(dialog);
    case WM_COMMAND:
      if (wParam == IDOK) {
        for (int i = 0; i < kAssociationCount; ++i) {
          AssociationFlags[i] = static_cast<unsigned char>(IsDlgButtonChecked(dialog, kFirstFormatBox + i));
        }
        EndDialog(dialog, 1);
      } else if (wParam == kSkipButton) {
        EndDialog(dialog, 0);
      } else if (wParam == IDCANCEL) {
        EndDialog(dialog, -1);
      }
      return TRUE;
  }
  // No colour messages: this dialog keeps the system's colours.
  return FALSE;
}
