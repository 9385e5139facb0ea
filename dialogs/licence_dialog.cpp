// The licence dialog: the agreement in a read-only box, agreed to or declined.
#include "common/bounded_text.h"
#include "dialogs/dialog_loader.h"
#include "dialogs/install_dialogs.h"
#include "text/message_catalogue.h"

HFONT LicenceFont = nullptr;

namespace {

LRESULT SendToBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageA(dialog, kAgreementBox, message, wParam, lParam);
}

// Gives the box back a stock font before the agreement font is deleted, so that the
// box never holds a deleted font.
void ReleaseLicenceFont(HWND dialog) {
  if (LicenceFont == nullptr) return;
  SendToBox(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FONT)), FALSE);
  DeleteObject(LicenceFont);
  LicenceFont = nullptr;
}

// The agreement's letters are 11 pixels high at 96 DPI and keep that size beside the
// dialog's other texts (which grow with the resolution, being in dialog units) on a
// screen of any resolution: the process is DPI aware, so nothing stretches them. As
// LOGFONT's negative height, the height of the letters without the leading. Should
// the dialog have no device context, GetDeviceCaps answers 0, and so does this: the
// font's own default height.
int AgreementFontHeight(HWND dialog) {
  HDC dc = GetDC(dialog);
  int height = MulDiv(-11, GetDeviceCaps(dc, LOGPIXELSY), 96);
  ReleaseDC(dialog, dc);
  return height;
}

void InitLicence(HWND dialog) {
  CentreDialog(dialog);
  LOGFONTA description = {};
  description.lfHeight = AgreementFontHeight(dialog);
  description.lfWeight = FW_NORMAL;
  description.lfOutPrecision = OUT_DEFAULT_PRECIS;
  description.lfClipPrecision = CLIP_LH_ANGLES;
  description.lfQuality = PROOF_QUALITY;
  description.lfPitchAndFamily = VARIABLE_PITCH | FF_DONTCARE;
  CopyBounded(description.lfFaceName, sizeof description.lfFaceName, "Times New Roman");
  // Without the font the agreement is shown in the dialog's font; nothing to report.
  LicenceFont = CreateFontIndirectA(&description);
  if (LicenceFont != nullptr) SendToBox(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(LicenceFont), FALSE);

  // Each block replaces the selection, then lands at the caret the previous one left
  // at its end: the box holds the three blocks joined, nothing between them.
  SendToBox(dialog, EM_SETSEL, 0, -1);
  SendToBox(dialog, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(LookupMessage("license")));
  SendToBox(dialog, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(LookupMessage("license2")));
  SendToBox(dialog, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(LookupMessage("license3")));
  SendToBox(dialog, EM_LINESCROLL, 0, -10000);
  SendToBox(dialog, EM_SETREADONLY, TRUE, 0);
}

void EndLicence(HWND dialog, int result) {
  ReleaseLicenceFont(dialog);
  EndDialog(dialog, result);
}

}  // namespace

INT_PTR CALLBACK LicenceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  // No selection in the agreement outlives the next message: neither the select-all
  // of the dialog manager when the box gets the focus, nor one dragged by the user.
  // The read-only box asks for its colours each time it paints, so this runs often.
  LRESULT selection = SendToBox(dialog, EM_GETSEL, 0, 0);
  if (LOWORD(selection) != HIWORD(selection)) SendToBox(dialog, EM_SETSEL, 0, 0);

  switch (message) {
    case WM_INITDIALOG:
      InitLicence(dialog);
      return TRUE;  // the focus goes to the agreement box
    case WM_COMMAND:
      if (wParam == IDOK) {
        EndLicence(dialog, 0);
      } else if (wParam == IDCANCEL) {
        EndLicence(dialog, -1);
      }
      return TRUE;
    case WM_CLOSE:
      EndLicence(dialog, -1);
      return TRUE;
    case WM_DESTROY:
      // However else the dialog goes away, the font goes with it; the box still
      // exists at this point.
      ReleaseLicenceFont(dialog);
      return FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      // A read-only box asks for static colours: the agreement is drawn on grey too.
      return GreyScheme(wParam);
  }
  return FALSE;
}
