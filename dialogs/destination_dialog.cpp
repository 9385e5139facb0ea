// The destination dialog: where to install, and how much room the files take.
#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "common/payload_figures.h"
#include "dialogs/dialog_loader.h"
#include "dialogs/install_dialogs.h"
#include "options/installer_variables.h"
#include "text/message_catalogue.h"

namespace {

// Room for the size line: the English text needs about 60 characters, a translated
// one may need several times that.
enum { kSizeLineSize = 512 };

void InitDestination(HWND dialog) {
  CentreDialog(dialog);
  // The administrator's directory wins every time the dialog opens, also when it is
  // reopened after the user's directory could not be created. A longer value than
  // the buffer holds is cut.
  const char* preset = SteeringValue("sDefPathNT");
  if (preset != nullptr) CopyBounded(InstallDirectory, sizeof InstallDirectory, preset);
  SetWindowTextA(dialog, LookupMessage("winTit"));
  SetDlgItemTextA(dialog, kPathField, InstallDirectory);
  char sizeLine[kSizeLineSize];
  FormatBounded(sizeLine, sizeof sizeLine, LookupMessage("occupy"), static_cast<long>(ArchiveTotal / 1024));
  SetDlgItemTextA(dialog, kSizeLine, sizeLine);
}

}  // namespace

INT_PTR CALLBACK DestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitDestination(dialog);
      return TRUE;  // the focus goes to the first tab stop, the path field
    case WM_COMMAND:
      if (wParam == IDOK) {
        // Taken as typed (cut to the buffer); the directory step checks it.
        GetDlgItemTextA(dialog, kPathField, InstallDirectory, sizeof InstallDirectory);
        EndDialog(dialog, 0);
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
