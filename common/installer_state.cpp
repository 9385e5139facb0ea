#include "common/installer_state.h"

#include "common/bounded_text.h"

const char kDefaultInstallDirectory[] = "C:\\Program Files\\Lumivora";

char InstallerDirectory[kPathSize];
char InstallDirectory[kPathSize] = "C:\\Program Files\\Lumivora";
char MainProgramPath[kPathSize];
size_t LongestEntryPath = 0;
bool AutoRun = true;
int LanguageIndex = 0;
bool LanguageChosen = false;
unsigned char AssociationFlags[kAssociationCount];

void ResetInstallerState() {
  InstallerDirectory[0] = '\0';
  CopyBounded(InstallDirectory, sizeof InstallDirectory, kDefaultInstallDirectory);
  MainProgramPath[0] = '\0';
  LongestEntryPath = 0;
  AutoRun = true;
  LanguageIndex = 0;
  LanguageChosen = false;
  for (int i = 0; i < kAssociationCount; ++i) AssociationFlags[i] = 0;
}
