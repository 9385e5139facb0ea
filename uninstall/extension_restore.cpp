#include "uninstall/extension_restore.h"

#include "common/bounded_text.h"
#include "shell/record_name.h"

ExtensionStep DecideExtension(const char* current, const char* saved) {
  // The installer writes the product's name exactly; any other spelling is not its own.
  if (current == nullptr || !TextEquals(current, kProductClass)) return kLeaveExtension;
  // A saved "Lumivora" would point the extension back at the class being removed.
  if (saved == nullptr || saved[0] == '\0' || TextEquals(saved, kProductClass)) return kRemoveClass;
  return kRestoreSavedClass;
}
