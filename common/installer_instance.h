// The installer's own module. Dialogs, the message tables' templates and the payload
// resource all come from it, so every subsystem reads it; start-up sets it once.
#pragma once
#include <windows.h>

extern HINSTANCE InstallerInstance;
