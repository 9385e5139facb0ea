// The sample product's main program: a small stand-in for the Lumivora viewer. It
// shows what it was started with and the settings the installer handed over in
// "lmvr.opt" next to it. Started as its own uninstaller (arguments " . -u", with
// "-silent" after them for no questions and no boxes) it runs the uninstall kit and
// ends with the kit's status.
//
// Every normal start first appends one line, "started: " and the command line, to
// "lmvr-started.log" in its own directory, so that a test can see it was started.
//
// Plain Win32 and fixed buffers, and an entry point of its own: the program imports
// nothing but the system's own libraries, no C runtime, so that it loads on every
// Windows the installer runs on.
#include <windows.h>

#include "uninstall/uninstall_product.h"

namespace {

const char kWindowClass[] = "LumivoraSample";
const int kTextId = 100;

// The text shown in the window; whatever does not fit is cut.
char Shown[16384];

void Append(char* text, int size, const char* more) {
  int used = lstrlenA(text);
  if (used < size - 1) lstrcpynA(text + used, more, size - used);
}

void AppendNumber(char* text, int size, unsigned long value) {
  char number[16];
  wsprintfA(number, "%lu", value);
  Append(text, size, number);
}

// The directory of the program, ending in its separator ("" when unknown).
void OwnDirectory(char* directory, int size) {
  DWORD length = GetModuleFileNameA(nullptr, directory, size);
  if (length == 0 || (int)length >= size) length = 0;
  while (length > 0 && directory[length - 1] != '\\' && directory[length - 1] != '/' && directory[length - 1] != ':') {
    --length;
  }
  directory[length] = '\0';
}

// Opened, written and closed at once: the line is on disk before the window shows.
void LogStart(const char* directory) {
  char path[MAX_PATH + 32];
  lstrcpynA(path, directory, MAX_PATH);
  Append(path, sizeof path, "lmvr-started.log");
  // FILE_APPEND_DATA is an access right of NT alone; Windows 95 and Win32s know only
  // the generic rights, so the line is appended by seeking to the end.
  HANDLE log = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  SetFilePointer(log, 0, nullptr, FILE_END);
  const char* commandLine = GetCommandLineA();
  DWORD written = 0;
  WriteFile(log, "started: ", 9, &written, nullptr);
  WriteFile(log, commandLine, (DWORD)lstrlenA(commandLine), &written, nullptr);
  WriteFile(log, "\r\n", 2, &written, nullptr);
  FlushFileBuffers(log);
  CloseHandle(log);
}

// The arguments after the program's name, quoted or not.
const char* Arguments(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

// "lmvr.opt": a 16-bit count, then that many pairs of NUL-terminated name and value.
void DescribeOptions(const char* directory, char* text, int size) {
  char path[MAX_PATH + 16];
  lstrcpynA(path, directory, MAX_PATH);
  Append(path, sizeof path, "lmvr.opt");
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Append(text, size, "No lmvr.opt beside the program: no settings were handed over.\r\n");
    return;
  }
  static char bytes[8192];
  DWORD length = 0;
  ReadFile(file, bytes, sizeof bytes, &length, nullptr);
  CloseHandle(file);
  if (length < 2) {
    Append(text, size, "lmvr.opt is too short to hold its count.\r\n");
    return;
  }
  unsigned count = (unsigned char)bytes[0] | ((unsigned char)bytes[1] << 8);
  Append(text, size, "lmvr.opt holds ");
  AppendNumber(text, size, count);
  Append(text, size, count == 1 ? " setting:\r\n" : " settings:\r\n");
  DWORD at = 2;
  for (unsigned i = 0; i < count; ++i) {
    // A name and a value, each ending in a NUL inside the file.
    const char* parts[2];
    for (int part = 0; part < 2; ++part) {
      parts[part] = bytes + at;
      while (at < length && bytes[at] != '\0') ++at;
      if (at >= length) {
        Append(text, size, "  (the file ends inside setting ");
        AppendNumber(text, size, i + 1);
        Append(text, size, ")\r\n");
        return;
      }
      ++at;
    }
    Append(text, size, "  ");
    Append(text, size, parts[0]);
    Append(text, size, "=");
    Append(text, size, parts[1]);
    Append(text, size, "\r\n");
  }
  if (at != length) {
    Append(text, size, "  (");
    AppendNumber(text, size, length - at);
    Append(text, size, " bytes follow the last setting)\r\n");
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      MoveWindow(GetDlgItem(window, kTextId), 8, 8, LOWORD(lParam) - 16, HIWORD(lParam) - 16, TRUE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The files the program itself writes beside it, which the installer never recorded.
const char* const kRuntimeFiles[] = {"lmvr-started.log"};

int Run(HINSTANCE instance, int show) {
  const char* commandLine = GetCommandLineA();
  UninstallMode mode = UninstallModeOf(commandLine);
  if (mode != kNoUninstall) {
    // No start line: the uninstall removes the log, and a later run must not bring it back.
    char programPath[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, programPath, sizeof programPath);
    if (length == 0 || length >= sizeof programPath) return kUninstallIncomplete;
    return UninstallProduct(mode, programPath, kRuntimeFiles, sizeof kRuntimeFiles / sizeof kRuntimeFiles[0]);
  }

  char directory[MAX_PATH];
  OwnDirectory(directory, sizeof directory);
  LogStart(directory);

  Append(Shown, sizeof Shown, "Lumivora sample program\r\n\r\nCommand line: ");
  Append(Shown, sizeof Shown, commandLine);
  Append(Shown, sizeof Shown, "\r\n");
  const char* arguments = Arguments(commandLine);
  Append(Shown, sizeof Shown, "Arguments: ");
  Append(Shown, sizeof Shown, *arguments != '\0' ? arguments : "(none)");
  Append(Shown, sizeof Shown, "\r\n\r\n");
  DescribeOptions(directory, Shown, sizeof Shown);

  static WNDCLASSA windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA(kWindowClass, "Lumivora", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 520, 300,
                              nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  HWND textBox = CreateWindowA("EDIT", Shown,
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                               8, 8, 490, 250, window, reinterpret_cast<HMENU>(kTextId), instance, nullptr);
  SendMessageA(textBox, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace

extern "C" void WINAPI LumivoraEntry() {
  STARTUPINFOA startup;
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  ExitProcess((UINT)Run(GetModuleHandleA(nullptr), show));
}
