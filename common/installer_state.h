// Process-wide installer state shared by the steps of an installation.
// Deciding code may read it; no <windows.h> here.
#pragma once
#include <stddef.h>

enum { kPathSize = 260, kAssociationCount = 10, kLanguageCount = 7 };

// Directory of the installer's executable, ending in its separator ("" when none).
extern char InstallerDirectory[kPathSize];
// Destination directory, as the user or "sDefPathNT" gave it.
extern char InstallDirectory[kPathSize];
// Full path of the first extracted file: the installed program. Empty until then.
extern char MainProgramPath[kPathSize];

// The longest path below the install directory that an archive entry names, as the
// check of the whole payload found it; 0 until then. The install directory is
// refused when a file below it would be too deep (CreateInstallPath).
extern size_t LongestEntryPath;

// True unless "-noautorun" was given: the completion dialog offers to start the program.
extern bool AutoRun;
// Interface language, 0 (English) to 6, and whether the command line chose it.
extern int LanguageIndex;
extern bool LanguageChosen;

// One byte per extension in the fixed order .gif .jpg .pcx .png .bmp .rle .dib .tif
// .tga .pcd; non-zero means associate it.
extern unsigned char AssociationFlags[kAssociationCount];

// The built-in destination, restored by ResetInstallerState.
extern const char kDefaultInstallDirectory[];

// Puts every variable above back to its start-up value (tests use it between cases).
void ResetInstallerState();
