#include "payload/archive_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

TEST(ArchiveFormat, TheMinimalArchiveIsTwentyBytes) {
  std::vector<unsigned char> archive(kArchiveHeaderSize);
  uint32_t total = 0;
  ASSERT_EQ(AddEntryToArchiveTotal(&total, 6, 3), 0);
  EncodeArchiveHeader(archive.data(), 1, total);
  unsigned char entry[64];
  size_t size = EncodeEntryHeader(entry, sizeof entry, "A.TXT", 3);
  archive.insert(archive.end(), entry, entry + size);
  archive.insert(archive.end(), {'a', 'b', 'c'});
  const std::vector<unsigned char> expected = {0x01, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x06, 'A', '.', 'T',
                                               'X',  'T',  0x00, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'};
  EXPECT_EQ(archive, expected);

  uint16_t count = 0;
  uint32_t decodedTotal = 0;
  DecodeArchiveHeader(archive.data(), &count, &decodedTotal);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(decodedTotal, 10u);
}

TEST(ArchiveFormat, EntryHeadersTakeNamesOfOneTo51Bytes) {
  unsigned char entry[64];
  std::string longest(51, 'N');
  EXPECT_EQ(EncodeEntryHeader(entry, sizeof entry, longest.c_str(), 0x01020304), 57u);
  EXPECT_EQ(entry[0], 52);
  EXPECT_EQ(entry[52], 0);
  EXPECT_EQ(ReadLittleEndian32(entry + 53), 0x01020304u);
  EXPECT_EQ(EncodeEntryHeader(entry, sizeof entry, std::string(52, 'N').c_str(), 1), 0u);
  EXPECT_EQ(EncodeEntryHeader(entry, sizeof entry, "", 1), 0u);
  EXPECT_EQ(EncodeEntryHeader(entry, 8, "A.TXT", 1), 0u) << "header must fit the buffer";
}

TEST(ArchiveFormat, NameFieldsThatTheInstallerRefuses) {
  EXPECT_FALSE(EntryNameFieldValid(0));
  EXPECT_FALSE(EntryNameFieldValid(1));  // a NUL alone names nothing
  EXPECT_TRUE(EntryNameFieldValid(2));
  EXPECT_TRUE(EntryNameFieldValid(52));
  EXPECT_FALSE(EntryNameFieldValid(53));  // would overrun the 52-byte name buffer
  EXPECT_FALSE(EntryNameFieldValid(255));

  EXPECT_TRUE(EntryNameTerminated("AB", 3));
  EXPECT_FALSE(EntryNameTerminated("ABC", 3)) << "the Nth byte must be the NUL";
  EXPECT_FALSE(EntryNameTerminated("A\0B", 4)) << "a NUL inside the name";

  EXPECT_TRUE(EntryDataLengthValid(0x7FFFFFFF));
  EXPECT_FALSE(EntryDataLengthValid(0x80000000));
}

TEST(ArchiveFormat, ArchiveTotalStaysBelowTwoToThe31) {
  uint32_t total = 0x7FFFFFF0;
  EXPECT_EQ(AddEntryToArchiveTotal(&total, 2, 12), 0);  // 1 + 2 + 12 = 15
  EXPECT_EQ(total, 0x7FFFFFFFu);
  EXPECT_EQ(AddEntryToArchiveTotal(&total, 2, 0), -1);
  EXPECT_EQ(total, 0x7FFFFFFFu) << "unchanged after a refusal";
  uint32_t big = 0;
  EXPECT_EQ(AddEntryToArchiveTotal(&big, 52, 0xFFFFFFFF), -1) << "no wrap of 32 bits";
}

TEST(ArchiveFormat, ThePayloadLengthMustFitTheResource) {
  const unsigned char resource[] = {5, 0, 0, 0, 0x78, 0xDA, 1, 2, 3};
  uint32_t length = 99;
  EXPECT_EQ(DecodePayloadLength(resource, sizeof resource, &length), 0);
  EXPECT_EQ(length, 5u);
  EXPECT_EQ(DecodePayloadLength(resource, sizeof resource - 1, &length), -1) << "one byte short";
  EXPECT_EQ(DecodePayloadLength(resource, 3, &length), -1) << "no room for the length field";
  const unsigned char huge[] = {0xFF, 0xFF, 0xFF, 0xFF, 0};
  EXPECT_EQ(DecodePayloadLength(huge, sizeof huge, &length), -1);
  const unsigned char empty[] = {0, 0, 0, 0};
  EXPECT_EQ(DecodePayloadLength(empty, sizeof empty, &length), 0);
  EXPECT_EQ(length, 0u);
}

TEST(ArchiveFormat, NamesGivePathsBelowTheInstallDirectory) {
  char target[260];
  char directory[260];
  ASSERT_EQ(EntryTargetPaths("C:\\Program Files\\Lumivora", "README.TXT", target, sizeof target, directory,
                             sizeof directory),
            0);
  EXPECT_STREQ(target, "C:\\Program Files\\Lumivora\\README.TXT");
  EXPECT_STREQ(directory, "");

  ASSERT_EQ(EntryTargetPaths("D:\\", "README.TXT", target, sizeof target, directory, sizeof directory), 0);
  EXPECT_STREQ(target, "D:\\README.TXT") << "no doubled separator";

  ASSERT_EQ(EntryTargetPaths("C:\\Program Files\\Lumivora", "EYE_8!ENGLISH\\IMAGES", target, sizeof target,
                             directory, sizeof directory),
            0);
  EXPECT_STREQ(directory, "C:\\Program Files\\Lumivora\\ENGLISH\\IMAGES");
  EXPECT_STREQ(target, "C:\\Program Files\\Lumivora\\ENGLISH\\IMAGES\\EYE_8");

  ASSERT_EQ(EntryTargetPaths("E:", "ADJUST.HTM!ENGLISH", target, sizeof target, directory, sizeof directory), 0);
  EXPECT_STREQ(target, "E:ENGLISH\\ADJUST.HTM");

  char relative[64];
  ASSERT_EQ(EntryRelativePath("EYE_8!ENGLISH\\IMAGES", relative, sizeof relative), 0);
  EXPECT_STREQ(relative, "ENGLISH\\IMAGES\\EYE_8");
  ASSERT_EQ(EntryRelativePath("README.TXT", relative, sizeof relative), 0);
  EXPECT_STREQ(relative, "README.TXT");
}

TEST(ArchiveFormat, PathsThatDoNotFitAreRefusedNotOverrun) {
  std::string directoryName(240, 'd');
  std::string install = "C:\\" + directoryName;  // 243 characters
  char target[260 + 8];
  char directory[260 + 8];
  std::memset(target, '#', sizeof target);
  std::memset(directory, '#', sizeof directory);
  EXPECT_EQ(EntryTargetPaths(install.c_str(), "A_LONG_FILE_NAME.TXT", target, 260, directory, 260), -1);
  EXPECT_EQ(std::strlen(target), 259u) << "the cut path, for the message";
  EXPECT_EQ(target[260], '#');
  EXPECT_EQ(EntryTargetPaths(install.c_str(), "F!SUBDIRECTORY_NAME_LONG", target, 260, directory, 260), -1);
  EXPECT_EQ(directory[260], '#');
  EXPECT_EQ(target[260], '#');
  EXPECT_EQ(std::strlen(target), 259u);
  // Exactly 259 characters still fit.
  std::string fits(259 - install.size() - 1, 'f');
  EXPECT_EQ(EntryTargetPaths(install.c_str(), fits.c_str(), target, 260, directory, 260), 0);
  EXPECT_EQ(std::strlen(target), 259u);

  char relative[8];
  EXPECT_EQ(EntryRelativePath("LONGNAME!DIR", relative, sizeof relative), -1);
}

TEST(ArchiveFormat, TheInstallerRefusesNamesThatLeaveTheInstallDirectory) {
  for (const char* safe : {"README.TXT", "A!ENGLISH", "EYE_8!ENGLISH\\IMAGES", "..A", "A..!B..", "x y"}) {
    EXPECT_TRUE(EntryNameIsSafe(safe)) << safe;
  }
  for (const char* unsafe : {"..", ".", "A!..", "A!ENGLISH\\..\\..", "A!\\WINDOWS", "A!", "!ENGLISH", "C:X",
                             "A!C:\\WINDOWS", "..\\X", "A!B\\\\C", "A!B/../C", "A/../../X"}) {
    EXPECT_FALSE(EntryNameIsSafe(unsafe)) << unsafe;
  }
}

TEST(ArchiveFormat, TheVendorsNamesFollowWindowsRules) {
  struct Case {
    const char* name;
    EntryNameProblem problem;
  };
  const Case cases[] = {
      {"README.TXT", kEntryNameOk},
      {"A!ENGLISH\\IMAGES", kEntryNameOk},
      {"read me.txt", kEntryNameOk},
      {"CONSOLE.TXT", kEntryNameOk},
      {"COM0", kEntryNameOk},
      {"", kEntryNameEmpty},
      {"A!ENGLISH\\\\IMAGES", kEntryNameEmpty},
      {"A!", kEntryNameEmpty},
      {"A!B!C", kEntryNameExclamation},
      {"WHAT?.TXT", kEntryNameForbidden},
      {"A<B", kEntryNameForbidden},
      {"A!B/C", kEntryNameForbidden},
      {"A:B", kEntryNameForbidden},
      {"A|B", kEntryNameForbidden},
      {"A\"B", kEntryNameForbidden},
      {"A*", kEntryNameForbidden},
      {"TAB\tNAME", kEntryNameNotPrintable},
      {"CAF\xC9.TXT", kEntryNameNotPrintable},
      {"DEL\x7F", kEntryNameNotPrintable},
      {"NAME.", kEntryNameDotOrSpaceEnd},
      {"NAME ", kEntryNameDotOrSpaceEnd},
      {"A!DIR.", kEntryNameDotOrSpaceEnd},
      {"CON", kEntryNameDevice},
      {"nul.txt", kEntryNameDevice},
      {"A!Lpt9", kEntryNameDevice},
      {"A!..", kEntryNameDotLevel},
      {"A!B\\.\\C", kEntryNameDotLevel},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckEntryName(c.name), c.problem) << "\"" << c.name << "\"";
  EXPECT_EQ(CheckEntryName(std::string(51, 'x').c_str()), kEntryNameOk);
  EXPECT_EQ(CheckEntryName(std::string(52, 'x').c_str()), kEntryNameTooLong);
}
