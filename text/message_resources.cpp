#include <windows.h>

#include "common/installer_instance.h"
#include "common/installer_state.h"
#include "text/message_catalogue.h"

void LoadMessageTables() {
  for (int language = 0; language < kLanguageCount; ++language) {
    HRSRC found = FindResourceA(InstallerInstance, MAKEINTRESOURCEA(kMessageTableBase + language), RT_RCDATA);
    if (found == nullptr) continue;
    // A resource stays loaded and locked for the life of the process.
    HGLOBAL loaded = LoadResource(InstallerInstance, found);
    const char* data = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (data != nullptr) FillMessageTable(language, data, SizeofResource(InstallerInstance, found));
  }
}
