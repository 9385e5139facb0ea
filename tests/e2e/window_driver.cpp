// Drives the installer's dialogs from outside, the way a person would, but by window
// title and control id rather than by screen position. One command per run:
//
//   window_driver wait TITLE [MS]          wait until a top-level window TITLE exists
//   window_driver gone TITLE [MS]          wait until it no longer exists
//   window_driver press TITLE ID           press button ID (as a click does)
//   window_driver dismiss TITLE ID         press it and wait until that window is gone,
//                                          so that the next look cannot find it again
//   window_driver key TITLE enter|escape   the key, sent to the focused control
//   window_driver close TITLE              the close box
//   window_driver text TITLE ID            print the control's text
//   window_driver texts TITLE              print every control's text, one line each in
//                                          template order, with \, CR and LF written
//                                          as \\, \r and \n
//   window_driver settext TITLE ID TEXT    replace the control's text
//   window_driver state TITLE ID           print "visible=0|1 focused=0|1 checked=0|1"
//   window_driver check TITLE ID 0|1       set a check box
//   window_driver activate TITLE           bring the window to the front, as a click on
//                                          it would (the dialog manager then puts the
//                                          focus back on the control that had it), and
//                                          wait until it has stayed there for a second
//   window_driver shortpath PATH           print the short (8.3) form of PATH
//   window_driver list                     print the top-level windows' titles
//   window_driver hold [MS]                keep a hidden window open until killed, so
//                                          that the Wine desktop (and the shell's
//                                          Program Manager service) stays up; with MS,
//                                          first wait that long for the "progman" DDE
//                                          service (exit 1 if it does not answer)
//   window_driver query KEY...             print each key with its values and all its
//                                          subkeys as `reg query KEY /s` does, keys
//                                          that do not exist as "-KEY": one process
//                                          for what would take one reg.exe per key
//   window_driver progman [MS]             wait until the "progman" DDE service answers
//   window_driver holdfile PATH            keep PATH open, shared for reading only (no
//                                          deleting), until killed
//
// Every wait is multiplied by the environment's LMVR_TIME_FACTOR, which the emulated
// machine sets, where everything happens many times slower.
//
// Exit status 0 when the command was carried out, 1 when the window or control was
// not found (in time), 2 for a usage error.
#include <windows.h>
#include <ddeml.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Search {
  const char* title;
  HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char text[512];
  GetWindowTextA(window, text, sizeof text);
  if (IsWindowVisible(window) && std::strcmp(text, search->title) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

DWORD Scaled(DWORD waitMs) {
  char text[16];
  DWORD length = GetEnvironmentVariableA("LMVR_TIME_FACTOR", text, sizeof text);
  unsigned long factor = (length > 0 && length < sizeof text) ? std::strtoul(text, nullptr, 10) : 1;
  return factor > 1 && factor < 100 ? waitMs * factor : waitMs;
}

HWND FindTopLevel(const char* title, DWORD waitMs) {
  waitMs = Scaled(waitMs);
  DWORD start = GetTickCount();
  for (;;) {
    Search search = {title, nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr || GetTickCount() - start >= waitMs) return search.found;
    Sleep(50);
  }
}

BOOL CALLBACK PrintTitle(HWND window, LPARAM) {
  char text[512];
  char cls[128];
  GetWindowTextA(window, text, sizeof text);
  GetClassNameA(window, cls, sizeof cls);
  if (IsWindowVisible(window)) std::printf("%s\t%s\n", cls, text);
  return TRUE;
}

HWND Focused(HWND dialog) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr) return info.hwndFocus;
  return dialog;
}

HDDEDATA CALLBACK NoDdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

int WaitForProgman(DWORD waitMs) {
  waitMs = Scaled(waitMs);
  DWORD instance = 0;
  if (DdeInitializeA(&instance, NoDdeCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 1;
  HSZ service = DdeCreateStringHandleA(instance, "progman", CP_WINANSI);
  DWORD start = GetTickCount();
  int result = 1;
  for (;;) {
    HCONV conversation = DdeConnect(instance, service, service, nullptr);
    if (conversation != nullptr) {
      DdeDisconnect(conversation);
      result = 0;
      break;
    }
    if (GetTickCount() - start >= waitMs) break;
    Sleep(100);
  }
  DdeFreeStringHandle(instance, service);
  DdeUninitialize(instance);
  return result;
}

HKEY RootKey(const char* name, const char** rest) {
  static const struct {
    const char* name;
    HKEY key;
  } roots[] = {{"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT}, {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
               {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKEY_USERS", HKEY_USERS}};
  for (const auto& root : roots) {
    size_t length = std::strlen(root.name);
    if (_strnicmp(name, root.name, length) == 0 && (name[length] == '\\' || name[length] == 0)) {
      *rest = name[length] ? name + length + 1 : name + length;
      return root.key;
    }
  }
  return nullptr;
}

// One key as reg.exe prints it: the key's full name, "    NAME    TYPE    DATA" per
// value, an empty line; then each subkey the same way.
void PrintKey(HKEY key, const char* fullName) {
  std::printf("%s\n", fullName);
  static char name[16384];
  static BYTE data[65536];
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = sizeof name, type = 0, size = sizeof data;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    const char* shown = name[0] ? name : "(Default)";
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      std::printf("    %s    %s    %.*s\n", shown, type == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ",
                  static_cast<int>(size > 0 && data[size - 1] == 0 ? size - 1 : size), data);
    } else if (type == REG_DWORD && size == 4) {
      DWORD value;
      std::memcpy(&value, data, 4);
      std::printf("    %s    REG_DWORD    0x%lx\n", shown, static_cast<unsigned long>(value));
    } else {
      std::printf("    %s    REG_TYPE_%lu    ", shown, static_cast<unsigned long>(type));
      for (DWORD b = 0; b < size; ++b) std::printf("%02X", data[b]);
      std::printf("\n");
    }
  }
  std::printf("\n");
  for (DWORD i = 0;; ++i) {
    char child[256];
    DWORD childLength = sizeof child;
    if (RegEnumKeyExA(key, i, child, &childLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY opened;
    if (RegOpenKeyExA(key, child, 0, KEY_READ, &opened) != ERROR_SUCCESS) continue;
    char* childName = new char[std::strlen(fullName) + childLength + 2];
    std::sprintf(childName, "%s\\%s", fullName, child);
    PrintKey(opened, childName);
    delete[] childName;
    RegCloseKey(opened);
  }
}

bool ProgramRuns(const char* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
    found = lstrcmpiA(entry.szExeFile, name) == 0;
  }
  CloseHandle(snapshot);
  return found;
}

int Usage() {
  std::fprintf(stderr, "usage: window_driver wait|gone|ended|press|dismiss|key|close|text|settext|state|check|list ...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const char* command = argv[1];
  if (std::strcmp(command, "list") == 0) {
    EnumWindows(PrintTitle, 0);
    return 0;
  }
  if (std::strcmp(command, "hold") == 0) {
    CreateWindowA("STATIC", "lmvr-hold", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (argc > 2 && WaitForProgman((DWORD)std::strtoul(argv[2], nullptr, 10)) != 0) {
      std::fprintf(stderr, "window_driver: the \"progman\" service did not answer\n");
      return 1;
    }
    std::printf("holding\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
  }
  if (std::strcmp(command, "holdfile") == 0) {
    if (argc < 3) return Usage();
    HANDLE file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::printf("holding\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
  }
  if (std::strcmp(command, "query") == 0) {
    for (int i = 2; i < argc; ++i) {
      const char* rest = nullptr;
      HKEY root = RootKey(argv[i], &rest);
      HKEY key;
      if (root == nullptr || RegOpenKeyExA(root, rest, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        std::printf("-%s\n", argv[i]);
        continue;
      }
      PrintKey(key, argv[i]);
      RegCloseKey(key);
    }
    return 0;
  }
  if (std::strcmp(command, "shortpath") == 0) {
    if (argc < 3) return Usage();
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(argv[2], shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath) return 1;
    std::printf("%s\n", shortPath);
    return 0;
  }
  if (std::strcmp(command, "progman") == 0) {
    return WaitForProgman(argc > 2 ? (DWORD)std::strtoul(argv[2], nullptr, 10) : 20000);
  }
  if (argc < 3) return Usage();
  const char* title = argv[2];
  const DWORD defaultWait = 20000;

  if (std::strcmp(command, "gone") == 0) {
    DWORD waitMs = Scaled(argc > 3 ? (DWORD)std::strtoul(argv[3], nullptr, 10) : defaultWait);
    DWORD start = GetTickCount();
    while (FindTopLevel(title, 0) != nullptr) {
      if (GetTickCount() - start >= waitMs) return 1;
      Sleep(50);
    }
    return 0;
  }

  // No process runs the program named (its file name, any case): a window closed is
  // not yet a program ended, and an ended one no longer holds its file.
  if (std::strcmp(command, "ended") == 0) {
    DWORD waitMs = Scaled(argc > 3 ? (DWORD)std::strtoul(argv[3], nullptr, 10) : defaultWait);
    for (DWORD start = GetTickCount(); ProgramRuns(title); Sleep(50)) {
      if (GetTickCount() - start >= waitMs) return 1;
    }
    return 0;
  }

  DWORD waitMs = (std::strcmp(command, "wait") == 0 && argc > 3) ? (DWORD)std::strtoul(argv[3], nullptr, 10)
                                                                  : defaultWait;
  HWND dialog = FindTopLevel(title, waitMs);
  if (dialog == nullptr) {
    std::fprintf(stderr, "window_driver: no window titled \"%s\"\n", title);
    return 1;
  }
  if (std::strcmp(command, "wait") == 0) return 0;
  if (std::strcmp(command, "activate") == 0) {
    // Windows that other programs are still opening (Wine's folder windows for the
    // group) can come up on top after the first click: click again until the window
    // has stayed in front for a second.
    DWORD inFront = 0;
    for (DWORD waited = 0; inFront < Scaled(1000); waited += 100, Sleep(100)) {
      if (waited >= Scaled(defaultWait)) {
        std::fprintf(stderr, "window_driver: \"%s\" stays behind other windows\n", title);
        return 1;
      }
      inFront = GetForegroundWindow() == dialog ? inFront + 100 : 0;
      if (inFront == 0) SetForegroundWindow(dialog);
    }
    return 0;
  }
  if (std::strcmp(command, "close") == 0) {
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  if (std::strcmp(command, "key") == 0) {
    if (argc < 4) return Usage();
    WPARAM vk = std::strcmp(argv[3], "enter") == 0 ? VK_RETURN : std::strcmp(argv[3], "escape") == 0 ? VK_ESCAPE : 0;
    if (vk == 0) return Usage();
    HWND target = Focused(dialog);
    PostMessageA(target, WM_KEYDOWN, vk, 1);
    PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
    return 0;
  }

  if (std::strcmp(command, "texts") == 0) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      static char text[16384];
      text[0] = '\0';
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                          &ignored);
      for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\\' || *c == '\r' || *c == '\n') {
          std::printf("\\%c", *c == '\r' ? 'r' : *c == '\n' ? 'n' : '\\');
        } else {
          std::putchar(*c);
        }
      }
      std::putchar('\n');
    }
    return 0;
  }

  if (argc < 4) return Usage();
  int id = std::atoi(argv[3]);
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) {
    std::fprintf(stderr, "window_driver: \"%s\" has no control %d\n", title, id);
    return 1;
  }
  if (std::strcmp(command, "press") == 0 || std::strcmp(command, "dismiss") == 0) {
    // What a click sends: WM_COMMAND with the id and notification 0.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    if (command[0] == 'd') {
      DWORD start = GetTickCount(), waitMs = Scaled(defaultWait);
      while (IsWindow(dialog)) {
        if (GetTickCount() - start >= waitMs) return 1;
        Sleep(20);
      }
    }
    return 0;
  }
  if (std::strcmp(command, "text") == 0) {
    // GetWindowText does not ask a control of another process for its text.
    char text[4096] = "";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    std::printf("%s\n", text);
    return 0;
  }
  if (std::strcmp(command, "settext") == 0) {
    if (argc < 5) return Usage();
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
    return 0;
  }
  if (std::strcmp(command, "state") == 0) {
    std::printf("visible=%d focused=%d checked=%d\n", IsWindowVisible(control) ? 1 : 0,
                Focused(dialog) == control ? 1 : 0,
                SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    return 0;
  }
  if (std::strcmp(command, "check") == 0) {
    if (argc < 5) return Usage();
    SendMessageA(control, BM_SETCHECK, std::atoi(argv[4]) ? BST_CHECKED : BST_UNCHECKED, 0);
    return 0;
  }
  return Usage();
}
