#include "driver/install_sequence.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/exit_status.h"
#include "common/global_memory.h"
#include "common/halt_places.h"
#include "common/install_journal.h"
#include "common/install_log.h"
#include "common/installation_lock.h"
#include "common/installer_instance.h"
#include "common/installer_state.h"
#include "common/payload_figures.h"
#include "dialogs/dialog_loader.h"
#include "dialogs/install_dialogs.h"
#include "driver/command_line.h"
#include "driver/startup.h"
#include "exports/exported_helpers.h"
#include "options/install_path.h"
#include "options/installer_variables.h"
#include "options/options_files.h"
#include "payload/file_extraction.h"
#include "payload/payload_reader.h"
#include "shell/product_texts.h"
#include "shell/progman_group.h"
#include "shell/registry_registration.h"
#include "text/message_catalogue.h"

int InstallExitStatus = kInstallLeft;

namespace {

// Every dialog's result is the user's choice (or, unattended, the dialog's own).
int Show(int baseId, DLGPROC procedure) {
  int result = ShowInstallDialog(InstallerInstance, baseId, nullptr, procedure);
  LogEvent("dialog %d: %d", baseId, result);
  return result;
}

// Every way out before the copy has finished releases the payload and takes back
// what the run created so far (the install directory's levels; a failed copy has
// taken back its own work already).
void Leave(int outcome) {
  ClosePayload();
  TakeBack();
  InstallExitStatus = outcome;
}

// Switches to the language whose table asks for this user's country or language
// (German for country code 49), unless the command line chose a language or the
// installation is unattended.
void ChooseLanguageForUser(bool silent) {
  if (LanguageChosen || silent) return;
  char country[10], language[10];
  bool countryKnown = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, country, sizeof country) != 0;
  bool languageKnown = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ILANGUAGE, language, sizeof language) != 0;
  int chosen = LanguageForUser(countryKnown ? country : nullptr, languageKnown ? language : nullptr);
  if (chosen >= 0) LanguageIndex = chosen;
}

// The file class and its associations are written through one 260-byte work buffer;
// the uninstall entry needs none.
void RegisterWithShell(bool associate) {
  char* work = static_cast<char*>(AllocateLocked(kPathSize));
  if (work != nullptr) {
    RegisterFileClass(work);
    if (associate) AssociateExtensions(work);
    ReleaseLocked(work);
  }
  RegisterUninstallEntry();
}

// Starts the installed program by its short path without waiting for it.
void StartInstalledProgram() {
  char path[kPathSize];
  ShortProgramPath(path);
  // WinExec's answers above 31 mean the program was started.
  LogEvent("started %s: %s", path, LogOutcome(WinExec(path, SW_SHOWNORMAL) > 31));
}

// What the log says first: the product this installer carries, the installer, how it
// was started, where, and what it was given.
void LogStart() {
  static const char* const kFamilies[] = {"Win32s", "Windows 95", "Windows NT"};
  LogEvent("Lumivora, version \"%s\", publisher \"%s\"; installer %s, arguments \"%s\", %s", ProductVersion,
           ProductPublisher, InstallerPath, InstallerArguments, kFamilies[DetectWindows()]);
  for (int i = 0; i < VariableCount; ++i) {
    LogEvent("variable %s=%s", VariableNames[i], VariableValues[i]);
    if (VariableNames[i][0] == 's' && !IsInstallerVariable(VariableNames[i])) {
      LogEvent("warning: %s is no variable of the installer: handed on, it does nothing", VariableNames[i]);
    }
  }
  const char* word;
  size_t length;
  for (size_t position = 0; NextUnknownSwitch(InstallerArguments, &position, &word, &length);) {
    char unknown[kPathSize];
    CopyBoundedN(unknown, sizeof unknown, word, length);
    LogEvent("warning: %s is no switch of the installer: ignored", unknown);
  }
}

// A switch whose value cannot be used ends the run before anything is written: a
// directory cut short, or an empty log path, would do something nobody asked for.
bool RefuseBadSwitch() {
  // By SwitchValueResult, from kSwitchEmpty on.
  static const char kProblems[] =
      "its value is empty\0its value has no closing double quote\0its value is too long\0its value is no whole number";
  if (BadSwitch == nullptr) return false;
  LogEvent("switch %s: %s", BadSwitch, PackedText(kProblems, BadSwitchProblem - kSwitchEmpty));
  InstallExitStatus = kExitBadSwitch;
  return true;
}

}  // namespace

void InstallSequence() {
  InstallExitStatus = kInstallLeft;
  LoadInstallerOptions();
  const bool silent = SteeringValue("sSilent") != nullptr;
  // -verify only checks the payload: nobody waits at the screen for that either.
  const bool verify = HasSwitch(InstallerArguments, "-verify");
  NoErrorBoxes = (silent || verify) && SteeringValue("sNoBoxes") != nullptr;
  OpenInstallLog(SteeringValue("sLog"));
  LogStart();
  if (RefuseBadSwitch()) return;
  ChooseLanguageForUser(silent);
  // A check of the payload writes nothing, and may run beside an installation.
  // Win32s has no named objects: there nothing is checked.
  if (!verify && DetectWindows() != 0 && TakeInstallationLock() != 0) {
    ShowErrorBox("busy");
    InstallExitStatus = kInstallFailed;
    return;
  }

  // The whole payload is read before anything is written: a damaged installer then
  // leaves nothing on the machine.
  int checked = OpenPayload() == 0 ? CheckWholePayload() : -1;
  if (checked < 0) {  // the error box has been shown
    InstallExitStatus = kInstallFailed;
    return;
  }
  LogEvent("payload: %u files, %lu bytes, whole (%s)", (unsigned)FileCount, (unsigned long)ArchiveTotal,
           checked == kCheckedByDigest ? "its CRC-32 matches its digest" : "inflated to its end");
  if (verify) return Leave(kInstallCompleted);

  if (!silent) {
    if (Show(kDestinationTemplate, DestinationDialogProc) != 0) return Leave(kInstallLeft);
    if (Show(kLicenceTemplate, LicenceDialogProc) != 0) return Leave(kInstallLeft);
  }

  // Unattended, this dialog ends by itself with the "sAssoc" value.
  int association = Show(kAssociationTemplate, AssociationDialogProc);
  if (association < 0) return Leave(kInstallLeft);
  const bool associate = association != 0;

  // From the first directory level to the end of the copy, what the run creates is
  // remembered, so that a copy that fails leaves the machine as it was.
  if (OpenJournal() != 0) {
    ShowErrorBox("noMem");
    return Leave(kInstallFailed);
  }
  for (int path; (path = CreateInstallPath()) != 0;) {
    // A drive without room has shown its box with the figures.
    if (path == 1) ShowErrorBox("noCreatePath");
    // Without boxes nobody would answer the destination dialog either.
    if (NoErrorBoxes) return Leave(kInstallFailed);
    if (Show(kDestinationTemplate, DestinationDialogProc) != 0) return Leave(kInstallLeft);
  }

  if (Show(kCopyTemplate, CopyDialogProc) != 0) {
    // A failed copy has shown its error and keeps ExtractionBusy set; a copy window
    // closed before it began has not.
    return Leave(ExtractionBusy != 0 ? kInstallFailed : kInstallLeft);
  }
  ClosePayload();
  HaltPlace("shell");

  // From here on nothing stops the installation: each step does what it can.
  CreateProgramGroup();
  RegisterWithShell(associate);
  AddLanguageVariable();
  HaltPlace("options");
  WriteOptionsFile();
  InstallExitStatus = kInstallCompleted;

  if (silent || Show(kCompletionTemplate, CompletionDialogProc) == 0) {
    ReleaseVariableList();
    // A deployment tool's run may be in a session nobody sees (SYSTEM), where the
    // program would stay running for nobody.
    if (SilentSwitch) {
      LogEvent("program not started: -silent");
    } else {
      StartInstalledProgram();
    }
  }
}
