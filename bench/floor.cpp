// The benchmark's floor: the least a Win32 program must do on this Wine to install
// the product that install.exe carries, with no user interface. It carries the same
// payload (resource 512/301, linked in by the benchmark) and writes the same files
// and registry keys.
//
//   floor.exe STAGE [installer]     do the work up to STAGE, then end:
//     0 nothing (the cost of starting a Wine process)
//     1 inflate the whole archive into memory
//     2 + write every file (one WriteFile each; each directory created once)
//     3 + one record per file below HKCR\Lumivora\installed, through one open key
//     4 + lmvr.opt, the file class, the ten associations with their predecessors
//         and the uninstall entry
//     5 + the Program Manager group through DDE (the installer's ten commands)
//     6 + start the installed program
//   "installer" makes stage 2 work the way the installer's copy must: DeleteFileA,
//   OpenFile, 2,048-byte _hwrite pieces, a closing zero-length write, and
//   CreateDirectoryA for every entry in a subdirectory. The records go through one
//   open key either way, as install.exe writes them.
//   "dialogs" frames stages 2 and 3 the way the installer's silent run does, with
//   the installer's own templates (read from install.exe beside this program): the
//   association checklist, which ends as it opens, then the copy dialog, whose first
//   50 ms timer message does the copy and repaints the bar every 51 ms or more.
//
//   floor.exe probe                 time single operations inside one process
//     (QueryPerformanceCounter, so the machine's other work moves them little) and
//     print one line each: what, how often, milliseconds in all. Works on the
//     archive's files below C:\\floor-probe, which it leaves behind.
//
//   floor.exe reset EXT[=CLASS]...  remove what an installation left in the registry
//     (the product class, the uninstall entry) and give each extension back its
//     class (EXT alone: the key did not exist before and is removed).
//
// Exit status 0, or 1 with a line on standard error naming what failed.
#include <windows.h>
#include <ddeml.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kInstallDirectory[] = "C:\\Program Files\\Lumivora";
const char kClassKey[] = "Lumivora";
const char kInstalledKey[] = "Lumivora\\installed";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumivora";
const char* const kExtensions[] = {".gif", ".jpg", ".pcx", ".png", ".bmp", ".rle", ".dib", ".tif", ".tga", ".pcd"};
const char kOptions[] = "\x01\x00sSilent\x00" "1\x00";
const unsigned kOptionsSize = sizeof kOptions - 1;

bool InstallerStyle = false;
bool WithDialogs = false;
HWND CopyDialog = nullptr;  // while the copy runs in the installer's copy dialog
DWORD LastDraw = 0;
unsigned Written = 0;
unsigned ArchiveTotalBytes = 1;

// The installer's bar: the copied share inverted, the percentage in the middle.
void RedrawProgress() {
  HWND bar = GetDlgItem(CopyDialog, 101);
  HDC dc = GetDC(bar);
  RECT rect;
  GetClientRect(bar, &rect);
  RECT copied = rect;
  copied.right = (LONG)((long long)(rect.right - rect.left) * Written / ArchiveTotalBytes);
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  char text[16];
  int length = std::snprintf(text, sizeof text, "%u%%", (unsigned)((long long)Written * 100 / ArchiveTotalBytes));
  DrawTextA(dc, text, length, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  InvertRect(dc, &copied);
  ReleaseDC(bar, dc);
}
char MainProgram[MAX_PATH];

int Fail(const char* what) {
  std::fprintf(stderr, "floor: %s failed (%lu)\n", what, GetLastError());
  return 1;
}

unsigned ReadLe32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | (unsigned)p[3] << 24; }

// The whole archive, inflated in one call.
unsigned char* Archive = nullptr;
unsigned ArchiveSize = 0;

int Inflate() {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(301), MAKEINTRESOURCEA(512));
  HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
  auto* data = static_cast<const unsigned char*>(loaded != nullptr ? LockResource(loaded) : nullptr);
  if (data == nullptr) return Fail("the payload resource");
  unsigned compressed = ReadLe32(data);
  unsigned char header[6];
  z_stream stream = {};
  inflateInit(&stream);
  stream.next_in = const_cast<unsigned char*>(data + 4);
  stream.avail_in = compressed;
  stream.next_out = header;
  stream.avail_out = sizeof header;
  if (inflate(&stream, Z_NO_FLUSH) != Z_OK || stream.avail_out != 0) return Fail("inflating the header");
  unsigned count = header[0] | header[1] << 8;
  // The archive after its header: ArchiveTotal plus four length bytes per entry.
  ArchiveSize = ReadLe32(header + 2) + 4 * count;
  ArchiveTotalBytes = ReadLe32(header + 2) != 0 ? ReadLe32(header + 2) : 1;
  Archive = static_cast<unsigned char*>(std::malloc(ArchiveSize + 2));
  Archive[0] = header[0];
  Archive[1] = header[1];
  stream.next_out = Archive + 2;
  stream.avail_out = ArchiveSize;
  if (inflate(&stream, Z_FINISH) != Z_STREAM_END || stream.avail_out != 0) return Fail("inflating the archive");
  inflateEnd(&stream);
  return 0;
}

struct Entry {
  const char* name;  // as stored: FILE or FILE!DIR
  const unsigned char* data;
  unsigned size;
};

// Walks the archive: false after the last entry.
bool NextEntry(unsigned* offset, Entry* entry) {
  unsigned count = Archive[0] | Archive[1] << 8;
  static unsigned seen = 0;
  if (*offset == 0) {
    *offset = 2;
    seen = 0;
  }
  if (seen == count) return false;
  unsigned nameLength = Archive[*offset];
  entry->name = reinterpret_cast<const char*>(Archive + *offset + 1);
  entry->size = ReadLe32(Archive + *offset + 1 + nameLength);
  entry->data = Archive + *offset + 1 + nameLength + 4;
  *offset += 1 + nameLength + 4 + entry->size;
  ++seen;
  return true;
}

// "FILE!DIR" -> directory "C:\...\DIR" and path "C:\...\DIR\FILE"; "FILE" -> no directory.
void EntryPaths(const char* name, char* path, char* directory, char* record) {
  const char* bang = std::strchr(name, '!');
  directory[0] = '\0';
  if (bang == nullptr) {
    std::snprintf(path, MAX_PATH, "%s\\%s", kInstallDirectory, name);
    std::snprintf(record, MAX_PATH, "%s", name);
  } else {
    std::snprintf(directory, MAX_PATH, "%s\\%s", kInstallDirectory, bang + 1);
    std::snprintf(path, MAX_PATH, "%s\\%.*s", directory, (int)(bang - name), name);
    std::snprintf(record, MAX_PATH, "%s\\%.*s", bang + 1, (int)(bang - name), name);
  }
  for (char* p = record; *p != '\0'; ++p) {
    if (*p == '\\') *p = '$';
  }
}

int WriteLean(const char* path, const unsigned char* data, unsigned size) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail(path);
  DWORD written = 0;
  BOOL ok = size == 0 || WriteFile(file, data, size, &written, nullptr);
  CloseHandle(file);
  return ok && written == size ? 0 : Fail(path);
}

int WriteLikeInstaller(const char* path, const unsigned char* data, unsigned size) {
  DeleteFileA(path);
  OFSTRUCT of;
  HFILE file = OpenFile(path, &of, OF_CREATE | OF_SHARE_DENY_NONE | OF_READWRITE);
  if (file == HFILE_ERROR) return Fail(path);
  for (unsigned done = 0; done < size;) {
    unsigned piece = size - done > 2048 ? 2048 : size - done;
    if (_hwrite(file, reinterpret_cast<const char*>(data + done), piece) != (long)piece) return Fail(path);
    done += piece;
    Written += piece;
    if (CopyDialog != nullptr && GetTickCount() - LastDraw > 50) {
      RedrawProgress();
      LastDraw = GetTickCount();
    }
  }
  _hwrite(file, reinterpret_cast<const char*>(data), 0);
  _lclose(file);
  return 0;
}

// One record: the subkey of the installed key, its default value "". install.exe
// too keeps the installed key open from its first record on.
int Record(HKEY installed, const char* record) {
  return RegSetValueA(installed, record, REG_SZ, "", 0) == ERROR_SUCCESS ? 0 : Fail(record);
}

int WriteFilesAndRecords(int stage) {
  HKEY installed = nullptr;
  if (stage >= 3 && RegCreateKeyA(HKEY_CLASSES_ROOT, kInstalledKey, &installed) != ERROR_SUCCESS) {
    return Fail("the installed key");
  }
  CreateDirectoryA(kInstallDirectory, nullptr);
  char lastDirectory[MAX_PATH] = "";
  unsigned offset = 0;
  Entry entry;
  while (NextEntry(&offset, &entry)) {
    char path[MAX_PATH], directory[MAX_PATH], record[MAX_PATH];
    EntryPaths(entry.name, path, directory, record);
    if (directory[0] != '\0' && (InstallerStyle || std::strcmp(directory, lastDirectory) != 0)) {
      CreateDirectoryA(directory, nullptr);
      std::strcpy(lastDirectory, directory);
    }
    if (MainProgram[0] == '\0') std::strcpy(MainProgram, path);
    int written = InstallerStyle ? WriteLikeInstaller(path, entry.data, entry.size)
                                 : WriteLean(path, entry.data, entry.size);
    if (written != 0) return 1;
    if (stage >= 3 && Record(installed, record) != 0) return 1;
  }
  if (stage >= 3 && Record(installed, "DEF.LMV") != 0) return 1;
  if (installed != nullptr) RegCloseKey(installed);
  return 0;
}

// The installer's own dialog templates, read from install.exe beside this program.
HMODULE InstallerTemplates() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  while (length > 0 && path[length - 1] != '\\') --length;
  path[length] = '\0';
  std::strncat(path, "install.exe", sizeof path - length - 1);
  return LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

void Centre(HWND dialog) {
  RECT r;
  GetWindowRect(dialog, &r);
  SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

// The association checklist of a silent run: it ends as it opens.
INT_PTR CALLBACK EndsAtOnce(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  Centre(dialog);
  EndDialog(dialog, 1);
  return FALSE;
}

INT_PTR CALLBACK CopiesOnTimer(HWND dialog, UINT message, WPARAM wParam, LPARAM stage) {
  static int copyStage = 0;
  switch (message) {
    case WM_INITDIALOG:
      copyStage = (int)stage;
      Centre(dialog);
      SetTimer(dialog, 0, 50, nullptr);
      return TRUE;
    case WM_TIMER:
      KillTimer(dialog, 0);
      CopyDialog = dialog;
      LastDraw = GetTickCount();
      EndDialog(dialog, WriteFilesAndRecords(copyStage));
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(192, 192, 192));
      return reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH));
    default:
      return FALSE;
  }
}

int CopyInDialogs(int stage) {
  HMODULE templates = InstallerTemplates();
  if (templates == nullptr) return Fail("loading install.exe's templates");
  DialogBoxParamA(templates, MAKEINTRESOURCEA(240), nullptr, EndsAtOnce, 0);
  INT_PTR result = DialogBoxParamA(templates, MAKEINTRESOURCEA(220), nullptr, CopiesOnTimer, stage);
  return result == 0 ? 0 : Fail("the copy dialog");
}

int SetDefault(const char* key, const char* value) {
  return RegSetValueA(HKEY_CLASSES_ROOT, key, REG_SZ, value, 0) == ERROR_SUCCESS ? 0 : Fail(key);
}

int RegisterProduct() {
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s\\lmvr.opt", kInstallDirectory);
  if (WriteLean(path, reinterpret_cast<const unsigned char*>(kOptions), kOptionsSize) != 0) return 1;
  if (SetDefault("Lumivora\\installed\\lmvr.opt", "") != 0) return 1;

  char value[MAX_PATH + 16];
  if (SetDefault(kClassKey, kClassKey) != 0) return 1;
  std::snprintf(value, sizeof value, "%s,0", MainProgram);
  if (SetDefault("Lumivora\\DefaultIcon", value) != 0) return 1;
  std::snprintf(value, sizeof value, "%s \"%%1\"", MainProgram);
  if (SetDefault("Lumivora\\shell\\open\\command", value) != 0) return 1;

  for (const char* extension : kExtensions) {
    char previous[MAX_PATH] = "";
    LONG size = sizeof previous;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, extension, previous, &size) != ERROR_SUCCESS) previous[0] = '\0';
    if (std::strcmp(previous, kClassKey) != 0) {
      char saved[64];
      std::snprintf(saved, sizeof saved, "Lumivora\\license\\install\\%s", extension);
      if (SetDefault(saved, previous) != 0) return 1;
    }
    if (SetDefault(extension, kClassKey) != 0) return 1;
  }

  HKEY uninstall;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kUninstallKey, &uninstall) != ERROR_SUCCESS) return Fail("uninstall key");
  std::snprintf(value, sizeof value, "%s . -u", MainProgram);
  RegSetValueExA(uninstall, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>("Lumivora"), 9);
  RegSetValueExA(uninstall, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 (DWORD)std::strlen(value) + 1);
  // The rest of the installer's whole entry; the version and publisher of the sample
  // program stand for whatever the product's are.
  std::snprintf(value, sizeof value, "%s . -u -silent", MainProgram);
  const char* texts[][2] = {{"QuietUninstallString", value}, {"DisplayIcon", nullptr}, {"DisplayVersion", "2.1.0"},
                            {"Publisher", "Lumivora Software"}, {"InstallLocation", kInstallDirectory}};
  char icon[MAX_PATH + 2];
  std::snprintf(icon, sizeof icon, "%s,0", MainProgram);
  texts[1][1] = icon;
  for (const auto& text : texts) {
    RegSetValueExA(uninstall, text[0], 0, REG_SZ, reinterpret_cast<const BYTE*>(text[1]), (DWORD)std::strlen(text[1]) + 1);
  }
  const DWORD numbers[] = {(ArchiveTotalBytes + 1023) / 1024, 1, 1};
  const char* numberNames[] = {"EstimatedSize", "NoModify", "NoRepair"};
  for (int i = 0; i < 3; ++i) {
    RegSetValueExA(uninstall, numberNames[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&numbers[i]), sizeof numbers[i]);
  }
  RegCloseKey(uninstall);
  return 0;
}

HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// The installer's conversation: CreateGroup and the DeleteItems may be refused, every
// other command is required and a refusal ends the conversation (Wine's server
// refuses the uninstall item, whose command line carries arguments).
int CreateGroup() {
  char shortPath[MAX_PATH];
  DWORD length = GetShortPathNameA(MainProgram, shortPath, sizeof shortPath);
  if (length == 0 || length >= sizeof shortPath) std::strcpy(shortPath, MainProgram);
  char directory[MAX_PATH];
  std::strcpy(directory, shortPath);
  *(std::strrchr(directory, '\\') + 1) = '\0';

  char commands[10][600];
  int required[10] = {0, 1, 0, 0, 0, 0, 1, 1, 1, 1};
  std::snprintf(commands[0], 600, "[CreateGroup(Lumivora)]");
  std::snprintf(commands[1], 600, "[ShowGroup(Lumivora,1)]");
  std::snprintf(commands[2], 600, "[DeleteItem(\"Lumivora\")]");
  std::snprintf(commands[3], 600, "[DeleteItem(\"Uninstall Lumivora\")]");
  std::snprintf(commands[4], 600, "[DeleteItem(\"Lumivora Release Notes\")]");
  std::snprintf(commands[5], 600, "[DeleteItem(\"Lumivora Order Form\")]");
  std::snprintf(commands[6], 600, "[AddItem(%s,\"Lumivora\",%s)]", shortPath, shortPath);
  std::snprintf(commands[7], 600, "[AddItem(%s . -u,\"Uninstall Lumivora\",%s,1)]", shortPath, shortPath);
  std::snprintf(commands[8], 600, "[AddItem(%sreadme.txt,\"Lumivora Release Notes\",%s,2)]", directory, shortPath);
  std::snprintf(commands[9], 600, "[AddItem(%sorder.txt,\"Lumivora Order Form\",%s,2)]", directory, shortPath);

  DWORD instance = 0;
  if (DdeInitializeA(&instance, NoCallback, APPCMD_CLIENTONLY | CBF_FAIL_ADVISES, 0) != DMLERR_NO_ERROR) {
    return Fail("DdeInitialize");
  }
  HSZ service = DdeCreateStringHandleA(instance, "progman", CP_WINANSI);
  HCONV conversation = DdeConnect(instance, service, service, nullptr);
  if (conversation == nullptr) return Fail("DdeConnect");
  for (int i = 0; i < 10; ++i) {
    DWORD status = 0;
    HDDEDATA accepted = DdeClientTransaction(reinterpret_cast<LPBYTE>(commands[i]), (DWORD)std::strlen(commands[i]) + 1,
                                             conversation, nullptr, CF_TEXT, XTYP_EXECUTE, 10000, &status);
    if (accepted == nullptr && required[i]) break;
  }
  DdeDisconnect(conversation);
  DdeFreeStringHandle(instance, service);
  DdeUninitialize(instance);
  return 0;
}

int StartProgram() {
  char shortPath[MAX_PATH];
  DWORD length = GetShortPathNameA(MainProgram, shortPath, sizeof shortPath);
  if (length == 0 || length >= sizeof shortPath) std::strcpy(shortPath, MainProgram);
  return WinExec(shortPath, SW_SHOWNORMAL) > 31 ? 0 : Fail("WinExec");
}

int Reset(int argc, char** argv) {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kClassKey);
  RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  for (int i = 0; i < argc; ++i) {
    char extension[64];
    std::snprintf(extension, sizeof extension, "%s", argv[i]);
    char* equals = std::strchr(extension, '=');
    if (equals == nullptr) {
      RegDeleteTreeA(HKEY_CLASSES_ROOT, extension);
      RegDeleteKeyA(HKEY_CLASSES_ROOT, extension);
      continue;
    }
    *equals = '\0';
    if (equals[1] == '\0') {
      HKEY key;
      if (RegOpenKeyA(HKEY_CLASSES_ROOT, extension, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, nullptr);
        RegCloseKey(key);
      }
    } else if (SetDefault(extension, equals + 1) != 0) {
      return 1;
    }
  }
  return 0;
}

// The copy dialog of the probe: its first timer message repaints the bar, once and
// then ten times more, and ends it.
double FirstRedraw = 0;
double TenRedraws = 0;
double Milliseconds(LARGE_INTEGER from);

INT_PTR CALLBACK RedrawsOnTimer(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_TIMER) {
    KillTimer(dialog, 0);
    CopyDialog = dialog;
    Written = ArchiveTotalBytes / 3;
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    RedrawProgress();
    FirstRedraw = Milliseconds(t);
    QueryPerformanceCounter(&t);
    for (int i = 0; i < 10; ++i) RedrawProgress();
    TenRedraws = Milliseconds(t);
    CopyDialog = nullptr;
    EndDialog(dialog, 0);
    return TRUE;
  }
  return CopiesOnTimer(dialog, message, wParam, 0);
}

double Milliseconds(LARGE_INTEGER from) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * (double)(now.QuadPart - from.QuadPart) / (double)frequency.QuadPart;
}

void Report(const char* what, unsigned count, LARGE_INTEGER from) {
  std::printf("%-58s %5u %8.1f\n", what, count, Milliseconds(from));
}

// The archive's files again, each operation timed on its own; paths below a
// scratch folder with the same layout.
int Probe() {
  const char root[] = "C:\\floor-probe";
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  if (Inflate() != 0) return 1;
  Report("inflate the archive in one call", 1, t);

  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(301), MAKEINTRESOURCEA(512));
  auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
  static unsigned char piece[2048];
  z_stream stream = {};
  inflateInit(&stream);
  stream.next_in = const_cast<unsigned char*>(data + 4);
  stream.avail_in = ReadLe32(data);
  unsigned pieces = 0;
  QueryPerformanceCounter(&t);
  for (;;) {
    stream.next_out = piece;
    stream.avail_out = sizeof piece;
    int status = inflate(&stream, Z_PARTIAL_FLUSH);
    ++pieces;
    if (status != Z_OK) break;
  }
  Report("inflate the archive in 2,048-byte pieces", pieces, t);
  inflateEnd(&stream);

  struct File {
    char path[MAX_PATH];
    char directory[MAX_PATH];
    const unsigned char* data;
    unsigned size;
  };
  static File files[2048];
  unsigned count = 0;
  unsigned offset = 0;
  Entry entry;
  CreateDirectoryA(root, nullptr);
  while (count < 2048 && NextEntry(&offset, &entry)) {
    char record[MAX_PATH];
    EntryPaths(entry.name, files[count].path, files[count].directory, record);
    // The same names below the scratch folder.
    char* names[2] = {files[count].path, files[count].directory};
    for (char* text : names) {
      if (text[0] == '\0') continue;
      char rest[MAX_PATH];
      std::snprintf(rest, sizeof rest, "%s%s", root, text + std::strlen(kInstallDirectory));
      std::strcpy(text, rest);
    }
    files[count].data = entry.data;
    files[count].size = entry.size;
    ++count;
  }
  unsigned inDirectories = 0;
  for (unsigned i = 0; i < count; ++i) {
    if (files[i].directory[0] != '\0') CreateDirectoryA(files[i].directory, nullptr);
  }
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < count; ++i) {
    if (files[i].directory[0] == '\0') continue;
    CreateDirectoryA(files[i].directory, nullptr);
    ++inDirectories;
  }
  Report("CreateDirectoryA of an existing directory", inDirectories, t);
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < count; ++i) DeleteFileA(files[i].path);
  Report("DeleteFileA of a file that is not there", count, t);

  HFILE handles[2048];
  OFSTRUCT of;
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < count; ++i) handles[i] = OpenFile(files[i].path, &of, OF_CREATE | OF_SHARE_DENY_NONE | OF_READWRITE);
  Report("OpenFile(OF_CREATE) of a new file", count, t);
  unsigned writes = 0;
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < count; ++i) {
    for (unsigned done = 0; done < files[i].size; done += 2048, ++writes) {
      unsigned size = files[i].size - done > 2048 ? 2048 : files[i].size - done;
      _hwrite(handles[i], reinterpret_cast<const char*>(files[i].data + done), size);
    }
  }
  Report("_hwrite of 2,048 bytes or less", writes, t);
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < count; ++i) _hwrite(handles[i], reinterpret_cast<const char*>(files[i].data), 0);
  Report("_hwrite of 0 bytes (the end of the file)", count, t);
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < count; ++i) _lclose(handles[i]);
  Report("_lclose", count, t);

  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < count; ++i) DeleteFileA(files[i].path);
  Report("DeleteFileA of an existing file", count, t);
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < count; ++i) {
    HANDLE file = CreateFileA(files[i].path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (files[i].size != 0) WriteFile(file, files[i].data, files[i].size, &written, nullptr);
    CloseHandle(file);
  }
  Report("CreateFileA, one WriteFile, CloseHandle", count, t);

  HKEY probe;
  RegCreateKeyA(HKEY_CLASSES_ROOT, "LumivoraProbe\\installed", &probe);
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < count; ++i) {
    HKEY key;
    RegCreateKeyA(HKEY_CLASSES_ROOT, "LumivoraProbe\\installed", &key);
    RegCloseKey(key);
  }
  Report("RegCreateKeyA(HKCR, the installed key), RegCloseKey", count, t);
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "FILE%u", i);
    RegSetValueA(probe, name, REG_SZ, "", 0);
  }
  Report("RegSetValueA(installed key, new record, \"\")", count, t);
  RegCloseKey(probe);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "LumivoraProbe");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "LumivoraProbe");

  // lmvr.opt written in place, and the installer's way: under a passing name (a
  // leftover of that name deleted first), then renamed. A hundred of each, under
  // names of their own.
  const unsigned kOptionFiles = 100;
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < kOptionFiles; ++i) {
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\in-place%u.opt", root, i);
    HFILE file = OpenFile(path, &of, OF_CREATE | OF_SHARE_DENY_NONE | OF_READWRITE);
    _hwrite(file, kOptions, kOptionsSize);
    _lclose(file);
  }
  Report("lmvr.opt written in place", kOptionFiles, t);
  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < kOptionFiles; ++i) {
    char path[MAX_PATH], fresh[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\renamed%u.opt", root, i);
    std::snprintf(fresh, sizeof fresh, "%s\\renamed%u.new", root, i);
    DeleteFileA(fresh);
    HFILE file = OpenFile(fresh, &of, OF_CREATE | OF_SHARE_DENY_NONE | OF_READWRITE);
    _hwrite(file, kOptions, kOptionsSize);
    _lclose(file);
    if (!MoveFileA(fresh, path)) return Fail("renaming the options file");
  }
  Report("lmvr.opt written as lmvr.new, then renamed", kOptionFiles, t);

  QueryPerformanceCounter(&t);
  for (unsigned i = 0; i < 2000; ++i) GetTickCount();
  Report("GetTickCount", 2000, t);

  HMODULE templates = InstallerTemplates();
  if (templates == nullptr) return Fail("loading install.exe's templates");
  QueryPerformanceCounter(&t);
  DialogBoxParamA(templates, MAKEINTRESOURCEA(240), nullptr, EndsAtOnce, 0);
  Report("association dialog of a silent run (ends as it opens)", 1, t);
  QueryPerformanceCounter(&t);
  DialogBoxParamA(templates, MAKEINTRESOURCEA(220), nullptr, RedrawsOnTimer, 0);
  Report("copy dialog: open, first timer message (50 ms), 11 bars, close", 1, t);
  std::printf("%-58s %5u %8.1f\n", "first repaint of the bar (GetDC, FillRect, DrawTextA, ...)", 1u, FirstRedraw);
  std::printf("%-58s %5u %8.1f\n", "later repaints of the bar", 10u, TenRedraws);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int argc = __argc;
  char** argv = __argv;
  if (argc >= 2 && std::strcmp(argv[1], "reset") == 0) return Reset(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "probe") == 0) return Probe();
  if (argc < 2) return Fail("usage: floor STAGE [installer] [dialogs]");
  int stage = std::atoi(argv[1]);
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "installer") == 0) InstallerStyle = true;
    if (std::strcmp(argv[i], "dialogs") == 0) WithDialogs = true;
  }
  if (stage >= 1 && Inflate() != 0) return 1;
  if (stage >= 2 && (WithDialogs ? CopyInDialogs(stage) : WriteFilesAndRecords(stage)) != 0) return 1;
  if (stage >= 4 && RegisterProduct() != 0) return 1;
  if (stage >= 5 && CreateGroup() != 0) return 1;
  if (stage >= 6 && StartProgram() != 0) return 1;
  return 0;
}
