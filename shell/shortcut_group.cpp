#include "shell/shortcut_group.h"

#include <windows.h>
#include <shlobj.h>

#include "common/bounded_text.h"
#include "common/install_log.h"
#include "common/installer_state.h"
#include "shell/class_keys.h"
#include "shell/progman_commands.h"

namespace {

// The Programs folders by their CSIDL numbers: the common one, then the user's own.
const int kProgramsFolders[] = {0x17, 0x02};

typedef BOOL(WINAPI* FolderPathFunction)(HWND, LPSTR, int, BOOL);
typedef HRESULT(WINAPI* ComInitializeFunction)(LPVOID);
typedef HRESULT(WINAPI* CreateInstanceFunction)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
typedef int(WINAPI* WidenFunction)(UINT, DWORD, LPCSTR, int, LPWSTR, int);

// CLSID_ShellLink, IID_IShellLinkA and IID_IPersistFile, here rather than from a
// library of GUIDs that the installer does not link.
const GUID kShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kShellLinkInterface = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kPersistFileInterface = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// A function of a DLL the installer does not import. Shell32 and ole32 are known to
// Windows NT, which takes them from the system folder whatever the program's folder
// holds; the start-up loads ole32 from there before anything else.
FARPROC SystemFunction(const char* dll, const char* name) {
  HMODULE module = LoadLibraryA(dll);
  return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

template <typename Function>
Function Found(FARPROC found) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

// folder\Lumivora in the Programs folder `csidl`. 0, or -1 when the system has no such
// folder, or no SHGetSpecialFolderPathA to find it (Windows 95 and NT 4 have it from
// the shell of Internet Explorer 4 on).
int ProgramsGroupFolder(int csidl, char* folder) {
  FolderPathFunction folderPath = Found<FolderPathFunction>(SystemFunction("shell32.dll", "SHGetSpecialFolderPathA"));
  if (folderPath == nullptr || !folderPath(nullptr, folder, csidl, FALSE)) return -1;
  return JoinPath(folder, kPathSize, kGroupFolderName);
}

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Names the folder for the uninstall, which finds the common group's by itself but not
// one in the user's own Programs folder.
void RecordGroupFolder(const char* folder) { SetClassesValue(kGroupFolderKey, folder, TextLength(folder) + 1); }

// The four shortcut files, saved one after the other through one link object of the
// shell. 0 when all four were saved. MultiByteToWideChar is looked up too: the image
// imports only what Windows 95, NT 3.51 and Win32s all have, and only the systems with
// a Start menu come here.
int SaveShortcuts(const char* folder) {
  WidenFunction widen = Found<WidenFunction>(SystemFunction("kernel32.dll", "MultiByteToWideChar"));
  ComInitializeFunction initialize = Found<ComInitializeFunction>(SystemFunction("ole32.dll", "CoInitialize"));
  CreateInstanceFunction createInstance =
      Found<CreateInstanceFunction>(SystemFunction("ole32.dll", "CoCreateInstance"));
  if (widen == nullptr || initialize == nullptr || createInstance == nullptr) return -1;
  // COM stays initialized on the installer's only thread until the process ends.
  initialize(nullptr);
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  int result = -1;
  if (SUCCEEDED(createInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkInterface,
                               reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(kPersistFileInterface, reinterpret_cast<void**>(&file)))) {
    result = 0;
    for (const GroupItem& item : kGroupItems) {
      char path[kPathSize];
      char target[kPathSize];
      WCHAR widePath[kPathSize];
      // A path that was cut would name another file: that item is left out.
      if (ComposeShortcutPath(path, sizeof path, folder, item) != 0 ||
          ComposeItemTarget(target, sizeof target, MainProgramPath, item) != 0 ||
          widen(CP_ACP, 0, path, -1, widePath, kPathSize) == 0) {
        result = -1;
        continue;
      }
      link->SetPath(target);
      link->SetArguments(item.arguments);
      link->SetIconLocation(MainProgramPath, item.iconIndex);
      if (FAILED(file->Save(widePath, TRUE))) result = -1;
    }
    file->Release();
  }
  if (link != nullptr) link->Release();
  return result;
}

// The four shortcut files in `folder`, and the folder when nothing else is left in it
// (a file of the user's stays, and keeps it). 0 when no shortcut file is left.
int DeleteShortcutsIn(const char* folder) {
  int result = 0;
  char path[kPathSize];
  for (const GroupItem& item : kGroupItems) {
    if (ComposeShortcutPath(path, sizeof path, folder, item) != 0) continue;
    if (!DeleteFileA(path) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) result = -1;
  }
  RemoveDirectoryA(folder);
  return result;
}

}  // namespace

int CreateShortcutGroup() {
  // The user's own Programs folder serves where the common one cannot be had: on
  // Windows 95 without user profiles there is no common one, and the user's is the
  // machine's only Start menu; on Windows NT a user without the right to the common
  // one sees the group at least in the own Start menu. SYSTEM always has that right,
  // so its own folder, which nobody sees, is never chosen.
  char folder[kPathSize];
  int result = -1;
  for (int csidl : kProgramsFolders) {
    if (ProgramsGroupFolder(csidl, folder) == 0 && (CreateDirectoryA(folder, nullptr) || IsDirectory(folder))) {
      RecordGroupFolder(folder);
      result = SaveShortcuts(folder);
      break;
    }
    folder[0] = '\0';  // none: the log names an empty folder
  }
  LogEvent("group: shortcut files in \"%s\": %s", folder, LogOutcome(result == 0));
  return result;
}

int DeleteShortcutGroup(char* folder) {
  // The recorded folder, then the common group's, which the shell of Windows NT made
  // where it took the common group: without a shell, nobody else removes it.
  char place[kPathSize];
  int result = 0;
  for (int pass = 0; pass < 2; ++pass) {
    bool there = pass == 0 ? QueryClassesValue(kGroupFolderKey, place, kPathSize) == 0 && place[0] != '\0'
                           : ProgramsGroupFolder(kProgramsFolders[0], place) == 0;
    if (there && DeleteShortcutsIn(place) != 0) {
      CopyBounded(folder, kPathSize, place);
      result = -1;
    }
  }
  return result;
}
