#include "shell/progman_group.h"

#include "common/bounded_text.h"
#include "common/halt_places.h"
#include "common/install_log.h"
#include "common/installer_state.h"
#include "shell/progman_commands.h"
#include "shell/shortcut_group.h"

// Program Manager cannot take a path with blanks, so every path it is given is the
// short form of the program's path; the long form serves when there is no short
// form or it does not fit.
void ShortProgramPath(char* out) {
  DWORD length = GetShortPathNameA(MainProgramPath, out, kPathSize);
  if (length == 0 || length >= kPathSize) CopyBounded(out, kPathSize, MainProgramPath);
}

DWORD ProgmanInstance = 0;
HSZ ProgmanService = nullptr;
const char* ProgmanServiceName = kProgmanService;

namespace {

enum { kCommandTimeoutMs = 10000 };

// One synchronous execute transaction; DDEML keeps this thread's messages flowing
// while it waits. 0 when the server accepted the command. `refused` is what the log
// calls a refusal: a DeleteItem of an item that is not there is refused too.
int SendCommand(const char* command, HCONV conversation, const char* refused = "refused") {
  DWORD status = 0;
  HDDEDATA accepted = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command)),
                                           static_cast<DWORD>(TextLength(command) + 1), conversation, nullptr, CF_TEXT,
                                           XTYP_EXECUTE, kCommandTimeoutMs, &status);
  LogEvent("progman %s: %s", command, accepted != nullptr ? "accepted" : refused);
  return accepted != nullptr ? 0 : -1;
}

// A composed command that did not fit is not sent and counts as refused.
int SendComposed(int composed, const char* command, HCONV conversation) {
  return composed == 0 ? SendCommand(command, conversation) : -1;
}

// The eight commands that fill the group the shell last opened. DeleteItem answers
// never stop them, since the items may not be there; every AddItem is required.
int SendItemCommands(char* command, HCONV conversation) {
  for (const char* deleteItem : kDeleteItemCommands) SendCommand(deleteItem, conversation, "not there");
  HaltPlace("progman");

  char shortPath[kPathSize];
  ShortProgramPath(shortPath);
  if (SendComposed(ComposeProgramItem(command, kProgmanCommandSize, shortPath), command, conversation) != 0) {
    return -1;
  }
  if (SendComposed(ComposeUninstallItem(command, kProgmanCommandSize, shortPath), command, conversation) != 0) {
    return -1;
  }
  if (AddDocumentItem(command, kAddItemPrefix, kReleaseNotesFile, kReleaseNotesLabel, conversation) != 0) {
    return -1;
  }
  return AddDocumentItem(command, kAddItemPrefix, kOrderFormFile, kOrderFormLabel, conversation);
}

// On Windows NT 4 and later the group is the common one, which every user of the
// machine sees; where the shell refuses it (a user without the right to it, a shell
// that knows no common groups), the user's own. The group may already exist, so a
// CreateGroup answer never stops the user's; its ShowGroup is required.
int SendGroupCommands(char* command, HCONV conversation) {
  if (OffersCommonGroups(GetVersion())) {
    if (SendCommand(kCreateCommonGroupCommand, conversation) == 0 &&
        SendCommand(kShowCommonGroupCommand, conversation) == 0) {
      return SendItemCommands(command, conversation);
    }
    LogEvent("progman: the user's own group");
  }
  SendCommand(kCreateGroupCommand, conversation);
  if (SendCommand(kShowGroupCommand, conversation) != 0) return -1;
  return SendItemCommands(command, conversation);
}

void ReleaseServiceAndInstance() {
  if (ProgmanService != nullptr) DdeFreeStringHandle(ProgmanInstance, ProgmanService);
  ProgmanService = nullptr;
  DdeUninitialize(ProgmanInstance);
  ProgmanInstance = 0;
}

// A new client instance and a conversation with the service; nullptr (everything
// released) when no server answers.
HCONV ConnectToProgman() {
  // DdeInitializeA starts a new instance only for an identifier of 0.
  ProgmanInstance = 0;
  if (DdeInitializeA(&ProgmanInstance, ProgmanDdeCallback, APPCMD_CLIENTONLY | CBF_FAIL_ADVISES, 0) !=
      DMLERR_NO_ERROR) {
    ProgmanInstance = 0;
    return nullptr;
  }
  ProgmanService = DdeCreateStringHandleA(ProgmanInstance, ProgmanServiceName, CP_WINANSI);
  if (ProgmanService == nullptr) {
    ReleaseServiceAndInstance();
    return nullptr;
  }
  HCONV conversation = DdeConnect(ProgmanInstance, ProgmanService, ProgmanService, nullptr);
  if (conversation == nullptr) {
    LogEvent("progman: no answer");
    ReleaseServiceAndInstance();
  }
  return conversation;
}

}  // namespace

int CreateProgramGroup() {
  HCONV conversation = ConnectToProgman();
  // Without a shell (SYSTEM, a service, a session without Explorer) the installer makes
  // the group itself where the system has a Start menu.
  if (conversation == nullptr) return HasStartMenu(GetVersion()) ? CreateShortcutGroup() : -1;
  char command[kProgmanCommandSize];
  int result = SendGroupCommands(command, conversation);
  DdeDisconnect(conversation);
  ReleaseServiceAndInstance();
  return result;
}

int DeleteProgramGroup() {
  HCONV conversation = ConnectToProgman();
  if (conversation == nullptr) return -1;
  // The installation made the common group, or the user's own where the shell refused
  // the common one.
  int result = OffersCommonGroups(GetVersion()) ? SendCommand(kDeleteCommonGroupCommand, conversation) : -1;
  if (SendCommand(kDeleteGroupCommand, conversation) == 0) result = 0;
  DdeDisconnect(conversation);
  ReleaseServiceAndInstance();
  return result;
}

int AddDocumentItem(char* command, const char* prefix, const char* fileName, const char* labelPiece,
                    HCONV conversation) {
  char shortPath[kPathSize];
  ShortProgramPath(shortPath);
  return SendComposed(ComposeDocumentItem(command, kProgmanCommandSize, prefix, shortPath, fileName, labelPiece),
                      command, conversation);
}

HDDEDATA CALLBACK ProgmanDdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }
