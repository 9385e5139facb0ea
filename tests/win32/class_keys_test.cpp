#include "shell/class_keys.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "test_support.h"

using namespace testing_support;

namespace {

class ClassKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallerState();
    DeleteProductKeys();
  }
  void TearDown() override { DeleteProductKeys(); }
};

}  // namespace

TEST_F(ClassKeysTest, LengthZeroDeletesTheKey) {
  SetClassesValue("Lumivora\\gone", "x", 2);
  EXPECT_EQ(SetClassesValue("Lumivora\\gone", nullptr, 0), 0);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumivora\\gone"));
  EXPECT_EQ(SetClassesValue("Lumivora\\gone", nullptr, 0), -1);
  EXPECT_EQ(ClassesDefault("Lumivora"), "Lumivora");  // the product key is kept even then
}

TEST_F(ClassKeysTest, QueryReadsDefaultValuesAndLeavesTheBufferAloneForMissingKeys) {
  SetClassesValue("Lumivora\\a", "text", 5);
  char buffer[260];
  EXPECT_EQ(QueryClassesValue("Lumivora\\a", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "text");
  std::strcpy(buffer, "untouched");
  EXPECT_EQ(QueryClassesValue("Lumivora\\missing", buffer, sizeof buffer), -1);
  EXPECT_STREQ(buffer, "untouched");
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Lumivora\\novalue", &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(QueryClassesValue("Lumivora\\novalue", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
}

TEST_F(ClassKeysTest, ALongValueIsCutToTheBuffer) {
  std::string longValue(300, 'v');
  SetClassesValue("Lumivora\\long", longValue.c_str(), longValue.size() + 1);
  char buffer[16 + 8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(QueryClassesValue("Lumivora\\long", buffer, 16), 0);
  EXPECT_EQ(std::string(buffer), std::string(15, 'v'));
  EXPECT_EQ(buffer[16], '#');
}

TEST_F(ClassKeysTest, KeyNamesThatDoNotFitAreRefused) {
  std::string longKey = "Lumivora\\" + std::string(200, 'k');
  EXPECT_EQ(SetClassesValue(longKey.c_str(), "x", 2), -1);
  char buffer[8] = "same";
  EXPECT_EQ(QueryClassesValue(longKey.c_str(), buffer, sizeof buffer), -1);
  EXPECT_STREQ(buffer, "same");
}

// The records go through one key kept open for the whole copy; deleted in between
// (by another program, say), it is opened anew.
TEST_F(ClassKeysTest, RecordsLandAfterTheProductKeyWasDeletedInBetween) {
  CopyBounded(InstallDirectory, sizeof InstallDirectory, "C:\\Program Files\\Lumivora");
  RecordInstalledFile("C:\\Program Files\\Lumivora\\FIRST.TXT");
  ASSERT_EQ(InstalledRecords(), std::set<std::string>{"FIRST.TXT"});
  DeleteProductKeys();
  RecordInstalledFile("C:\\Program Files\\Lumivora\\ENGLISH\\SECOND.HTM");
  RecordInstalledFile("C:\\Program Files\\Lumivora\\THIRD.TXT");
  EXPECT_EQ(InstalledRecords(), (std::set<std::string>{"ENGLISH$SECOND.HTM", "THIRD.TXT"}));
  EXPECT_EQ(ClassesDefault("Lumivora\\installed\\THIRD.TXT"), "");
}
