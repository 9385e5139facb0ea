#include "options/options_files.h"

#include <gtest/gtest.h>

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "options/installer_variables.h"
#include "test_support.h"

using namespace testing_support;

namespace {

class OptionsFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallerState();
    DeleteProductKeys();
    ASSERT_EQ(AllocateVariableList(), 0);
    CopyBounded(InstallerDirectory, sizeof InstallerDirectory, (dir_.path() + "\\").c_str());
    CopyBounded(InstallDirectory, sizeof InstallDirectory, dir_.path().c_str());
  }
  void TearDown() override {
    ReleaseVariableList();
    DeleteProductKeys();
  }
  std::string Ini() const { return dir_ / "lmvropt.ini"; }
  std::string Opt() const { return dir_ / "lmvr.opt"; }
  bool Recorded(const std::string& name) const {
    return KeyExists(HKEY_CLASSES_ROOT, "Lumivora\\installed\\" + name);
  }

  ScratchDir dir_{"options"};
};

int shortWrites = 0;
long WINAPI ShortHwrite(HFILE file, LPCCH buffer, long count) {
  ++shortWrites;
  // Write half, as a full disk would, and report it.
  DWORD written = 0;
  WriteFile(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file)), buffer, (DWORD)(count / 2), &written, nullptr);
  return (long)written;
}

}  // namespace

TEST_F(OptionsFilesTest, AReadOnlyOptionsFileStillSteersTheInstallation) {
  ASSERT_TRUE(WriteFileBytes(Ini(), "sSilent=1\n"));
  ASSERT_TRUE(SetFileAttributesA(Ini().c_str(), FILE_ATTRIBUTE_READONLY));
  LoadInstallerOptions();
  EXPECT_STREQ(FindVariable("sSilent"), "1");
}

TEST_F(OptionsFilesTest, AMissingOrEmptyFileLeavesTheListEmpty) {
  LoadInstallerOptions();
  EXPECT_EQ(VariableCount, 0);
  ASSERT_TRUE(WriteFileBytes(Ini(), ""));
  LoadInstallerOptions();
  EXPECT_EQ(VariableCount, 0);
  WriteOptionsFile();  // English, nothing to hand on: no file
  EXPECT_FALSE(FileExists(Opt()));
}

TEST_F(OptionsFilesTest, GermanWithoutOptionsFileHandsOnTheLanguageOnly) {
  LoadInstallerOptions();
  LanguageIndex = 1;
  AddLanguageVariable();
  CopyBounded(InstallDirectory, sizeof InstallDirectory, (dir_.path() + "\\").c_str());  // trailing separator
  WriteOptionsFile();
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(Opt(), &bytes));
  EXPECT_EQ(bytes, std::string("\x01\x00prefLanguage\00071\000", 18));
  EXPECT_TRUE(Recorded("lmvr.opt"));
}

TEST_F(OptionsFilesTest, AFailedWriteLeavesNoTruncatedFileAndNoRecord) {
  ASSERT_TRUE(WriteFileBytes(Ini(), "sSilent=1\nsAssoc=0\n"));
  LoadInstallerOptions();
  {
    ImportPatch patch("kernel32.dll", "_hwrite", reinterpret_cast<void*>(&ShortHwrite));
    ASSERT_TRUE(patch.ok());
    shortWrites = 0;
    WriteOptionsFile();
    EXPECT_GT(shortWrites, 0);
  }
  EXPECT_FALSE(FileExists(Opt()));
  EXPECT_FALSE(Recorded("lmvr.opt"));
  // A later installation writes it whole, over what a run cut short while writing
  // left under the passing name, and leaves nothing else behind.
  ASSERT_TRUE(WriteFileBytes(dir_ / "lmvr.new", std::string("\x02\x00sSil", 7)));
  WriteOptionsFile();
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(Opt(), &bytes));
  EXPECT_EQ(bytes.size(), 2u + 8 + 2 + 7 + 2);
  EXPECT_TRUE(Recorded("lmvr.opt"));
  EXPECT_FALSE(FileExists(dir_ / "lmvr.new"));
}

TEST_F(OptionsFilesTest, AnOverlongOptionsPathIsRefused) {
  std::string longDir(250, 'd');
  CopyBounded(InstallerDirectory, sizeof InstallerDirectory, ("C:\\" + longDir + "\\").c_str());
  LoadInstallerOptions();  // "lmvropt.ini" would not fit: nothing read, nothing overrun
  EXPECT_EQ(VariableCount, 0);
}
