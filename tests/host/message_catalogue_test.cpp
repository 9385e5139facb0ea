#include "text/message_catalogue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/installer_state.h"
#include "text/licence_text.h"

using namespace std::string_literals;

namespace {

class MessageCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetInstallerState(); }
  void TearDown() override {
    ResetInstallerState();
    ClearMessageTables();
  }
};

// A message table resource as lmvrpack writes it: rule, 0, value (little-endian),
// the entries, the closing NUL.
std::string Table(int rule, int value, const std::vector<std::string>& entries) {
  std::string data = {static_cast<char>(rule), 0, static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
  for (const std::string& entry : entries) data += entry + '\0';
  return data + '\0';
}

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
    EXPECT_EQ(MessageCatalogue[language][0], nullptr) << language;
    EXPECT_EQ(LookupMessage("winTit"), english) << "language " << language;
  }
}

TEST_F(MessageCatalogueTest, FilledTablesPointIntoTheResourceAndFallBackToEnglish) {
  std::string french = Table(kChosenByLanguage, 0x0C, {"Ferr\0Erreur"s, "FwinTit\0Installation"s});
  FillMessageTable(2, french.data(), french.size());
  LanguageIndex = 2;
  EXPECT_EQ(LookupMessage("err"), french.data() + 4 + 5);  // no copy
  EXPECT_STREQ(LookupMessage("winTit"), "Installation");
  EXPECT_STREQ(LookupMessage("noMem"), "Not enough memory to complete installation.");

  // A vendor's English licence (table 400) stands before the compiled block for every
  // language without its own; every other key stays the compiled English.
  std::string vendor = Table(kChosenNever, 0, {"Elicense\0Our terms."s});
  FillMessageTable(0, vendor.data(), vendor.size());
  for (int language : {0, 2, 4}) {
    LanguageIndex = language;
    EXPECT_STREQ(LookupMessage("license"), "Our terms.") << language;
    EXPECT_STREQ(LookupMessage("license2"), LMVR_LICENCE_BLOCK_2) << language;
  }
}

TEST_F(MessageCatalogueTest, FillingStopsAtThirtyTwoEntriesAndAtAnEntryCutShort) {
  std::vector<std::string> many;
  for (int i = 0; i < 40; ++i) many.push_back("Sk" + std::to_string(i) + '\0' + "t" + std::to_string(i));
  std::string table = Table(kChosenNever, 0, many);
  FillMessageTable(3, table.data(), table.size());
  LanguageIndex = 3;
  EXPECT_STREQ(LookupMessage("k31"), "t31");
  EXPECT_STREQ(LookupMessage("k32"), "k32");

  // The resource ends inside the second entry's text: only the first is taken, and
  // nothing is read past the end.
  std::string cut = Table(kChosenNever, 0, {"Ierr\0Errore"s, "InoMem\0Memoria"s});
  auto bytes = std::make_unique<char[]>(cut.size() - 2);
  std::memcpy(bytes.get(), cut.data(), cut.size() - 2);
  FillMessageTable(4, bytes.get(), cut.size() - 2);
  LanguageIndex = 4;
  EXPECT_STREQ(LookupMessage("err"), "Errore");
  EXPECT_STREQ(LookupMessage("noMem"), "Not enough memory to complete installation.");
}

TEST_F(MessageCatalogueTest, UsersSettingsChooseTheLowestLanguageWhoseTableAsks) {
  const std::string tables[] = {Table(kChosenByCountry, 49, {}), Table(kChosenByLanguage, 0x0C, {}),
                                Table(kChosenNever, 0, {}), Table(kChosenByLanguage, 0x07, {})};
  EXPECT_EQ(LanguageForUser("49", "0407"), -1);  // no table yet
  for (int i = 0; i < 4; ++i) FillMessageTable(i + 1, tables[i].data(), tables[i].size());
  struct Case {
    const char* country;
    const char* language;
    int chosen;
  } cases[] = {
      {"49", "0409", 1},  {"49", "040C", 1},  {"1", "040C", 2},   {"2", "0c0c", 2},  {"41", "0807", 4},
      {"1", "0409", -1},  {"490", "0409", -1}, {"4", "0409", -1}, {nullptr, "040c", 2}, {"33", nullptr, -1},
      {"33", "", -1},     {"33", "04x0C", -1}, {"", "0407", 4},    {"1048625", "0409", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LanguageForUser(c.country, c.language), c.chosen)
        << (c.country ? c.country : "(none)") << " " << (c.language ? c.language : "(none)");
  }
}

TEST_F(MessageCatalogueTest, EnglishTableHoldsItsEntriesInOrder) {
  const char* const expected[] = {"license", "license2", "license3", "corData", "err", "errDest", "errDest2",
                                  "winTit", "occupy", "badPath", "shellSupt", "dataNotFound", "noMem",
                                  "noCreatePath", "noRoom", "errHeld", "busy"};
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
