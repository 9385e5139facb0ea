#include <windows.h>

#include "driver/install_sequence.h"
#include "driver/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int) {
  // A 32-bit program never has a previous instance; the check keeps the old contract.
  if (previous == nullptr && StartInstaller(instance, commandLine) == 0) {
    InstallSequence();
  }
  return 0;
}
