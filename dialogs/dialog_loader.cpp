#include "dialogs/dialog_loader.h"

#include "common/installer_state.h"
#include "dialogs/dialog_centring.h"

int ShowInstallDialog(HINSTANCE instance, int baseId, HWND owner, DLGPROC procedure) {
  // A language without a variant of this dialog uses the base template.
  int id = baseId + LanguageIndex;
  if (FindResourceA(instance, MAKEINTRESOURCEA(id), RT_DIALOG) == nullptr) id = baseId;
  return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(id), owner, procedure, 0));
}

void CentreDialog(HWND dialog) {
  RECT frame;
  if (!GetWindowRect(dialog, &frame)) return;
  int x = CentredCoordinate(GetSystemMetrics(SM_CXSCREEN), frame.left, frame.right);
  int y = CentredCoordinate(GetSystemMetrics(SM_CYSCREEN), frame.top, frame.bottom);
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

INT_PTR GreyScheme(WPARAM deviceContext) {
  SetBkColor(reinterpret_cast<HDC>(deviceContext), RGB(0xC0, 0xC0, 0xC0));
  return reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH));
}
