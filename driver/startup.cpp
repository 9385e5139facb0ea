#include "driver/startup.h"

#include "common/bounded_text.h"
#include "common/installer_instance.h"
#include "common/installer_state.h"
#include "driver/command_line.h"
#include "exports/exported_helpers.h"
#include "options/installer_variables.h"
#include "options/options_files.h"
#include "shell/product_texts.h"
#include "text/message_catalogue.h"

char InstallerPath[kPathSize];
const char* InstallerArguments = "";
bool SilentSwitch = false;
const char* BadSwitch = nullptr;
int BadSwitchProblem = kSwitchAbsent;

namespace {

// The switches that stand for installer variables, the variables they stand for,
// and their values, kept for the process's life; packed texts, not tables of
// pointers, which the image would carry relocations for. The last one is a number.
const char kValueSwitches[] = "-dir=\0-log=\0-assoc=";
const char kSwitchVariables[] = "sDefPathNT\0sLog\0sAssoc";
enum { kValueSwitchCount = 3, kDirectorySwitch = 0 };
char SwitchValues[kValueSwitchCount][kPathSize];

// The switches that a deployment tool passes instead of an lmvropt.ini; each wins
// over the file's variable of the same meaning.
void ReadSteeringSwitches(const char* args) {
  for (int i = 0; i < kValueSwitchCount; ++i) {
    const char* word = PackedText(kValueSwitches, i);
    SwitchValueResult found =
        FindSwitchValue(args, word, SwitchValues[i], kPathSize, i == kValueSwitchCount - 1);
    if (found == kSwitchGiven) {
      SetSteeringSwitch(PackedText(kSwitchVariables, i), SwitchValues[i]);
    } else if (found != kSwitchAbsent && BadSwitch == nullptr) {
      BadSwitch = word;
      BadSwitchProblem = found;
    }
  }
  // Unattended, the directory from the command line is where the files go (where
  // lmvropt.ini's directory applies only in the destination dialog); in that dialog
  // it is the value shown.
  const char* directory = SwitchValues[kDirectorySwitch];
  if (directory[0] != '\0' && BadSwitch == nullptr) CopyBounded(InstallDirectory, sizeof InstallDirectory, directory);
  if (HasSwitch(args, "-silent")) {
    SilentSwitch = true;
    SetSteeringSwitch("sSilent", "1");
    SetSteeringSwitch("sNoBoxes", "1");
  }
}

// The DLLs that system code loads by name once a program runs (window creation, the
// input methods, the shell, OLE), each ended by its NUL, a DLL's dependencies before
// it. The loader looks for such a name in the program's own folder first: started
// from a download folder, an elevated installer would run whatever lies there under
// that name. Loaded here by their full path, they are found already loaded later.
const char kSystemDlls[] =
    "version\0imm32\0uxtheme\0dwmapi\0rpcrt4\0combase\0ole32\0userenv\0cryptbase\0apphelp\0propsys\0setupapi\0";

// LOAD_LIBRARY_SEARCH_SYSTEM32, which the headers of the oldest systems lack.
const DWORD kSearchSystem32 = 0x800;
// LOAD_WITH_ALTERED_SEARCH_PATH: the DLL's own imports are searched from its folder
// (System32), not from the installer's.
const DWORD kAlteredSearchPath = 0x8;
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD);
typedef HMODULE(WINAPI* LoadLibraryExFunction)(LPCSTR, HANDLE, DWORD);

// Only on Windows NT: Windows 95 and Win32s run every program with all rights, so a
// DLL planted there gains nothing, and they load as they always did.
// SetDefaultDllDirectories (Windows 8, and 7 with its update) is looked up, not
// imported, so the image still loads on the oldest systems; it holds for this process
// only, and nothing here changes the search of the program started at the end.
void TakeDllsFromSystemOnly() {
  if (DetectWindows() != 2) return;
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC found = GetProcAddress(kernel, "SetDefaultDllDirectories");
  if (found != nullptr) reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(found))(kSearchSystem32);
  // Looked up too: the import table holds only what Windows 95 and Win32s have as well.
  LoadLibraryExFunction loadEx =
      reinterpret_cast<LoadLibraryExFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "LoadLibraryExA")));
  char path[kPathSize];
  UINT length = GetSystemDirectoryA(path, kPathSize);
  if (loadEx == nullptr || length == 0 || length >= kPathSize) return;
  for (const char* name = kSystemDlls; *name != '\0'; name += TextLength(name) + 1) {
    path[length] = '\0';
    // A path that was cut would name another file: that DLL is left alone. Loaded by
    // its path alone, its own imports would be searched in the installer's folder
    // first, where SetDefaultDllDirectories is missing (Vista, 7 without its update).
    if (JoinPath(path, sizeof path, name) == 0 && AppendBounded(path, sizeof path, ".dll") == 0) {
      loadEx(path, nullptr, kAlteredSearchPath);
    }
  }
}

}  // namespace

int StartInstaller(HINSTANCE instance, const char* commandLine) {
  // Before anything else can load a DLL.
  TakeDllsFromSystemOnly();
  InstallerInstance = instance;
  LoadMessageTables();
  LoadProductTexts();
  if (commandLine != nullptr) InstallerArguments = commandLine;
  if (AllocateVariableList() != 0) return -1;

  DWORD length = GetModuleFileNameA(instance, InstallerPath, kPathSize);
  if (length == 0 || length >= kPathSize) {
    // A path that was cut would name another directory: use none.
    InstallerDirectory[0] = '\0';
    InstallerPath[0] = '\0';
  } else {
    InstallerDirectoryFromPath(InstallerPath, InstallerDirectory, sizeof InstallerDirectory);
  }

  ScanCommandLine(commandLine, &AutoRun, &LanguageIndex, &LanguageChosen);
  ReadSteeringSwitches(InstallerArguments);
  return 0;
}
