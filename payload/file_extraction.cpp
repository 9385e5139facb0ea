#include "payload/file_extraction.h"

#include "common/bounded_text.h"
#include "common/global_memory.h"
#include "common/halt_places.h"
#include "common/install_log.h"
#include "common/installer_state.h"
#include "dialogs/dialog_loader.h"
#include "payload/archive_format.h"
#include "payload/payload_reader.h"
#include "payload/payload_state.h"
#include "payload/progress_arithmetic.h"
#include "shell/class_keys.h"
#include "text/message_catalogue.h"

int ExtractionBusy = 0;
UINT_PTR CopyTimerId = 0;

namespace {

// GetTickCount at the last repaint of the bar; the bar is repainted once more than
// 50 ms have passed since, so that painting costs little beside the copy.
DWORD LastDrawTick = 0;
const DWORD kRedrawAfterMs = 50;

// Shows "errDest" with the value OpenFile returned and the path it was given. The
// buffer holds the English text with the longest path; a longer translation is cut.
void ShowDestinationError(int result, const char* target) {
  char message[200 + kPathSize];
  FormatBounded(message, sizeof message, LookupMessage("errDest"), result, target);
  ShowErrorText(message);
}

// Copies `dataLength` bytes of the archive into the open file through `chunk`.
// 0, or -1 after the error box.
int CopyEntryData(HWND dialog, HFILE file, uint32_t dataLength, char* chunk) {
  while (dataLength != 0) {
    uint32_t piece = dataLength > kCopyChunkSize ? (uint32_t)kCopyChunkSize : dataLength;
    if (ReadPayload(chunk, piece) != piece) {
      ShowErrorBox("corData");
      return -1;
    }
    if (_hwrite(file, chunk, (long)piece) != (long)piece) {
      ShowErrorBox("errDest2");
      return -1;
    }
    dataLength -= piece;
    // Unsigned difference: the wrap of the tick count after 49.7 days is harmless.
    if (GetTickCount() - LastDrawTick > kRedrawAfterMs) {
      RedrawProgress(dialog);
      LastDrawTick = GetTickCount();
    }
  }
  return 0;
}

// Reads one entry's header, creates its file and copies its data. 0, or -1 after
// the error box.
int ExtractEntry(HWND dialog) {
  char name[kEntryNameBufferSize];
  uint32_t dataLength = 0;
  if (ReadEntryHeader(name, &dataLength) != 0) {
    ShowErrorBox("corData");
    return -1;
  }

  char* chunk = static_cast<char*>(AllocateLocked(kCopyChunkSize));
  if (chunk == nullptr) {
    ShowErrorBox("noMem");
    return -1;
  }

  char target[kPathSize];
  char directory[kPathSize];
  if (EntryTargetPaths(InstallDirectory, name, target, sizeof target, directory, sizeof directory) != 0) {
    // A path that does not fit would name another file: refused, naming what fit.
    ShowDestinationError(HFILE_ERROR, target);
    ReleaseLocked(chunk);
    return -1;
  }
  // One level only, and its failure is no error: the directory may exist already,
  // and a directory that is really missing makes the file creation fail below.
  if (directory[0] != '\0') CreateDirectoryA(directory, nullptr);
  if (MainProgramPath[0] == '\0') CopyBounded(MainProgramPath, sizeof MainProgramPath, target);

  DeleteFileA(target);
  OFSTRUCT of;
  HFILE file = OpenFile(target, &of, OF_CREATE | OF_SHARE_DENY_NONE | OF_READWRITE);
  if (file == HFILE_ERROR) {
    ShowDestinationError(file, target);
    ReleaseLocked(chunk);
    return -1;
  }
  RecordInstalledFile(target);

  int status = CopyEntryData(dialog, file, dataLength, chunk);
  if (status == 0) {
    _hwrite(file, chunk, 0);  // sets the end of the file here
    LogEvent("file %s: %lu bytes", target, (unsigned long)dataLength);
  }
  _lclose(file);
  ReleaseLocked(chunk);
  return status;
}

void EndCopy(HWND dialog, int result) {
  KillTimer(dialog, CopyTimerId);
  EndDialog(dialog, result);
}

}  // namespace

void ExtractFiles(HWND dialog) {
  if (ExtractionBusy != 0) return;
  ExtractionBusy = 1;
  LastDrawTick = GetTickCount();

  for (int32_t index = 0; index < (int32_t)FileCount; ++index) {
    if (ExtractEntry(dialog) != 0) {
      EndCopy(dialog, -1);
      return;
    }
    HaltPlace("copy", index + 1);
  }
  // A payload whose stream goes on after the last entry, or whose Adler-32 check
  // does not match, is corrupt even though every entry could be read.
  if (CheckPayloadEnd() != 0) {
    ShowErrorBox("corData");
    EndCopy(dialog, -1);
    return;
  }

  // The installed program's own data file: recorded for its uninstall, not created.
  char dataFile[kPathSize];
  CopyBounded(dataFile, sizeof dataFile, InstallDirectory);
  if (AppendBounded(dataFile, sizeof dataFile, "\\DEF.LMV") == 0) RecordInstalledFile(dataFile);

  EndCopy(dialog, 0);
  ExtractionBusy = 0;
}

void RedrawProgress(HWND dialog) {
  HWND bar = GetDlgItem(dialog, kProgressControl);
  if (bar == nullptr) return;
  HDC dc = GetDC(bar);
  if (dc == nullptr) return;
  RECT rect;
  GetClientRect(bar, &rect);
  RECT copied = rect;
  copied.right = rect.left + ProgressBarWidth(rect.right - rect.left, BytesRead, ArchiveTotal);

  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  char text[16];
  FormatBounded(text, sizeof text, "%ld%%", ProgressPercent(BytesRead, ArchiveTotal));
  DrawTextA(dc, text, (int)TextLength(text), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  InvertRect(dc, &copied);
  ReleaseDC(bar, dc);
}

INT_PTR CALLBACK CopyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog);
      CopyTimerId = SetTimer(dialog, 0, kCopyTimerMs, nullptr);
      return TRUE;
    case WM_TIMER:
      ExtractFiles(dialog);
      return TRUE;
    case WM_CLOSE:
      EndCopy(dialog, -1);
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return GreyScheme(wParam);
    default:
      return FALSE;
  }
}
