// The installer's own entry point: it needs nothing of a C runtime's start-up (no
// static constructors, no argv), so the image carries none.
#include <windows.h>

#include "driver/command_line.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

extern "C" void WINAPI InstallerEntry() {
  STARTUPINFOA startup;
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  char* arguments = const_cast<char*>(ArgumentsAfterProgramName(GetCommandLineA()));
  ExitProcess((UINT)WinMain(GetModuleHandleA(nullptr), nullptr, arguments, show));
}
