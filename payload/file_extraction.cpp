#include "payload/file_extraction.h"

#include "common/bounded_text.h"
#include "common/global_memory.h"
#include "common/halt_places.h"
#include "common/install_journal.h"
#include "common/install_log.h"
#include "common/installer_state.h"
#include "common/payload_figures.h"
#include "dialogs/dialog_loader.h"
#include "exports/exported_helpers.h"
#include "payload/archive_format.h"
#include "payload/payload_reader.h"
#include "payload/progress_arithmetic.h"
#include "shell/class_keys.h"
#include "text/message_catalogue.h"

int ExtractionBusy = 0;
UINT_PTR CopyTimerId = 0;

namespace {

// Whether this run created the install directory. Then no file lies below it that
// the run did not write itself, so nothing there is set aside: that spares every file
// two lookups of names that are not there, for which Wine searches the folder's
// entries in every case of their letters.
bool IntoNewDirectory = false;

// GetTickCount at the last repaint of the bar; the bar is repainted once more than
// 50 ms have passed since, so that painting costs little beside the copy.
DWORD LastDrawTick = 0;
const DWORD kRedrawAfterMs = 50;

// Shows "errDest" with the value OpenFile returned and the path it was given. The
// buffer holds the English text with the longest path; a longer translation is cut.
void ShowDestinationError(int result, const char* target) {
  char message[200 + kPathSize];
  FormatBounded(message, sizeof message, LookupMessage("errDest"), result, target);
  ShowErrorText("errDest", message);
}

// Copies the `dataLength` bytes of the entry `index` into the open file through
// `chunk`. 0, or -1 after the error box.
int CopyEntryData(HWND dialog, HFILE file, uint32_t index, uint32_t dataLength, char* chunk) {
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
    if (dataLength != 0) HaltPlace("data", (long)index + 1);
    // Unsigned difference: the wrap of the tick count after 49.7 days is harmless.
    if (GetTickCount() - LastDrawTick > kRedrawAfterMs) {
      RedrawProgress(dialog);
      LastDrawTick = GetTickCount();
    }
  }
  return 0;
}

// Sets aside the file the entry `index` replaces at `target`, under SetAsidePath's
// name in its folder: a rename, which the system allows also while a program runs
// from the file or holds it open. Its record is made first, so that whatever cuts the
// run short, the uninstall finds it. 0 (also when there is nothing to replace), or -1
// after the error box.
int SetAsideReplacedFile(const char* target, uint32_t index) {
  char aside[kPathSize];
  DWORD attributes = GetFileAttributesA(target);
  for (uint32_t attempt = 0;; ++attempt) {
    if (attempt == kSetAsideNames || SetAsidePath(target, index, attempt, aside, sizeof aside) != 0) {
      ShowDestinationError(HFILE_ERROR, target);
      return -1;
    }
    if (GetFileAttributesA(aside) == INVALID_FILE_ATTRIBUTES) break;
    // One without its record is what an earlier run left for the next restart to
    // delete (the commit forgets the record of each file it deletes or leaves to the
    // restart): a program may still run from it, so it keeps its name, and this run
    // takes the next one.
    if (!InstalledFileIsRecorded(aside)) continue;
    // The earlier version, set aside by a run cut short: it goes back to its place
    // first, over whatever that run left there (a file cut short, or its successor),
    // so that this run sets aside the earlier version and a failure puts that back.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) DeleteFileA(target);
    bool back = MoveFileA(aside, target) != 0;
    attributes = GetFileAttributesA(target);
    if (back) {
      LogEvent("file %s: put back from %s", target, aside);
      ForgetInstalledFile(aside);
      break;
    }
  }
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 0;
  RecordInstalledFile(aside);
  if (!MoveFileA(target, aside)) {
    DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
      char message[200 + kPathSize];
      FormatBounded(message, sizeof message, LookupMessage("errHeld"), target);
      ShowErrorText("errHeld", message);
    } else {
      ShowDestinationError(HFILE_ERROR, target);
    }
    return -1;
  }
  if (Remember(kJournalAside, aside, target) != 0) {
    MoveFileA(aside, target);
    ShowErrorBox("noMem");
    return -1;
  }
  LogEvent("file %s: set aside as %s", target, aside);
  HaltPlace("aside", (long)index + 1);
  return 0;
}

// Creates the one directory level the entry asks for, remembering it when it is new.
// Its failure is no error: the directory may exist already, and one that is really
// missing makes the file creation fail. 0, or -1 after the error box.
int CreateEntryDirectory(const char* directory) {
  if (directory[0] == '\0' || !CreateDirectoryA(directory, nullptr)) return 0;
  if (Remember(kJournalDirectory, directory) == 0) return 0;
  RemoveDirectoryA(directory);
  ShowErrorBox("noMem");
  return -1;
}

// Reads one entry's header, sets aside the file it replaces, creates its file and
// copies its data. 0, or -1 after the error box.
int ExtractEntry(HWND dialog, uint32_t index) {
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

  int status = -1;
  char target[kPathSize];
  char directory[kPathSize];
  HFILE file = HFILE_ERROR;
  if (EntryTargetPaths(InstallDirectory, name, target, sizeof target, directory, sizeof directory) != 0) {
    // A path that does not fit would name another file: refused, naming what fit.
    ShowDestinationError(HFILE_ERROR, target);
  } else if (CreateEntryDirectory(directory) == 0) {
    if (MainProgramPath[0] == '\0') CopyBounded(MainProgramPath, sizeof MainProgramPath, target);
    if (IntoNewDirectory || SetAsideReplacedFile(target, index) == 0) {
      OFSTRUCT of;
      file = OpenFile(target, &of, OF_CREATE | OF_SHARE_DENY_NONE | OF_READWRITE);
      if (file == HFILE_ERROR) {
        ShowDestinationError(file, target);
      } else if (Remember(kJournalFile, target) != 0) {
        _lclose(file);
        file = HFILE_ERROR;
        DeleteFileA(target);
        ShowErrorBox("noMem");
      } else {
        status = 0;
      }
    }
  }
  if (status == 0) {
    RecordInstalledFile(target);
    status = CopyEntryData(dialog, file, index, dataLength, chunk);
    if (status == 0) {
      _hwrite(file, chunk, 0);  // sets the end of the file here
      LogEvent("file %s: %lu bytes", target, (unsigned long)dataLength);
    }
  }
  if (file != HFILE_ERROR) _lclose(file);
  ReleaseLocked(chunk);
  return status;
}

void EndCopy(HWND dialog, int result) {
  KillTimer(dialog, CopyTimerId);
  EndDialog(dialog, result);
}

// The failure exit: the error has been shown; what the copy did is taken back before
// the installation ends.
void FailCopy(HWND dialog) {
  TakeBack();
  EndCopy(dialog, -1);
}

}  // namespace

void ExtractFiles(HWND dialog) {
  if (ExtractionBusy != 0) return;
  ExtractionBusy = 1;
  LastDrawTick = GetTickCount();
  IntoNewDirectory = JournalCreatedDirectory(InstallDirectory);

  for (int32_t index = 0; index < (int32_t)FileCount; ++index) {
    if (ExtractEntry(dialog, (uint32_t)index) != 0) return FailCopy(dialog);
    HaltPlace("copy", index + 1);
  }
  // A payload whose stream goes on after the last entry, or whose Adler-32 check
  // does not match, is corrupt even though every entry could be read.
  if (CheckPayloadEnd() != 0) {
    ShowErrorBox("corData");
    return FailCopy(dialog);
  }

  // The installed program's own data file: recorded for its uninstall, not created.
  char dataFile[kPathSize];
  CopyBounded(dataFile, sizeof dataFile, InstallDirectory);
  if (AppendBounded(dataFile, sizeof dataFile, "\\DEF.LMV") == 0) RecordInstalledFile(dataFile);

  // Every file is in place: what was set aside goes.
  CommitJournal(DetectWindows(), ForgetInstalledFile);
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
