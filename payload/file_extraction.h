// The copy dialog (template 220): writes every archive entry below InstallDirectory
// and shows the share copied in control 101.
#pragma once
#include <windows.h>

// Control 101 of the copy template (kCopyTemplate) is the bar; the copy starts 50 ms
// after the dialog opens and moves the data in pieces of 2,048 bytes.
enum { kProgressControl = 101, kCopyTimerMs = 50, kCopyChunkSize = 2048 };

// 1 while ExtractFiles runs, so that a timer message arriving meanwhile (from the
// message loop of an error box) starts nothing. Stays 1 after a failed copy.
extern int ExtractionBusy;
// What SetTimer returned when the copy dialog opened.
extern UINT_PTR CopyTimerId;

// The dialog procedure of template 220. Ends the dialog with 0 when every entry was
// written, with -1 after a reported error or when the window is closed first.
INT_PTR CALLBACK CopyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The whole copy, run by the dialog's first timer message. The first entry's path
// becomes MainProgramPath; every file is recorded with RecordInstalledFile, and the
// default data file DEF.LMV after the last one.
void ExtractFiles(HWND dialog);

// Paints control 101: the percentage, and the copied share of the bar inverted.
void RedrawProgress(HWND dialog);
