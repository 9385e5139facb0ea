#include "options/installer_variables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/installer_state.h"

namespace {

// Host stand-in for the installer's storage: the same list, parsed from text the way
// the installer does, with the strings owned by the fixture.
class VariablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallerState();
    AttachVariableStorage(names_, values_);
  }
  void TearDown() override { DetachVariableStorage(); }

  void Load(const std::string& text) {
    size_t position = 0;
    OptionsLine line;
    while (NextOptionsLine(text.data(), text.size(), &position, &line)) {
      if (!line.usable) continue;
      strings_.push_back(text.substr(line.nameStart, line.nameLength));
      strings_.push_back(text.substr(line.valueStart, line.valueLength));
    }
    // Pointers are taken once the strings have stopped moving.
    for (size_t i = appended_; i + 1 < strings_.size(); i += 2) {
      if (AppendVariable(&strings_[i][0], &strings_[i + 1][0]) != 0) break;
    }
    appended_ = strings_.size();
  }

  std::vector<std::pair<std::string, std::string>> List() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < VariableCount; ++i) out.emplace_back(VariableNames[i], VariableValues[i]);
    return out;
  }

  std::string Serialised() const {
    std::string bytes(OptionsFileSize(), '\0');
    size_t n = SerialiseOptions(reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size());
    bytes.resize(n);
    return bytes;
  }

  char* names_[kVariableCapacity];
  char* values_[kVariableCapacity];
  std::vector<std::string> strings_ = std::vector<std::string>();
  size_t appended_ = 0;

 public:
  VariablesTest() { strings_.reserve(4 * kVariableCapacity); }
};

using Pairs = std::vector<std::pair<std::string, std::string>>;

}  // namespace

TEST_F(VariablesTest, ParsesNamesAndValuesByteForByte) {
  Load("sSilent = 1\r\n   sAssoc=0\na=b=c\nsAssoc junk=0\n\tsDefPathNT=C:\\A B \r\nlast=x");
  EXPECT_EQ(List(), (Pairs{{"sSilent", " 1"}, {"sAssoc", "0"}, {"a", "b=c"}, {"sAssoc", "0"},
                           {"sDefPathNT", "C:\\A B "}, {"last", "x"}}));
  EXPECT_STREQ(FindVariable("sAssoc"), "0");
  EXPECT_EQ(FindVariable("sassoc"), nullptr);
  EXPECT_EQ(FindVariable("sAsso"), nullptr);
}

TEST_F(VariablesTest, DropsLinesWithoutNameOrValue) {
  Load("=1\n  =2\nsSilent=\n[Setup]\nprefRelativeSelPaths=1\nPrefRelativeSelPaths=2\n;x=1\nnoequals\n");
  EXPECT_EQ(List(), (Pairs{{"PrefRelativeSelPaths", "2"}, {";x", "1"}}));
}

TEST_F(VariablesTest, LineEndsOfEveryKindAndAnEmptyValueAtTheEnd) {
  Load("a=1\rb=2\n\n\r\nc=3\r\n\r\nd=");
  EXPECT_EQ(List(), (Pairs{{"a", "1"}, {"b", "2"}, {"c", "3"}}));
}

TEST_F(VariablesTest, FirstOfTwoEqualNamesIsFoundBothAreKept) {
  Load("sDefPathNT=C:\\One\nsDefPathNT=C:\\Two\n");
  EXPECT_STREQ(FindVariable("sDefPathNT"), "C:\\One");
  EXPECT_EQ(VariableCount, 2);
}

TEST_F(VariablesTest, ParserReadsOnlyTheBytesItIsGiven) {
  // No terminator after the text: the sanitizer flags a read past it.
  const char raw[] = {'a', '=', 'b', '\n', 'c', '=', 'd'};
  std::vector<char> heap(raw, raw + sizeof raw);
  size_t position = 0;
  OptionsLine line;
  int usable = 0;
  while (NextOptionsLine(heap.data(), heap.size(), &position, &line)) usable += line.usable;
  EXPECT_EQ(usable, 2);
  EXPECT_EQ(line.valueLength, 1u);
}

TEST_F(VariablesTest, TheListNeverGrowsPast500) {
  std::string text;
  for (int i = 0; i < 520; ++i) text += "v" + std::to_string(i) + "=x\n";
  Load(text);
  EXPECT_EQ(VariableCount, 500);
  EXPECT_STREQ(VariableNames[499], "v499");
  LanguageIndex = 1;
  AddLanguageVariable();
  EXPECT_EQ(VariableCount, 500);
  EXPECT_EQ(FindVariable("prefLanguage"), nullptr);
}

TEST_F(VariablesTest, LanguageVariableIsTheLettersCharacterCode) {
  const char* expected[] = {nullptr, "71", "70", "83", "73", "80", "68"};
  for (int language = 0; language < 7; ++language) {
    AttachVariableStorage(names_, values_);
    LanguageIndex = language;
    AddLanguageVariable();
    if (expected[language] == nullptr) {
      EXPECT_EQ(VariableCount, 0);
    } else {
      ASSERT_EQ(VariableCount, 1) << language;
      EXPECT_STREQ(FindVariable("prefLanguage"), expected[language]);
    }
  }
}

TEST_F(VariablesTest, SerialisesCountThenNulTerminatedPairs) {
  Load("sSilent=1\n");
  LanguageIndex = 1;
  AddLanguageVariable();
  const char expected[] = "\x02\x00sSilent\0001\000prefLanguage\00071\000";
  EXPECT_EQ(Serialised(), std::string(expected, sizeof expected - 1));
  EXPECT_EQ(Serialised().size(), 28u);
  unsigned char small[27];
  EXPECT_EQ(SerialiseOptions(small, sizeof small), 0u);
}

TEST_F(VariablesTest, AnEmptyListSerialisesAsAZeroCount) {
  EXPECT_EQ(Serialised(), std::string("\0\0", 2));
}
