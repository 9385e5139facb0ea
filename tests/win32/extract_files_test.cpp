// The copy dialog (template 220 of the test program) extracting fixture payloads
// into a scratch directory: the files on disk, their records, MainProgramPath, and
// every failure with its box and dialog result.
#include "payload/file_extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "dialogs/dialog_loader.h"
#include "payload/payload_reader.h"
#include "payload/payload_state.h"
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
    if (OpenPayload() != 0) return -99;
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

TEST_F(ExtractTest, FailuresShowTheirBoxEndTheCopyAndKeepWhatWasWritten) {
  struct Case {
    const char* fixture;
    std::string box;  // "" for the errDest text built below
    std::vector<std::pair<std::string, std::string>> files;  // written before the failure
    std::vector<std::string> absent;
  };
  const std::vector<Case> cases = {
      // The parent of MISSING\SUB was never created.
      {"no_parent", "", {{"A.TXT", "first file"}}, {"MISSING", "MISSING\\SUB\\F.TXT"}},
      // The stream ends inside the data of CUT.BIN: its first piece stays.
      {"cut_in_data", kCorData, {{"A.TXT", "first file"}}, {}},
      // Every file could be written, but the Adler-32 check does not match.
      {"bad_trailer", kCorData, {{"A.TXT", "first file"}, {"SUB\\B.TXT", "second file"}}, {}},
      // The header promises one entry; a second one follows it.
      {"extra_entry", kCorData, {{"A.TXT", "first file"}}, {"SUB"}},
      // The header promises three entries; the stream holds two.
      {"promises_more", kCorData, {{"A.TXT", "first file"}, {"SUB\\B.TXT", "second file"}}, {}},
      // A name length of 60 would overrun the 52-byte name buffer.
      {"long_name", kCorData, {}, {}},
      // The name's last byte is no NUL.
      {"unterminated", kCorData, {}, {"ABCDEF"}},
      // "EVIL.TXT!..\.." would lead out of the install directory.
      {"escape", kCorData, {{"A.TXT", "first file"}}, {"..\\..\\EVIL.TXT", "..\\EVIL.TXT"}},
  };
  for (const Case& c : cases) {
    DeleteProductKeys();
    FixtureModule fixture(c.fixture);
    ScratchDir scratch(std::string("extract-") + c.fixture);
    DialogWatcher watcher;
    EXPECT_EQ(Copy(&fixture, scratch.path()), -1) << c.fixture;
    std::string box = c.box;
    if (box.empty()) {
      box = "Error creating destination file, the target disk may be full. (-1)\r\n\r\nFilename=" +
            (scratch / "MISSING\\SUB\\F.TXT") + "\r\n\r\nInstallation aborted.";
    }
    EXPECT_EQ(ErrorTexts(watcher), std::vector<std::string>{box}) << c.fixture;
    std::set<std::string> records;
    for (const auto& [path, bytes] : c.files) {
      EXPECT_EQ(Read(scratch / path), bytes) << c.fixture << ": " << path;
      std::string record = path;
      std::replace(record.begin(), record.end(), '\\', '$');
      records.insert(record);
    }
    for (const std::string& path : c.absent) {
      EXPECT_FALSE(FileExists(scratch / path) || DirectoryExists(scratch / path)) << c.fixture << ": " << path;
    }
    if (std::string(c.fixture) == "cut_in_data") {
      // The first 2,048-byte piece was read in full before the stream ended; its data
      // follows the header (6), A.TXT's entry (21) and CUT.BIN's header (13).
      EXPECT_EQ(Read(scratch / "CUT.BIN"), fixture.Archive().substr(40, 2048));
      records.insert("CUT.BIN");
    }
    EXPECT_EQ(InstalledRecords(), records) << c.fixture << ": the records of what was created, and no DEF.LMV";
    std::string expectedMain = c.files.empty() ? "" : scratch / c.files[0].first;
    EXPECT_EQ(std::string(MainProgramPath), expectedMain) << c.fixture << ": kept after the failure";
    EXPECT_EQ(ExtractionBusy, 1) << c.fixture << ": the installation ends after a failed copy";
  }
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
    EXPECT_TRUE(FileExists(scratch / "MAIN.EXE")) << "created and recorded before its data";
    EXPECT_EQ(InstalledRecords(), std::set<std::string>{"MAIN.EXE"});
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
