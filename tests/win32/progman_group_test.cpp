#include "shell/progman_group.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "dde_test_server.h"
#include "shell/progman_commands.h"
#include "shell/shortcut_group.h"
#include "test_support.h"

using namespace testing_support;

namespace {

std::string ShortPathOf(const std::string& path) {
  char out[MAX_PATH];
  DWORD length = GetShortPathNameA(path.c_str(), out, sizeof out);
  return length > 0 && length < sizeof out ? std::string(out) : std::string();
}

// The ten commands for the program path S, each as it is sent: with its NUL. The
// group opened by its first two is the user's own, or with `common` the machine's.
std::vector<std::string> ExpectedCommands(const std::string& s, bool common = true) {
  std::string d = s.substr(0, s.find_last_of("\\:") + 1);
  std::vector<std::string> commands = {
      common ? "[CreateGroup(Lumivora,1)]" : "[CreateGroup(Lumivora)]",
      common ? "[ShowGroup(Lumivora,1,1)]" : "[ShowGroup(Lumivora,1)]",
      "[DeleteItem(\"Lumivora\")]",
      "[DeleteItem(\"Uninstall Lumivora\")]",
      "[DeleteItem(\"Lumivora Release Notes\")]",
      "[DeleteItem(\"Lumivora Order Form\")]",
      "[AddItem(" + s + ",\"Lumivora\"," + s + ")]",
      "[AddItem(" + s + " . -u,\"Uninstall Lumivora\"," + s + ",1)]",
      "[AddItem(" + d + "readme.txt,\"Lumivora Release Notes\"," + s + ",2)]",
      "[AddItem(" + d + "order.txt,\"Lumivora Order Form\"," + s + ",2)]",
  };
  for (std::string& command : commands) command.push_back('\0');
  return commands;
}

std::vector<std::string> FirstOf(const std::vector<std::string>& all, size_t count) {
  return std::vector<std::string>(all.begin(), all.begin() + count);
}

// Waits a little for the server to see the client's disconnect.
int DisconnectsSeen(const DdeTestServer& server) {
  for (int i = 0; i < 50 && server.disconnects() == 0; ++i) Sleep(20);
  return server.disconnects();
}

std::string ProgramsGroupFolder(int csidl = CSIDL_PROGRAMS) {
  char programs[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, programs))) return std::string();
  return std::string(programs) + "\\Lumivora";
}

std::string CommonGroupFolder() { return ProgramsGroupFolder(CSIDL_COMMON_PROGRAMS); }

// The installed program, in a directory with a blank in its name, so that its short
// form differs from its long one.
class ProgmanGroupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallerState();
    directory_ = scratch_ / "Program Files";
    CreateDirectoryA(directory_.c_str(), nullptr);
    directory_ += "\\Lumivora";
    CreateDirectoryA(directory_.c_str(), nullptr);
    program_ = directory_ + "\\PROGRAM.EXE";
    ASSERT_TRUE(WriteFileBytes(program_, "MZ"));
    SetProgram(program_);
    shortPath_ = ShortPathOf(program_);
    ASSERT_FALSE(shortPath_.empty());
    ASSERT_EQ(shortPath_.find(' '), std::string::npos) << shortPath_;
    service_ = "lmvrtest" + std::to_string(GetCurrentProcessId());
    ProgmanServiceName = service_.c_str();
  }
  void TearDown() override {
    ProgmanServiceName = kProgmanService;
    DeleteProductKeys();
    RemoveTree(CommonGroupFolder());
  }

  static void SetProgram(const std::string& path) {
    CopyBounded(MainProgramPath, sizeof MainProgramPath, path.c_str());
  }

  ScratchDir scratch_{"progman"};
  std::string directory_;
  std::string program_;
  std::string shortPath_;
  std::string service_;
};

// Calls into DDEML made by this thread (the server's thread is left out).
DWORD testThread = 0;
std::string releaseLog;
int transactions = 0;
void* originals[4] = {};

BOOL WINAPI LoggingDisconnect(HCONV conversation) {
  if (GetCurrentThreadId() == testThread) releaseLog += "D";
  return reinterpret_cast<decltype(&DdeDisconnect)>(originals[0])(conversation);
}
BOOL WINAPI LoggingFreeStringHandle(DWORD instance, HSZ string) {
  if (GetCurrentThreadId() == testThread) releaseLog += "F";
  return reinterpret_cast<decltype(&DdeFreeStringHandle)>(originals[1])(instance, string);
}
BOOL WINAPI LoggingUninitialize(DWORD instance) {
  if (GetCurrentThreadId() == testThread) releaseLog += "U";
  return reinterpret_cast<decltype(&DdeUninitialize)>(originals[2])(instance);
}
HDDEDATA WINAPI CountingTransaction(LPBYTE data, DWORD size, HCONV conversation, HSZ item, UINT format, UINT type,
                                    DWORD timeout, LPDWORD result) {
  if (GetCurrentThreadId() == testThread) ++transactions;
  return reinterpret_cast<decltype(&DdeClientTransaction)>(originals[3])(data, size, conversation, item, format, type,
                                                                         timeout, result);
}
DWORD WINAPI Windows95Version() { return 0xC0000004; }
UINT WINAPI FailingInitialize(LPDWORD, PFNCALLBACK, DWORD, DWORD) { return DMLERR_SYS_ERROR; }
HSZ WINAPI FailingCreateStringHandle(DWORD, LPCSTR, int) { return nullptr; }
DWORD WINAPI TooLongShortPath(LPCSTR, LPSTR, DWORD) { return 300; }

// Wine's Program Manager server opens a folder window for the group, in an explorer
// process of its own, on CreateGroup and on ShowGroup.
struct GroupWindows {
  std::set<HWND> closed;
  std::vector<HANDLE> processes;
  bool seen = false;
};

BOOL CALLBACK CloseGroupWindow(HWND window, LPARAM param) {
  auto* windows = reinterpret_cast<GroupWindows*>(param);
  char windowClass[64] = {};
  GetClassNameA(window, windowClass, sizeof windowClass);
  if (std::string(windowClass) != "ExplorerWClass" || WindowText(window) != "Lumivora") return TRUE;
  windows->seen = true;
  if (!windows->closed.insert(window).second) return TRUE;  // already asked to close
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  if (process != nullptr) windows->processes.push_back(process);
  PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// Closes every group window that shows up until none has been seen for 3 s, and makes
// sure their processes end, so that nothing of this test outlives it.
void CloseGroupWindows() {
  GroupWindows windows;
  DWORD start = GetTickCount();
  DWORD lastSeen = start;
  while (GetTickCount() - lastSeen < 3000 && GetTickCount() - start < 20000) {
    windows.seen = false;
    EnumWindows(CloseGroupWindow, reinterpret_cast<LPARAM>(&windows));
    if (windows.seen) lastSeen = GetTickCount();
    Sleep(100);
  }
  for (HANDLE process : windows.processes) {
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
  }
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

struct Shortcut {
  bool loaded = false;
  std::string target;
  std::string arguments;
  std::string icon;
  int iconIndex = -1;
};

Shortcut ReadShortcut(const std::string& path) {
  Shortcut result;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return result;
  }
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    std::wstring wide(path.begin(), path.end());
    if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
      char text[MAX_PATH] = {};
      result.loaded = true;
      link->GetPath(text, sizeof text, nullptr, 0);
      result.target = text;
      text[0] = '\0';
      link->GetArguments(text, sizeof text);
      result.arguments = text;
      text[0] = '\0';
      link->GetIconLocation(text, sizeof text, &result.iconIndex);
      result.icon = text;
    }
    file->Release();
  }
  link->Release();
  return result;
}

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

}  // namespace

// The ten commands in order, with the short path only: the common group, or the
// user's own where the shell refuses it or the system keeps no common groups (Windows
// 95); a refused required command ends the group there, a refused clean-up command
// does not. The uninstall deletes both groups.
TEST_F(ProgmanGroupTest, SendsTheTenCommandsAndARefusedRequiredOneEndsTheGroup) {
  DdeTestServer server(service_);
  ASSERT_TRUE(server.running());
  const std::vector<std::string> common = ExpectedCommands(shortPath_);
  const std::vector<std::string> own = ExpectedCommands(shortPath_, false);
  auto ownAfter = [&](size_t tried, size_t ownSent) {  // the common group refused, the user's own
    std::vector<std::string> sent = FirstOf(common, tried);
    sent.insert(sent.end(), own.begin(), own.begin() + ownSent);
    return sent;
  };
  const struct {
    bool windows95;
    std::vector<int> refused;
    int result;
    std::vector<std::string> sent;
  } cases[] = {
      {false, {}, 0, common},          {false, {1}, 0, ownAfter(1, 10)},
      {false, {2}, 0, ownAfter(2, 10)}, {false, {2, 4}, -1, ownAfter(2, 2)},
      {false, {7}, -1, FirstOf(common, 7)}, {false, {8}, -1, FirstOf(common, 8)},
      {false, {9}, -1, FirstOf(common, 9)}, {false, {10}, -1, FirstOf(common, 10)},
      {false, {3, 4, 5, 6}, 0, common},  {true, {}, 0, own},
      {true, {2}, -1, FirstOf(own, 2)}, {true, {1, 3, 4, 5, 6}, 0, own},
  };
  const std::vector<std::string> deletes = {std::string("[DeleteGroup(Lumivora,1)]") + '\0',
                                            std::string("[DeleteGroup(Lumivora)]") + '\0'};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.windows95 ? "Windows 95, " : "") + "refused: " + ::testing::PrintToString(c.refused));
    std::optional<ImportPatch> version;
    if (c.windows95) version.emplace("kernel32.dll", "GetVersion", reinterpret_cast<void*>(&Windows95Version));
    server.Reset();
    for (int number : c.refused) server.Refuse(number);
    EXPECT_EQ(CreateProgramGroup(), c.result);
    EXPECT_EQ(server.commands(), c.sent);
    EXPECT_EQ(DisconnectsSeen(server), 1);
    EXPECT_EQ(ProgmanInstance, 0u);
    EXPECT_EQ(ProgmanService, nullptr);
    // The uninstall: the common group (refused here), and the user's own.
    server.Reset();
    if (!c.windows95) server.Refuse(1);
    EXPECT_EQ(DeleteProgramGroup(), 0);
    EXPECT_EQ(server.commands(), std::vector<std::string>(deletes.begin() + c.windows95, deletes.end()));
  }
}

TEST_F(ProgmanGroupTest, EveryWayOutReleasesWhatItObtainedInReverseOrder) {
  testThread = GetCurrentThreadId();
  ImportPatch disconnect("user32.dll", "DdeDisconnect", reinterpret_cast<void*>(&LoggingDisconnect));
  ImportPatch free("user32.dll", "DdeFreeStringHandle", reinterpret_cast<void*>(&LoggingFreeStringHandle));
  ImportPatch uninitialize("user32.dll", "DdeUninitialize", reinterpret_cast<void*>(&LoggingUninitialize));
  ImportPatch transaction("user32.dll", "DdeClientTransaction", reinterpret_cast<void*>(&CountingTransaction));
  ASSERT_TRUE(disconnect.ok() && free.ok() && uninitialize.ok() && transaction.ok());
  originals[0] = disconnect.original();
  originals[1] = free.original();
  originals[2] = uninitialize.original();
  originals[3] = transaction.original();

  const struct {
    const char* way;
    const char* failing;  // the DDEML function made to fail, or nullptr
    void* replacement;
    bool server;  // our server answers (refusing command `refused`, 0 for none), or none does
    int refused;
    int result;
    const char* released;  // Disconnect, FreeStringHandle, Uninitialize, in call order
    int transactions;
  } cases[] = {
      // Without a conversation the group is made as shortcut files.
      {"no DDEML instance", "DdeInitializeA", reinterpret_cast<void*>(&FailingInitialize), false, 0, 0, "", 0},
      {"no service name", "DdeCreateStringHandleA", reinterpret_cast<void*>(&FailingCreateStringHandle), false, 0,
       0, "U", 0},
      {"no server answers", nullptr, nullptr, false, 0, 0, "FU", 0},
      {"a command refused", nullptr, nullptr, true, 7, -1, "DFU", 7},
      {"the whole group", nullptr, nullptr, true, 0, 0, "DFU", 10},
  };
  std::optional<DdeTestServer> server;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.way);
    std::optional<ImportPatch> failing;
    if (c.failing != nullptr) {
      failing.emplace("user32.dll", c.failing, c.replacement);
      ASSERT_TRUE(failing->ok());
    }
    if (c.server && !server) {
      server.emplace(service_);
      ASSERT_TRUE(server->running());
    }
    if (server) {
      server->Reset();
      server->Refuse(c.refused);
    }
    releaseLog.clear();
    transactions = 0;
    EXPECT_EQ(CreateProgramGroup(), c.result);
    EXPECT_EQ(releaseLog, c.released);
    EXPECT_EQ(transactions, c.transactions);
    EXPECT_EQ(ProgmanInstance, 0u);
    EXPECT_EQ(ProgmanService, nullptr);
  }
}

TEST_F(ProgmanGroupTest, TheLongPathServesWithoutAShortFormAndOverlongCommandsAreNotSent) {
  DdeTestServer server(service_);
  ASSERT_TRUE(server.running());

  // No short form: the file does not exist.
  std::string missing = directory_ + "\\MISSING.EXE";
  SetProgram(missing);
  EXPECT_EQ(CreateProgramGroup(), 0);
  EXPECT_EQ(server.commands(), ExpectedCommands(missing));

  // A short form too long for its buffer.
  {
    ImportPatch tooLong("kernel32.dll", "GetShortPathNameA", reinterpret_cast<void*>(&TooLongShortPath));
    ASSERT_TRUE(tooLong.ok());
    SetProgram(program_);
    server.Reset();
    EXPECT_EQ(CreateProgramGroup(), 0);
    EXPECT_EQ(server.commands(), ExpectedCommands(program_));
  }

  // The program item names the path twice: 250 characters do not fit in 520 bytes.
  std::string longPath = "C:\\" + std::string(240, 'L') + "\\PROGRAM.EXE";
  SetProgram(longPath);
  server.Reset();
  EXPECT_EQ(CreateProgramGroup(), -1);
  EXPECT_EQ(server.commands(), FirstOf(ExpectedCommands(longPath), 6));
  EXPECT_EQ(DisconnectsSeen(server), 1);
}

// Nobody serves the test's service name, as no shell runs for SYSTEM or a service: the
// group is made as shortcut files, in the common Programs folder or, where that cannot
// be had, the user's own; the uninstall's step removes them and leaves the user's files.
TEST_F(ProgmanGroupTest, WithoutAShellTheGroupIsMadeAsShortcutFilesAndTheUninstallRemovesIt) {
  const std::string common = CommonGroupFolder();
  const std::string own = ProgramsGroupFolder();
  ASSERT_FALSE(common.empty() || own.empty());
  const std::string d = directory_ + "\\";
  ASSERT_TRUE(WriteFileBytes(d + "readme.txt", "notes"));
  ASSERT_TRUE(WriteFileBytes(d + "order.txt", "order"));
  struct Item { const char* file; std::string target; const char* arguments; int icon; };
  const Item items[] = {
      {"Lumivora Order Form.lnk", d + "order.txt", "", 2},
      {"Lumivora Release Notes.lnk", d + "readme.txt", "", 2},
      {"Lumivora.lnk", program_, "", 0},
      {"Uninstall Lumivora.lnk", program_, ". -u", 1},
  };

  CoInitialize(nullptr);
  for (bool commonInTheWay : {false, true}) {
    SCOPED_TRACE(commonInTheWay ? "a file in the common group's place" : "the common Programs folder");
    RemoveTree(own);
    if (commonInTheWay) {
      ASSERT_TRUE(WriteFileBytes(common, "in the way"));
    }
    const std::string folder = commonInTheWay ? own : common;
    EXPECT_EQ(CreateProgramGroup(), 0);
    EXPECT_EQ(FilesIn(folder).size(), 4u);  // and each loads as below
    for (const auto& item : items) {
      Shortcut link = ReadShortcut(folder + "\\" + item.file);
      EXPECT_TRUE(link.loaded) << item.file;
      EXPECT_TRUE(SameText(link.target, item.target)) << link.target;
      EXPECT_EQ(link.arguments, item.arguments) << item.file;
      EXPECT_TRUE(SameText(link.icon, program_)) << link.icon;
      EXPECT_EQ(link.iconIndex, item.icon) << item.file;
    }
    EXPECT_TRUE(SameText(ClassesDefault(kGroupFolderKey), folder)) << ClassesDefault(kGroupFolderKey);

    // A shortcut file that cannot be deleted names the folder as left over; a file of
    // the user's stays, and keeps the folder.
    std::string held = folder + "\\Lumivora.lnk";
    SetFileAttributesA(held.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(WriteFileBytes(folder + "\\notes.txt", "mine"));
    char left[MAX_PATH] = {};
    EXPECT_EQ(DeleteShortcutGroup(left), -1);
    EXPECT_TRUE(SameText(left, folder)) << left;
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"Lumivora.lnk", "notes.txt"}));
    SetFileAttributesA(held.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((folder + "\\notes.txt").c_str());
    if (!commonInTheWay) DeleteProductKeys();  // the common group's is found without its record
    EXPECT_EQ(DeleteShortcutGroup(left), 0);
    EXPECT_FALSE(DirectoryExists(folder));
    DeleteFileA(common.c_str());
    DeleteProductKeys();
  }
  CoUninitialize();
}

// Against the Program Manager server of Wine's explorer.
TEST_F(ProgmanGroupTest, WinesProgramManagerKeepsEachItemOnce) {
  ProgmanServiceName = kProgmanService;
  std::string group = ProgramsGroupFolder();
  ASSERT_FALSE(group.empty());
  RemoveTree(group);
  ASSERT_TRUE(WriteFileBytes(directory_ + "\\readme.txt", "notes"));
  ASSERT_TRUE(WriteFileBytes(directory_ + "\\order.txt", "order"));

  // Wine's explorer serves "progman" once the desktop is up, which the first window
  // brings about.
  DestroyWindow(CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
  DWORD instance = 0;
  ASSERT_EQ(DdeInitializeA(&instance, ProgmanDdeCallback, APPCMD_CLIENTONLY | CBF_FAIL_ADVISES, 0),
            static_cast<UINT>(DMLERR_NO_ERROR));
  HSZ service = DdeCreateStringHandleA(instance, kProgmanService, CP_WINANSI);
  HCONV conversation = nullptr;
  for (int i = 0; i < 200 && conversation == nullptr; ++i) {
    conversation = DdeConnect(instance, service, service, nullptr);
    if (conversation == nullptr) Sleep(100);
  }
  ASSERT_NE(conversation, nullptr) << "no Program Manager server";

  // An item left by an earlier installation.
  CreateDirectoryA(group.c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(group + "\\Lumivora Release Notes.lnk", "stale"));

  // Wine refuses the uninstall item (AddItem with arguments), which ends the group
  // there: only the program item is added, and the stale item is gone.
  EXPECT_EQ(CreateProgramGroup(), -1);
  EXPECT_EQ(CreateProgramGroup(), -1);
  EXPECT_EQ(FilesIn(group), std::vector<std::string>{"Lumivora.lnk"});

  CoInitialize(nullptr);
  Shortcut program = ReadShortcut(group + "\\Lumivora.lnk");
  EXPECT_TRUE(program.loaded);
  EXPECT_TRUE(SameText(program.target, shortPath_)) << program.target;
  EXPECT_EQ(program.arguments, "");

  // The document items on their own, into the group the server last opened.
  char command[kProgmanCommandSize];
  EXPECT_EQ(AddDocumentItem(command, kAddItemPrefix, kReleaseNotesFile, kReleaseNotesLabel, conversation), 0);
  EXPECT_EQ(AddDocumentItem(command, kAddItemPrefix, kOrderFormFile, kOrderFormLabel, conversation), 0);
  std::string d = shortPath_.substr(0, shortPath_.find_last_of('\\') + 1);
  const struct {
    const char* name;
    std::string target;
  } documents[] = {{"Lumivora Release Notes", d + "readme.txt"}, {"Lumivora Order Form", d + "order.txt"}};
  for (const auto& document : documents) {
    Shortcut item = ReadShortcut(group + "\\" + document.name + ".lnk");
    EXPECT_TRUE(item.loaded) << document.name;
    EXPECT_TRUE(SameText(item.target, document.target)) << item.target;
    EXPECT_TRUE(SameText(item.icon, shortPath_)) << item.icon;
    EXPECT_EQ(item.iconIndex, 2) << document.name;
  }
  CoUninitialize();

  DdeDisconnect(conversation);
  DdeFreeStringHandle(instance, service);
  DdeUninitialize(instance);
  CloseGroupWindows();
  RemoveTree(group);
}
