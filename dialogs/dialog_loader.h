// Running the installer's dialogs, and the behaviour every dialog procedure shares:
// centring on the screen and the grey colour scheme.
#pragma once
#include <windows.h>

// Base template ids; the variant of interface language i is base + i.
enum {
  kDestinationTemplate = 200,
  kLicenceTemplate = 210,
  kCopyTemplate = 220,
  kCompletionTemplate = 230,
  kAssociationTemplate = 240,
};

// Runs the template base + LanguageIndex from `instance` when there is one, else the
// base template, as a modal dialog with `procedure` (initialisation parameter 0).
// Returns the value the procedure gave EndDialog, or -1 when the dialog cannot be
// created.
int ShowInstallDialog(HINSTANCE instance, int baseId, HWND owner, DLGPROC procedure);

// Moves `dialog` so that it stands in the middle of the full screen (WM_INITDIALOG).
void CentreDialog(HWND dialog);

// The answer to WM_CTLCOLORDLG and WM_CTLCOLORSTATIC: light grey (0xC0C0C0) behind
// the text in `deviceContext`, and the stock light grey brush as the result.
INT_PTR GreyScheme(WPARAM deviceContext);
