// Shows one of the installer's dialogs, as the installer would, and saves a picture
// of it as a 24-bit BMP before ending it:
//
//   dialog_preview.exe INSTALLER TEMPLATE OUTPUT.bmp [-noautorun]
//
// TEMPLATE is 200, 210, 220, 230 or 240, or a language variant of one (201 is the
// destination dialog in language 1, German), shown as the installer INSTALLER shows
// it in that language, with its templates and message tables. The dialogs run with their own procedures
// and a sample archive size; the copy dialog (220) only shows its template, since its
// own procedure would start copying. Exit status 0 when the picture was written.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/installer_instance.h"
#include "common/installer_state.h"
#include "common/payload_figures.h"
#include "dialogs/dialog_loader.h"
#include "dialogs/install_dialogs.h"
#include "text/message_catalogue.h"

namespace {

const char* outputPath = nullptr;
DLGPROC shownProcedure = nullptr;
bool saved = false;
enum { kSnapshotTimer = 0x5C0, kEndResult = 0x1234 };

// The copy template with no copying: centred and grey, as its procedure draws it.
INT_PTR CALLBACK StillProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog);
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return GreyScheme(wParam);
  }
  return FALSE;
}

bool SaveWindowPicture(HWND window, const char* path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, old);
    DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    info.bmiHeader.biSizeImage = imageSize;
    FILE* out = ok ? std::fopen(path, "wb") : nullptr;
    ok = out != nullptr && std::fwrite(&file, sizeof file, 1, out) == 1 &&
         std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
         std::fwrite(bits, imageSize, 1, out) == 1;
    if (out != nullptr && std::fclose(out) != 0) ok = false;
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

// Runs the dialog's own procedure, and takes the picture once the dialog has been on
// the screen for a moment.
INT_PTR CALLBACK PreviewProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kSnapshotTimer) {
    KillTimer(dialog, kSnapshotTimer);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    saved = SaveWindowPicture(dialog, outputPath);
    EndDialog(dialog, kEndResult);
    return TRUE;
  }
  INT_PTR answer = shownProcedure(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) SetTimer(dialog, kSnapshotTimer, 1500, nullptr);
  return answer;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: dialog_preview INSTALLER TEMPLATE OUTPUT.bmp [-noautorun]\n");
    return 2;
  }
  InstallerInstance = LoadLibraryA(argv[1]);
  if (InstallerInstance == nullptr) {
    std::fprintf(stderr, "dialog_preview: cannot load %s\n", argv[1]);
    return 2;
  }
  LoadMessageTables();
  ++argv;
  --argc;
  int id = std::atoi(argv[1]);
  // Variants are numbered base + LanguageIndex.
  LanguageIndex = id % 10;
  id -= LanguageIndex;
  outputPath = argv[2];
  if (argc > 3 && std::strcmp(argv[3], "-noautorun") == 0) AutoRun = false;
  switch (id) {
    case kDestinationTemplate: shownProcedure = DestinationDialogProc; break;
    case kLicenceTemplate: shownProcedure = LicenceDialogProc; break;
    case kCopyTemplate: shownProcedure = StillProc; break;
    case kCompletionTemplate: shownProcedure = CompletionDialogProc; break;
    case kAssociationTemplate: shownProcedure = AssociationDialogProc; break;
    default:
      std::fprintf(stderr, "dialog_preview: no dialog %s\n", argv[1]);
      return 2;
  }
  ArchiveTotal = 4080498;  // a sample product of about 4 MB
  int result = ShowInstallDialog(InstallerInstance, id, nullptr, PreviewProc);
  if (result != kEndResult) {
    std::fprintf(stderr, "dialog_preview: dialog %d ended with %d before its picture was taken\n", id, result);
    return 1;
  }
  if (!saved) {
    std::fprintf(stderr, "dialog_preview: could not write %s\n", outputPath);
    return 1;
  }
  return 0;
}
