#include "driver/startup.h"

#include <gtest/gtest.h>

#include "driver/installer_state.h"
#include "options/installer_variables.h"
#include "options/options_files.h"
#include "test_support.h"

TEST(Startup, PreparesTheStateForTheInstallSequence) {
  ResetInstallerState();
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string expected(self);
  expected.resize(expected.find_last_of("\\/") + 1);

  ASSERT_EQ(StartInstaller(GetModuleHandleA(nullptr), "-noautorun -language=G"), 0);
  EXPECT_EQ(InstallerInstance, GetModuleHandleA(nullptr));
  EXPECT_EQ(std::string(InstallerDirectory), expected);
  EXPECT_FALSE(AutoRun);
  EXPECT_EQ(LanguageIndex, 1);
  EXPECT_TRUE(LanguageChosen);
  EXPECT_EQ(VariableCount, 0);
  ASSERT_NE(VariableNames, nullptr);
  ASSERT_NE(VariableValues, nullptr);
  EXPECT_EQ(GlobalSize(GlobalHandle(VariableNames)), 2000u);
  ReleaseVariableList();
}
