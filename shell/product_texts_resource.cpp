#include <windows.h>

#include "common/installer_instance.h"
#include "shell/product_texts.h"

char ProductVersion[kProductTextSize];
char ProductPublisher[kProductTextSize];

void LoadProductTexts() {
  ProductVersion[0] = ProductPublisher[0] = '\0';
  HRSRC found = FindResourceA(InstallerInstance, MAKEINTRESOURCEA(kProductTextsResourceId),
                              MAKEINTRESOURCEA(kProductTextsResourceType));
  HGLOBAL loaded = found != nullptr ? LoadResource(InstallerInstance, found) : nullptr;
  const char* data = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (data == nullptr) return;
  ProductTextsFromResource(data, SizeofResource(InstallerInstance, found), ProductVersion, ProductPublisher);
}
