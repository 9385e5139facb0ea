#include "common/installation_lock.h"

#include <windows.h>

namespace {

typedef HANDLE(WINAPI* CreateMutexFunction)(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR);

// True when another process holds the named object. Kept open until this process
// ends, however it ends: the system then lets it go.
bool HeldElsewhere(CreateMutexFunction createMutex, const char* name) {
  HANDLE held = createMutex(nullptr, FALSE, name);
  DWORD error = GetLastError();
  // One made by an installation running as SYSTEM can be refused to a user's process.
  return held != nullptr ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

}  // namespace

int TakeInstallationLock() {
  // Looked up, not imported: Win32s has no named objects, and no lock is needed there.
  CreateMutexFunction createMutex = reinterpret_cast<CreateMutexFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "CreateMutexA")));
  if (createMutex == nullptr) return 0;
  // The global name reaches every session (a deployment as SYSTEM beside a user's
  // desktop, two administrators on a terminal server); systems without sessions
  // refuse the prefix. The session's own name is what earlier installers held.
  if (HeldElsewhere(createMutex, "Global\\Lumivora Setup")) return -1;
  return HeldElsewhere(createMutex, "Lumivora Setup") ? -1 : 0;
}
