#include "text/message_catalogue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/installer_state.h"
#include "text/licence_text.h"

namespace {

class MessageCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetInstallerState(); }
  void TearDown() override { ResetInstallerState(); }
};

TEST_F(MessageCatalogueTest, FindsEnglishTextsByExactKey) {
  EXPECT_STREQ(LookupMessage("err"), "Error");
  EXPECT_STREQ(LookupMessage("occupy"), "The installed files will occupy %ldK on your disk.");
  EXPECT_STREQ(LookupMessage("errDest2"), "Error writing file, the target disk may be full.\r\n\r\nInstallation aborted.");
  // A key that is a prefix of another, and one that extends another, find only
  // their own entries.
  EXPECT_STREQ(LookupMessage("license"), LMVR_LICENCE_BLOCK_1);
  EXPECT_STREQ(LookupMessage("license2"), LMVR_LICENCE_BLOCK_2);
  EXPECT_STREQ(LookupMessage("license3"), LMVR_LICENCE_BLOCK_3);
  EXPECT_STREQ(LookupMessage("errDest"),
               "Error creating destination file, the target disk may be full. (%d)\r\n\r\n"
               "Filename=%s\r\n\r\nInstallation aborted.");
}

TEST_F(MessageCatalogueTest, LanguageLetterIsNotPartOfTheKey) {
  // Entries are stored as "E" + key: neither the letter nor a case change matches.
  for (const char* key : {"Eerr", "E", "", "ERR", "Err", "er", "err "}) {
    EXPECT_EQ(LookupMessage(key), key) << "'" << key << "'";
  }
}

TEST_F(MessageCatalogueTest, MissingKeyComesBackAsItself) {
  const char* key = "sSilent";
  EXPECT_EQ(LookupMessage(key), key);  // the very pointer, so the caller shows the key
  LanguageIndex = 5;
  EXPECT_EQ(LookupMessage(key), key);
}

TEST_F(MessageCatalogueTest, EmptyLanguagesFallBackToEnglish) {
  const char* english = LookupMessage("winTit");
  EXPECT_STREQ(english, "Lumivora Install - Windows (32-bit)");
  for (int language = 1; language < kLanguageCount; ++language) {
    LanguageIndex = language;
    EXPECT_FALSE(LanguageHasMessages(language)) << language;
    EXPECT_EQ(LookupMessage("winTit"), english) << "language " << language;
  }
  EXPECT_TRUE(LanguageHasMessages(0));
  EXPECT_FALSE(LanguageHasMessages(-1));
  EXPECT_FALSE(LanguageHasMessages(kLanguageCount));
}

TEST_F(MessageCatalogueTest, EnglishTableHoldsTheFourteenEntriesInOrder) {
  const char* const expected[] = {"license", "license2", "license3", "corData", "err", "errDest", "errDest2",
                                  "winTit", "occupy", "badPath", "shellSupt", "dataNotFound", "noMem",
                                  "noCreatePath"};
  const char* const* table = MessageCatalogue[0];
  size_t n = 0;
  for (; table[n] != nullptr; ++n) {
    ASSERT_LT(n, sizeof expected / sizeof expected[0]);
    EXPECT_EQ(table[n][0], 'E');
    EXPECT_STREQ(table[n] + 1, expected[n]);
    EXPECT_EQ(LookupMessage(expected[n]), table[n] + 1 + std::strlen(table[n] + 1) + 1);
  }
  EXPECT_EQ(n, sizeof expected / sizeof expected[0]);
}

TEST_F(MessageCatalogueTest, LicenceBlocksEndWithParagraphsAndUseCrLf) {
  const std::string blocks[] = {LMVR_LICENCE_BLOCK_1, LMVR_LICENCE_BLOCK_2, LMVR_LICENCE_BLOCK_3};
  std::string joined;
  for (int i = 0; i < 3; ++i) {
    const std::string& b = blocks[i];
    joined += b;
    // The first two end with a blank line, so the next block starts a paragraph; the
    // last ends with the text.
    if (i < 2) {
      ASSERT_GE(b.size(), 4u);
      EXPECT_EQ(b.substr(b.size() - 4), "\r\n\r\n") << "block " << i + 1;
    } else {
      EXPECT_NE(b.back(), '\n');
      EXPECT_EQ(b.back(), '.');
    }
  }
  for (size_t i = 0; i < joined.size(); ++i) {
    if (joined[i] == '\n') {
      EXPECT_TRUE(i > 0 && joined[i - 1] == '\r') << "bare LF at " << i;
    }
    if (joined[i] == '\r') {
      EXPECT_TRUE(i + 1 < joined.size() && joined[i + 1] == '\n') << "bare CR at " << i;
    }
    EXPECT_TRUE(static_cast<unsigned char>(joined[i]) < 0x80) << "non-ASCII at " << i;
  }
  EXPECT_GT(joined.size(), 4000u);
  EXPECT_LT(joined.size(), 5000u);
  EXPECT_EQ(joined.find("\r\n\r\n\r\n"), std::string::npos) << "an empty paragraph where blocks meet";
}

}  // namespace
