// The four dialogs that ask the user something: destination (template 200), licence
// agreement (210), association checklist (240) and completion (230). Each procedure
// reads and writes only shared installer state and ends with its result:
// 0 goes on, -1 leaves the installation; the association dialog also ends with 1
// (associate) or, unattended, with the "sAssoc" integer.
#pragma once
#include <windows.h>

// Control ids of the templates.
enum {
  kPathField = 101,       // destination: the install directory
  kSizeLine = 102,        // destination: "The installed files will occupy ..."
  kAgreementBox = 101,    // licence: the agreement text
  kFirstFormatBox = 103,  // association: check boxes 103 to 112, one per flag
  kSkipButton = 113,      // association: "Skip", the default button
  kRunLine1 = 114,        // completion: the two lines about starting Lumivora,
  kRunLine2 = 115,        //   hidden with the run button when there is no autorun
  kRunExtra = 116,        // completion: a third such control, in variants that have one
};

// The font of the agreement text while the licence dialog is open; null otherwise.
extern HFONT LicenceFont;

INT_PTR CALLBACK DestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LicenceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AssociationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CompletionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
