// The records of installed files go through one key kept open for the whole copy.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/bounded_text.h"
#include "driver/installer_state.h"
#include "shell/class_keys.h"
#include "test_support.h"

using namespace testing_support;

namespace {

class InstalledKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallerState();
    DeleteProductKeys();
    CopyBounded(InstallDirectory, sizeof InstallDirectory, "C:\\Program Files\\Lumivora");
  }
  void TearDown() override { DeleteProductKeys(); }
};

std::vector<std::string> Records() {
  std::vector<std::string> names = SubkeyNames(HKEY_CLASSES_ROOT, "Lumivora\\installed");
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST_F(InstalledKeyTest, RecordsLandAfterTheProductKeyWasDeletedInBetween) {
  RecordInstalledFile("C:\\Program Files\\Lumivora\\FIRST.TXT");
  ASSERT_EQ(Records(), std::vector<std::string>{"FIRST.TXT"});
  DeleteProductKeys();
  RecordInstalledFile("C:\\Program Files\\Lumivora\\ENGLISH\\SECOND.HTM");
  RecordInstalledFile("C:\\Program Files\\Lumivora\\THIRD.TXT");
  EXPECT_EQ(Records(), (std::vector<std::string>{"ENGLISH$SECOND.HTM", "THIRD.TXT"}));
  std::string value = "<missing>";
  EXPECT_TRUE(ReadDefaultValue(HKEY_CLASSES_ROOT, "Lumivora\\installed\\THIRD.TXT", &value));
  EXPECT_EQ(value, "");
}
