#include "shell/registry_texts.h"

#include "common/bounded_text.h"

const char* const kAssociatedExtensions[kAssociationCount] = {
    ".gif", ".jpg", ".pcx", ".png", ".bmp", ".rle", ".dib", ".tif", ".tga", ".pcd",
};

const char kDefaultIconKey[] = "Lumivora\\DefaultIcon";
const char kOpenCommandKey[] = "Lumivora\\shell\\open\\command";
const char kSavedClassKeyPrefix[] = "Lumivora\\license\\install\\";

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumivora";
const char kUninstallDisplayName[] = "Lumivora";

const char kDefaultIconSuffix[] = ",0";
const char kUninstallArguments[] = " . -u";
const char kQuietUninstallArguments[] = " . -u -silent";

const char* OpenCommandSuffix(uint32_t windowsFamily) {
  // The quotes keep a document path with blanks one argument on Windows 95 and NT;
  // under Win32s the Windows 3.x shell knows only short names and wants the bare %1.
  return windowsFamily != 0 ? " \"%1\"" : " %1";
}

uint32_t EstimatedSizeKilobytes(uint32_t archiveTotal) {
  // Below 2^31, so the sum cannot overflow.
  return (archiveTotal + 1023) / 1024;
}

void CutDirectoryEnd(char* directory) {
  size_t length = TextLength(directory);
  if (length > 0 && IsDirectoryEnd(directory[length - 1]) && directory[length - 1] != ':' &&
      (length < 2 || directory[length - 2] != ':')) {
    directory[length - 1] = '\0';
  }
}

int ComposeProgramValue(char* out, size_t size, const char* programPath, const char* suffix) {
  // The program's path goes in unquoted, blanks and all.
  return FormatBounded(out, size, "%s%s", programPath, suffix);
}

int ComposeUninstallCommand(char* out, size_t size, const char* programPath, const char* arguments) {
  // In double quotes: a tool that runs the value as a command line would otherwise
  // leave the system to guess where a path with blanks ends (C:\Program.exe first).
  return FormatBounded(out, size, "\"%s\"%s", programPath, arguments);
}
