#include <windows.h>

#include "text/message_catalogue.h"

void ShowErrorText(const char* text) { MessageBoxA(nullptr, text, LookupMessage("err"), MB_OK); }

void ShowErrorBox(const char* key) { ShowErrorText(LookupMessage(key)); }
