// The main program of the benchmark's product: the installers start it at the end, so
// it ends at once and leaves the next run a quiet machine.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
