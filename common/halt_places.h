// Places in the installation where the installer can be made to end at once, as
// when the user ends it from the task list or the machine loses power, so that the
// end-to-end tests can show that a second run over what was left converges. Only the
// test build of the installer (install-halting.exe) sets the hook; in the shipped
// installer each place costs the test of a null pointer.
#pragma once

typedef void (*InstallHaltHook)(const char* place, long count);
extern InstallHaltHook HaltHook;

// `count` tells places of one kind apart (the number of files copied so far); a
// negative count names the place alone.
inline void HaltPlace(const char* place, long count = -1) {
  if (HaltHook != nullptr) HaltHook(place, count);
}
