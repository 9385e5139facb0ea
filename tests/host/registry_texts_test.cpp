#include "shell/registry_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "uninstall/uninstall_command.h"

TEST(RegistryTexts, AValueThatDoesNotFitIsReportedAndStaysInItsBuffer) {
  char out[260 + 8];
  std::string path(257, 'p');  // with ",0" and the NUL exactly 260 bytes
  std::memset(out, '#', sizeof out);
  ASSERT_EQ(ComposeProgramValue(out, 260, path.c_str(), kDefaultIconSuffix), 0);
  EXPECT_EQ(std::string(out), path + ",0");

  std::memset(out, '#', sizeof out);
  EXPECT_EQ(ComposeProgramValue(out, 260, path.c_str(), kUninstallArguments), -1);
  EXPECT_EQ(out[259], '\0');
  EXPECT_EQ(out[260], '#');
}

TEST(RegistryTexts, TheInstallLocationLosesItsClosingSeparatorButADrivesRootKeepsIt) {
  const char* cases[][2] = {{"C:\\Program Files\\Lumivora\\", "C:\\Program Files\\Lumivora"},
                            {"C:\\Lumivora/", "C:\\Lumivora"}, {"C:\\Lumivora", "C:\\Lumivora"},
                            {"C:\\", "C:\\"}, {"C:", "C:"}, {"", ""}};
  for (const auto& c : cases) {
    char directory[32];
    std::strcpy(directory, c[0]);
    CutDirectoryEnd(directory);
    EXPECT_STREQ(directory, c[1]) << c[0];
  }
  EXPECT_EQ(EstimatedSizeKilobytes(0), 0u);
  EXPECT_EQ(EstimatedSizeKilobytes(1025), 2u);
  EXPECT_EQ(EstimatedSizeKilobytes(0x7FFFFFFF), 0x200000u);
}

TEST(RegistryTexts, TheUninstallKitTakesBothUninstallCommandsAsTheyAreWritten) {
  char command[260];
  ASSERT_EQ(ComposeProgramValue(command, sizeof command, "C:\\Program Files\\Lumivora\\LUMIVORA.EXE",
                                kQuietUninstallArguments), 0);
  EXPECT_EQ(UninstallModeOf(command), kUninstallSilent) << command;
  ASSERT_EQ(ComposeProgramValue(command, sizeof command, "C:\\Program Files\\Lumivora\\LUMIVORA.EXE",
                                kUninstallArguments), 0);
  EXPECT_EQ(UninstallModeOf(command), kUninstallAsk) << command;
}

TEST(RegistryTexts, UninstallCommandsAreQuotedAndReadBackInEitherForm) {
  const char* program = "C:\\Program Files\\Lumivora\\LUMIVORA.EXE";
  char command[260];
  ASSERT_EQ(ComposeUninstallCommand(command, sizeof command, program, kQuietUninstallArguments), 0);
  EXPECT_STREQ(command, "\"C:\\Program Files\\Lumivora\\LUMIVORA.EXE\" . -u -silent");
  EXPECT_EQ(UninstallModeOf(command), kUninstallSilent);
  ASSERT_EQ(ComposeUninstallCommand(command, sizeof command, program, kUninstallArguments), 0);
  EXPECT_EQ(UninstallModeOf(command), kUninstallAsk);
  // The program, from this entry and from one an earlier version wrote unquoted.
  EXPECT_EQ(ProgramOfRegistryValue(command, kUninstallArguments), 0);
  EXPECT_STREQ(command, program);
  std::string earlier = std::string(program) + kUninstallArguments;
  std::strcpy(command, earlier.c_str());
  EXPECT_EQ(ProgramOfRegistryValue(command, kUninstallArguments), 0);
  EXPECT_STREQ(command, program);
  std::strcpy(command, "\"C:\\x.exe\" . -u -silent");
  EXPECT_EQ(ProgramOfRegistryValue(command, kUninstallArguments), -1);
  EXPECT_EQ(ComposeUninstallCommand(command, 12, program, kUninstallArguments), -1);
}
