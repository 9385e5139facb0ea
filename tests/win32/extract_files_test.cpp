// The copy dialog (template 220 of the test program) extracting fixture payloads
// into a scratch directory: the files on disk, their records, MainProgramPath, and
// every failure with its box and dialog result.
#include "payload/file_extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "common/bounded_text.h"
#include "common/install_journal.h"
#include "common/installer_state.h"
#include "common/payload_figures.h"
#include "dialogs/dialog_loader.h"
#include "payload/payload_reader.h"
#include "payload_fixture_module.h"
#include "test_support.h"

using namespace testing_support;
using payload_testing::ErrorTexts;
using payload_testing::FixtureModule;
using payload_testing::TreeFile;

namespace {

const char kCorData[] = "Corrupted data. Installation aborted.";

class ExtractTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteProductKeys(); }
  void TearDown() override { DeleteProductKeys(); }

  // Opens the fixture's payload and runs the copy dialog into `directory`.
  int Copy(FixtureModule* fixture, const std::string& directory) {
    EXPECT_TRUE(fixture->loaded()) << fixture->path();
    CopyBounded(InstallDirectory, sizeof InstallDirectory, directory.c_str());
    if (OpenPayload() != 0 || OpenJournal() != 0) return -99;
    return (int)DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kCopyTemplate), nullptr, CopyDialogProc,
                                0);
  }

  std::string Read(const std::string& path) {
    std::string bytes = "<missing>";
    ReadFileBytes(path, &bytes);
    return bytes;
  }
};

const char* const kTreeFiles[] = {"MAIN.EXE",    "README.TXT", "EMPTY.DAT",         "EXACT.BIN",
                                  "ONEMORE.BIN", "NOISE.BIN",  "ENGLISH\\INDEX.HTM", "ENGLISH\\IMAGES\\EYE_8"};

std::string Slashed(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

// Into an empty folder, and over an earlier installation (a level and two files
// there already, one longer than the new one) named with a trailing separator, which
// must give no doubled one: every file replaced, never appended to.
TEST_F(ExtractTest, WritesEveryEntryBelowTheInstallDirectoryAndRecordsIt) {
  for (bool again : {false, true}) {
    SCOPED_TRACE(again ? "over an earlier installation" : "into an empty folder");
    DeleteProductKeys();
    FixtureModule fixture("tree");
    ScratchDir scratch("extract-tree");
    if (again) {
      CreateDirectoryA((scratch / "ENGLISH").c_str(), nullptr);
      WriteFileBytes(scratch / "README.TXT", std::string(5000, 'x'));
      WriteFileBytes(scratch / "ENGLISH\\INDEX.HTM", "old");
    }
    DialogWatcher watcher;
    EXPECT_EQ(Copy(&fixture, scratch.path() + (again ? "\\" : "")), 0);
    EXPECT_TRUE(ErrorTexts(watcher).empty()) << ErrorTexts(watcher)[0];

    std::set<std::string> expectedRecords = {"DEF.LMV"};
    for (const char* file : kTreeFiles) {
      EXPECT_EQ(Read(scratch / file), TreeFile(Slashed(file))) << file;
      std::string record = file;
      std::replace(record.begin(), record.end(), '\\', '$');
      expectedRecords.insert(record);
    }
    EXPECT_EQ(Read(scratch / "EMPTY.DAT"), "");
    EXPECT_EQ(Read(scratch / "EXACT.BIN").size(), 2048u);
    EXPECT_EQ(Read(scratch / "ONEMORE.BIN").size(), 2049u);
    EXPECT_EQ(InstalledRecords(), expectedRecords);
    EXPECT_FALSE(FileExists(scratch / "DEF.LMV")) << "recorded, not created";
    EXPECT_EQ(std::string(MainProgramPath), scratch / "MAIN.EXE");
    EXPECT_EQ(ExtractionBusy, 0);
    EXPECT_EQ(BytesRead, ArchiveTotal + 4u * FileCount) << "every byte was read, data-length fields included";
  }
}

TEST_F(ExtractTest, AnEmptyArchiveRecordsOnlyTheDataFile) {
  FixtureModule fixture("empty");
  ScratchDir scratch("extract-empty");
  DialogWatcher watcher;
  EXPECT_EQ(Copy(&fixture, scratch.path()), 0);
  EXPECT_EQ(FileCount, 0);
  EXPECT_TRUE(ErrorTexts(watcher).empty());
  EXPECT_EQ(InstalledRecords(), std::set<std::string>{"DEF.LMV"});
  EXPECT_STREQ(MainProgramPath, "");
}

namespace {

// Every file below `directory` with its size and a digest of its bytes, and every
// directory (as "<dir>").
std::map<std::string, std::string> Tree(const std::string& directory, const std::string& prefix = "") {
  std::map<std::string, std::string> tree;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return tree;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      tree[prefix + name] = "<dir>";
      for (const auto& entry : Tree(directory + "\\" + name, prefix + name + "\\")) tree.insert(entry);
    } else {
      std::string bytes;
      ReadFileBytes(directory + "\\" + name, &bytes);
      tree[prefix + name] = std::to_string(bytes.size()) + " bytes, digest " + std::to_string(std::hash<std::string>()(bytes));
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return tree;
}

// OpenFile refusing its `FailingOpen`-th call from now on, as a full directory or a
// missing right would.
decltype(&OpenFile) RealOpenFile = nullptr;
int FailingOpen = 0;
HFILE WINAPI RefuseOneOpen(LPCSTR path, LPOFSTRUCT of, UINT mode) {
  return --FailingOpen == 0 ? HFILE_ERROR : RealOpenFile(path, of, mode);
}

// An earlier installation in `scratch`: two files the tree replaces, one of the
// user's, a directory, and their records.
void EarlierInstallation(const ScratchDir& scratch) {
  CreateDirectoryA((scratch / "ENGLISH").c_str(), nullptr);
  WriteFileBytes(scratch / "README.TXT", std::string(5000, 'x'));
  WriteFileBytes(scratch / "ENGLISH\\INDEX.HTM", "old");
  WriteFileBytes(scratch / "NOTES.TXT", "the user's");
  for (const char* record : {"README.TXT", "ENGLISH$INDEX.HTM", "DEF.LMV"}) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, (std::string("Lumivora\\installed\\") + record).c_str(), &key), 0);
    RegCloseKey(key);
  }
}

}  // namespace

// Whatever ends the copy, and at whichever entry, the folder and the records are as
// they were before: nothing of a fresh copy is left, and every file of an earlier
// installation is back with its earlier bytes.
TEST_F(ExtractTest, AFailedCopyIsTakenBackWhole) {
  std::vector<std::pair<std::string, int>> cases;  // the fixture, and the OpenFile call that fails (0: none)
  for (const char* damaged : {"no_parent", "cut_in_data", "bad_trailer", "extra_entry", "promises_more", "long_name",
                              "unterminated", "escape"}) {
    cases.push_back({damaged, 0});
  }
  for (int entry = 1; entry <= 8; ++entry) cases.push_back({"tree", entry});
  for (bool over : {false, true}) {
    for (const auto& [name, failing] : cases) {
      SCOPED_TRACE(name + " " + std::to_string(failing) + (over ? ", over an earlier one" : ""));
      DeleteProductKeys();
      FixtureModule fixture(name);
      ScratchDir scratch("extract-back-" + name);
      if (over) EarlierInstallation(scratch);
      const auto before = Tree(scratch.path());
      const auto recordsBefore = InstalledRecords();
      ImportPatch patch("kernel32.dll", "OpenFile", reinterpret_cast<void*>(&RefuseOneOpen));
      ASSERT_TRUE(patch.ok());
      RealOpenFile = reinterpret_cast<decltype(&OpenFile)>(patch.original());
      FailingOpen = failing;

      DialogWatcher watcher;
      EXPECT_EQ(Copy(&fixture, scratch.path()), -1);
      const auto boxes = ErrorTexts(watcher);
      ASSERT_EQ(boxes.size(), 1u);
      const bool creating = failing != 0 || name == "no_parent";  // else the payload is damaged
      EXPECT_EQ(boxes[0].substr(0, creating ? 31 : std::string::npos), creating ? "Error creating destination file" : kCorData);
      EXPECT_EQ(Tree(scratch.path()), before);
      EXPECT_EQ(InstalledRecords(), recordsBefore);
      EXPECT_EQ(KeyExists(HKEY_CLASSES_ROOT, "Lumivora"), over) << "a product key this run made goes too";
      EXPECT_EQ(ExtractionBusy, 1) << "the installation ends after a failed copy";
    }
  }
}

// A file that a program holds: one it runs from (a mapped image) is set aside and
// left to the restart, where it stays through two more runs (under the next name, never
// put back, also where MAIN.EXE is missing and the run fails); one it holds without letting it be renamed ends the copy with
// a box that says so, and the copy is taken back.
TEST_F(ExtractTest, AFileAProgramHoldsIsSetAsideOrNamed) {
  FixtureModule fixture("tree");
  ScratchDir scratch("extract-held");
  const std::string main = scratch / "MAIN.EXE";
  ASSERT_TRUE(CopyFileA(fixture.path().c_str(), main.c_str(), FALSE));
  HMODULE running = LoadLibraryA(main.c_str());
  ASSERT_NE(running, nullptr);
  ASSERT_FALSE(DeleteFileA(main.c_str())) << "an image in use cannot be deleted";
  const std::string aside = scratch / "~LMV0000.TMP";
  for (int run = 1; run <= 3; ++run) {
    SCOPED_TRACE(run);
    if (run == 3) DeleteFileA(main.c_str());
    ImportPatch patch("kernel32.dll", "OpenFile", reinterpret_cast<void*>(&RefuseOneOpen));
    RealOpenFile = reinterpret_cast<decltype(&OpenFile)>(patch.original());
    FailingOpen = run == 3 ? 2 : 0;
    DialogWatcher watcher;
    EXPECT_EQ(Copy(&fixture, scratch.path()), run == 3 ? -1 : 0);
    EXPECT_EQ(ErrorTexts(watcher).size(), run == 3 ? 1u : 0u);
    EXPECT_EQ(Read(main), run == 3 ? "<missing>" : TreeFile("MAIN.EXE"));
    EXPECT_TRUE(FileExists(aside)) << "still held";
    EXPECT_FALSE(FileExists(scratch / "~LMV0000.T01")) << "the second run's, held by none";
  }
  ExtractionBusy = 0;  // as in the next installer's process
  std::string pending;
  ReadNamedValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations",
                 &pending);
  EXPECT_NE(pending.find("~LMV0000.TMP"), std::string::npos) << "deleted at the next restart";
  EXPECT_EQ(InstalledRecords().count("~LMV0000.TMP"), 0u) << "its record goes with it";
  FreeLibrary(running);
  DeleteFileA(aside.c_str());  // as the restart would

  DeleteProductKeys();
  const auto before = Tree(scratch.path());
  HANDLE held = CreateFileA((scratch / "README.TXT").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DialogWatcher refused;
  EXPECT_EQ(Copy(&fixture, scratch.path()), -1);
  CloseHandle(held);
  EXPECT_EQ(ErrorTexts(refused), std::vector<std::string>{"The file " + (scratch / "README.TXT") +
                                                          " is in use by a program and cannot be replaced.\r\n\r\n"
                                                          "Please close that program and start the installation "
                                                          "again.\r\n\r\nInstallation aborted."});
  EXPECT_EQ(Tree(scratch.path()), before);
  EXPECT_TRUE(InstalledRecords().empty());
}

TEST_F(ExtractTest, APathLongerThanItsBufferIsRefusedNamingWhatFit) {
  FixtureModule fixture("tree");
  ScratchDir scratch("extract-long");
  std::string directory = scratch.path() + "\\" + std::string(255 - scratch.path().size(), 'd');
  DialogWatcher watcher;
  EXPECT_EQ(Copy(&fixture, directory), -1);
  std::string full = directory + "\\MAIN.EXE";
  ASSERT_GT(full.size(), 259u);
  EXPECT_EQ(ErrorTexts(watcher), std::vector<std::string>{
                                     "Error creating destination file, the target disk may be full. (-1)\r\n\r\n"
                                     "Filename=" + full.substr(0, 259) + "\r\n\r\nInstallation aborted."});
  EXPECT_FALSE(FileExists(full.substr(0, 259)));
  EXPECT_TRUE(InstalledRecords().empty());
}

namespace {

decltype(&GlobalAlloc) RealGlobalAlloc = nullptr;
HGLOBAL WINAPI RefuseCopyChunk(UINT flags, SIZE_T bytes) {
  return bytes == kCopyChunkSize ? nullptr : RealGlobalAlloc(flags, bytes);
}

decltype(&_hwrite) RealHwrite = nullptr;
long WINAPI FullDisk(HFILE file, LPCCH buffer, long count) {
  return count == 0 ? RealHwrite(file, buffer, count) : count / 2;
}

}  // namespace

TEST_F(ExtractTest, NoMemoryForTheCopyBufferAndAFullDiskEndTheCopy) {
  {
    FixtureModule fixture("tree");
    ScratchDir scratch("extract-nomem");
    CopyBounded(InstallDirectory, sizeof InstallDirectory, scratch.path().c_str());
    ASSERT_EQ(OpenPayload(), 0);  // before the patch: the reader's own buffer is taken
    ImportPatch patch("kernel32.dll", "GlobalAlloc", reinterpret_cast<void*>(&RefuseCopyChunk));
    ASSERT_TRUE(patch.ok());
    RealGlobalAlloc = reinterpret_cast<decltype(&GlobalAlloc)>(patch.original());
    DialogWatcher watcher;
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kCopyTemplate), nullptr, CopyDialogProc, 0),
              -1);
    EXPECT_EQ(ErrorTexts(watcher), std::vector<std::string>{"Not enough memory to complete installation."});
    EXPECT_FALSE(FileExists(scratch / "MAIN.EXE"));
  }
  {
    FixtureModule fixture("tree");
    ScratchDir scratch("extract-full");
    ImportPatch patch("kernel32.dll", "_hwrite", reinterpret_cast<void*>(&FullDisk));
    ASSERT_TRUE(patch.ok());
    RealHwrite = reinterpret_cast<decltype(&_hwrite)>(patch.original());
    DialogWatcher watcher;
    EXPECT_EQ(Copy(&fixture, scratch.path()), -1);
    EXPECT_EQ(ErrorTexts(watcher), std::vector<std::string>{
                                       "Error writing file, the target disk may be full.\r\n\r\nInstallation aborted."});
    EXPECT_FALSE(FileExists(scratch / "MAIN.EXE")) << "taken back";
    EXPECT_TRUE(InstalledRecords().empty());
  }
}

TEST_F(ExtractTest, ClosingBeforeTheFirstTimerCopiesNothing) {
  FixtureModule fixture("tree");
  ScratchDir scratch("extract-close");
  DialogWatcher watcher;
  watcher.onActivate = [](HWND window) {
    if (WindowText(window) == "Lumivora Installation") PostMessageA(window, WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(Copy(&fixture, scratch.path()), -1);
  EXPECT_FALSE(FileExists(scratch / "MAIN.EXE"));
  EXPECT_EQ(BytesRead, 0u);
  EXPECT_TRUE(ErrorTexts(watcher).empty());
}

TEST_F(ExtractTest, ATimerMessageDuringTheCopyStartsNothing) {
  FixtureModule fixture("tree");
  ScratchDir scratch("extract-busy");
  CopyBounded(InstallDirectory, sizeof InstallDirectory, scratch.path().c_str());
  ASSERT_EQ(OpenPayload(), 0);
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kCopyTemplate), nullptr, CopyDialogProc, 0);
  ASSERT_NE(dialog, nullptr);

  ExtractionBusy = 1;
  EXPECT_EQ(CopyDialogProc(dialog, WM_TIMER, 0, 0), TRUE);
  EXPECT_EQ(BytesRead, 0u) << "nothing read";
  EXPECT_FALSE(FileExists(scratch / "MAIN.EXE"));
  EXPECT_EQ(ExtractionBusy, 1);

  ExtractionBusy = 0;
  EXPECT_EQ(CopyDialogProc(dialog, WM_TIMER, 0, 0), TRUE);
  EXPECT_EQ(Read(scratch / "MAIN.EXE"), TreeFile("MAIN.EXE")) << "the same message copies once the flag is clear";
  EXPECT_EQ(ExtractionBusy, 0);
  DestroyWindow(dialog);
}

namespace {

// The colour of one pixel of control 101, black or white as the bar paints it.
COLORREF PixelOf(HWND dialog, int x, int y) {
  HWND bar = GetDlgItem(dialog, kProgressControl);
  HDC dc = GetDC(bar);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(bar, dc);
  return colour & 0xFFFFFF;
}

}  // namespace

TEST(CopyProgress, TheCopiedShareOfTheBarIsInverted) {
  ResetInstallerState();
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kCopyTemplate), nullptr,
                                   CopyDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  KillTimer(dialog, CopyTimerId);  // this test paints by itself
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  RECT rect;
  GetClientRect(GetDlgItem(dialog, kProgressControl), &rect);
  ASSERT_GT(rect.right, 40);
  const int left = 1, right = rect.right - 2, y = 1;  // the top row, clear of the text

  // All of it, then a quarter drawn over it: black at the left, white again at the
  // right, and the bar ends at the quarter mark. (What share is drawn, past the total
  // and for an empty archive, is ProgressArithmetic's, decided in the host tests.)
  BytesRead = 1000;
  ArchiveTotal = 1000;
  RedrawProgress(dialog);
  EXPECT_EQ(PixelOf(dialog, left, y), 0x000000u);
  EXPECT_EQ(PixelOf(dialog, right, y), 0x000000u);
  BytesRead = 250;
  ArchiveTotal = 1000;
  RedrawProgress(dialog);
  EXPECT_EQ(PixelOf(dialog, left, y), 0x000000u);
  EXPECT_EQ(PixelOf(dialog, right, y), 0xFFFFFFu);
  EXPECT_EQ(PixelOf(dialog, rect.right / 4 - 1, y), 0x000000u);
  EXPECT_EQ(PixelOf(dialog, rect.right / 4 + 1, y), 0xFFFFFFu);
  DestroyWindow(dialog);
}

// What the copy asks before it skips setting files aside: a folder this run created,
// also behind a later block of the journal, and nothing that merely begins like one.
TEST(InstallJournal, KnowsOnlyTheFoldersThisRunCreated) {
  ASSERT_EQ(OpenJournal(), 0);
  Remember(kJournalDirectory, "Q:\\NEW");
  Remember(kJournalAside, "Q:\\A\\~LMV0000.TMP", "Q:\\A");
  for (int i = 0; i < 1500; ++i) Remember(kJournalFile, ("Q:\\NEW\\FILE" + std::to_string(i) + ".DAT").c_str());
  const std::pair<const char*, bool> cases[] = {{"Q:\\NEW", true},   {"Q:\\NEW\\", true},     {"Q:\\NE", false},
                                                {"Q:\\NEW2", false}, {"Q:\\NEW\\\\", false}, {"Q:\\NEW\\FILE1.DAT", false},
                                                {"Q:\\A", false},    {"Q:\\", false}};
  for (const auto& [folder, created] : cases) EXPECT_EQ(JournalCreatedDirectory(folder), created) << folder;
  TakeBack();
}
