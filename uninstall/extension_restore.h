// What the uninstall does with one associated extension. Deciding code: no <windows.h>.
#pragma once

enum ExtensionStep {
  // The extension has no key, or names a class other than the product's: the user or
  // another program changed it after the installation, and it stays as it is.
  kLeaveExtension,
  // The extension still names the product and a class was saved before it: that class
  // becomes the extension's class again.
  kRestoreSavedClass,
  // The extension still names the product and had no class before (the saved class is
  // empty, or none was saved): its default value goes, and its key with it when
  // nothing else is left in the key.
  kRemoveClass,
};

// `current` is the extension's default value, nullptr when the extension has no key;
// `saved` is the value kept below Lumivora\license\install, nullptr when none was kept.
ExtensionStep DecideExtension(const char* current, const char* saved);
