// lmvrpack's language files: the reader and every check over one table of files, each
// languages/de.po with one change, checked against the templates of
// resources/dialogs.rc; and what the German file becomes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tools/lmvrpack/carried_languages.h"
#include "tools/lmvrpack/language_pack.h"

using namespace lmvrpack;

namespace {

std::string ReadSource(const std::string& path) {
  std::ifstream in(std::string(LMVR_SOURCE_DIR) + "/" + path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

std::map<int, DialogTemplate> Bases() {
  std::map<int, DialogTemplate> bases;
  std::string error;
  EXPECT_TRUE(ReadDialogScript(ReadSource("resources/dialogs.rc"), &bases, &error)) << error;
  return bases;
}

LanguagePack Pack(const std::string& text) {
  LanguagePack pack;
  LanguageFile file = ReadLanguageFile("de.po", text, &pack.refusals);
  if (!pack.refusals.empty()) return pack;
  return PackLanguages({file}, {}, Bases());
}

int LineOf(const std::string& text, const std::string& marker) {
  size_t at = text.find(marker);
  return at == std::string::npos ? -1 : 1 + (int)std::count(text.begin(), text.begin() + at, '\n');
}

std::string Shown(const std::vector<FileProblem>& problems) {
  std::string s;
  for (const FileProblem& p : problems) s += p.file + ":" + std::to_string(p.line) + ": " + p.what + "\n";
  return s;
}

}  // namespace

TEST(LmvrpackLanguages, EachBadFileIsRefusedWithItsLineAndEachGapLeftToEnglishIsSaid) {
  struct Case {
    const char* what;
    const char* from;     // changed in de.po, first occurrence
    const char* to;
    const char* refusal;  // part of the one refusal, "" for none
    const char* line;     // the refusal's line is the first holding this, after the change
    const char* note;     // part of a note, "" for none
  };
  const Case cases[] = {
      {"the file as it is", "", "", "", "", ""},
      {"placeholders swapped", R"(voll. (%d)\r\n"
"\r\n"
"Dateiname=%s)", R"(voll. (%s)\r\n"
"\r\n"
"Dateiname=%d)", "the placeholders of \"errDest\" are %s %d; the English text has %d %s, in this order",
       "msgstr \"\"\n\"Fehler beim Anlegen", ""},
      {"a placeholder of another kind", "belegen %ld KB", "belegen %d KB", "\"occupy\" are %d; the English text has %ld",
       "msgstr \"Die Dateien", ""},
      {"a placeholder lost", "belegen %ld KB", "belegen KB", "\"occupy\" are none", "msgstr \"Die Dateien", ""},
      {"a percent sign is no placeholder", "Die Dateien belegen %ld KB", "%ld KB (100 %%)", "", "", ""},
      {"a key the English table lacks", "msgctxt \"corData\"", "msgctxt \"corDatum\"",
       "\"corDatum\" is no key of the English table", "msgctxt \"corDatum\"", "English for: corData"},
      {"a control the template lacks", "msgctxt \"200.9\"", "msgctxt \"200.11\"", "\"200.11\" is no key",
       "msgctxt \"200.11\"", "200.9"},
      {"a caption of a dialog without one", "msgctxt \"200.3\"", "msgctxt \"200.caption\"", "\"200.caption\" is no key",
       "msgctxt \"200.caption\"", "200.3"},
      {"a character code page 1252 lacks", "msgstr \"Fehler\"", "msgstr \"Fehler \xE2\x9C\x97\"",
       "the character U+2717 \"\xE2\x9C\x97\" is not in code page 1252", "msgstr \"Fehler ", ""},
      {"no UTF-8", "msgstr \"Fehler\"", "msgstr \"Fehler \xFF\"", "not valid UTF-8", "msgstr \"Fehler ", ""},
      {"an escape of no text", "msgstr \"Fehler\"", "msgstr \"Fehler\\0\"", "the escape \\0", "msgstr \"Fehler", ""},
      {"a button's text too wide", "msgstr \"Lumivora installieren\"", "msgstr \"Lumivora jetzt installieren und starten\"",
       "pixels wide in Arial 11 pt; control 200.9, a button, shows 174", "msgstr \"Lumivora jetzt", ""},
      {"a label too wide", "kopiert wird,\"", "kopiert werden soll, bitte,\"", "control 200.3 shows 405",
       "msgstr \"Geben Sie", ""},
      {"the size line too wide for a 999999999 K product", "belegen %ld KB auf", "belegen %ld Kilobytes auf",
       "control 200.7 shows 405 (the size line, at 999999999 K)", "msgstr \"Die Dateien", ""},
      {"a control moved outside its dialog", "msgstr \"155, 108, 40, 14\"", "msgstr \"175, 108, 40, 14\"",
       "control 240.20 (175, 108, 40, 14) lies outside its dialog (10, 30, 205, 132)", "msgstr \"175,", ""},
      {"a dialog narrowed", "msgstr \"50, 80, 104, 55\"", "msgstr \"50, 80, 88, 55\"",
       "control 220.3 (10, 30, 80, 12) lies outside its dialog (50, 80, 88, 55)", "msgstr \"50, 80, 88", ""},
      {"a dialog larger than the screen", "msgctxt \"210.caption\"",
       "msgctxt \"210.frame\"\nmsgid \"10, 30, 250, 180\"\nmsgstr \"10, 30, 300, 180\"\n\nmsgctxt \"210.caption\"",
       "is 675 x 383 pixels: it must fit a 640 x 480 screen", "msgstr \"10, 30, 300", ""},
      {"a frame that is none", "msgstr \"50, 80, 104, 55\"", "msgstr \"50, 80, 104\"", "is not \"x, y, cx, cy\"",
       "msgstr \"50, 80, 104\"", ""},
      {"a second entry for a key", "msgctxt \"err\"", "msgctxt \"corData\"\nmsgid \"x\"\nmsgstr \"y\"\n\nmsgctxt \"err\"",
       "a second entry for \"corData\" (the first is at line 238)", "msgctxt \"corData\"\nmsgid \"x\"", ""},
      {"no letter", "\"X-Lumivora-Letter: G\\n\"\n", "", "the header has no X-Lumivora-Letter", "msgid \"\"", ""},
      {"English's letter", "Letter: G", "Letter: E", "E is the installer's own English", "Letter: E", ""},
      {"a rule of no kind", "country 49", "county 49", "X-Lumivora-Chosen-For \"county 49\" is none of", "county", ""},
      {"an entry left out", "msgctxt \"230.caption\"\nmsgid \"Installation Complete\"\nmsgstr \"Installation abgeschlossen\"\n",
       "", "", "", "English for: 230.caption"},
      {"an entry not translated", "msgstr \"Fehler\"", "msgstr \"\"", "", "", "English for: err"},
      {"an entry marked fuzzy", "msgctxt \"err\"", "#, fuzzy\nmsgctxt \"err\"", "", "", "English for: err"},
      {"an English text changed since", "msgid \"Error\"", "msgid \"Errors\"", "", "",
       "the English text of \"err\" has changed"},
  };
  const std::string german = ReadSource("languages/de.po");
  ASSERT_NE(german.find("X-Lumivora-Letter: G"), std::string::npos);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text = german;
    size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::string(c.from).size(), c.to);
    LanguagePack pack = Pack(text);
    if (*c.refusal == '\0') {
      EXPECT_EQ(Shown(pack.refusals), "");
    } else {
      auto found = std::find_if(pack.refusals.begin(), pack.refusals.end(),
                                [&](const FileProblem& p) { return p.what.find(c.refusal) != std::string::npos; });
      ASSERT_NE(found, pack.refusals.end()) << Shown(pack.refusals);
      EXPECT_EQ(found->line, LineOf(text, c.line)) << Shown(pack.refusals);
      EXPECT_EQ(found->file, "de.po");
    }
    if (*c.note == '\0') {
      EXPECT_EQ(Shown(pack.notes), "");
    } else {
      EXPECT_NE(Shown(pack.notes).find(c.note), std::string::npos) << Shown(pack.notes);
    }
  }
}

TEST(LmvrpackLanguages, GermanBecomesTable401AndFiveVariantsThatListAndVerifyReadBack) {
  LanguagePack pack = Pack(ReadSource("languages/de.po"));
  ASSERT_EQ(Shown(pack.refusals), "");
  std::vector<uint32_t> ids;
  for (const pe::Resource& r : pack.resources) ids.push_back(r.type * 1000 + r.id);
  EXPECT_EQ(ids, std::vector<uint32_t>({10401, 5201, 5211, 5221, 5231, 5241}));
  const std::vector<uint8_t>& table = pack.resources[0].data;
  EXPECT_EQ(std::vector<uint8_t>(table.begin(), table.begin() + 13),
            std::vector<uint8_t>({1, 0, 49, 0, 'G', 'l', 'i', 'c', 'e', 'n', 's', 'e', 0}));
  EXPECT_EQ(std::string(table.end() - 10, table.end()), std::string(" erneut.\0\0", 10))
      << "the last text, its NUL, and the NUL where a next entry's letter would stand";
  DialogTemplate association;
  std::string error;
  ASSERT_TRUE(ReadDialogTemplate(pack.resources[5].data, &association, &error)) << error;
  EXPECT_EQ(FrameText(association.frame), "10, 30, 205, 132");
  EXPECT_EQ(FrameText(association.controls[18].frame), "100, 108, 45, 14");
  EXPECT_EQ(association.controls[18].text.name, u"\u00DCberspringen");
  EXPECT_EQ(association.caption, u"Lumivora-Installation");

  // A vendor's licences: the German one in table 401, the English one in table 400.
  std::vector<FileProblem> problems;
  Licence german = ReadLicence("lizenz.txt", 'G', "Erster Absatz.\n\nZweiter\nAbsatz.\n\n\nDritter.\n\nVierter.\n", &problems);
  Licence english = ReadLicence("licence.txt", 'E', "\xEF\xBB\xBFOne paragraph only.\r\n", &problems);
  EXPECT_EQ(Shown(problems), "");
  EXPECT_EQ(german.blocks[0] + "|" + german.blocks[1] + "|" + german.blocks[2],
            "Erster Absatz.\r\n\r\n|Zweiter\r\nAbsatz.\r\n\r\n\r\n|Dritter.\r\n\r\nVierter.");
  LanguageFile file = ReadLanguageFile("de.po", ReadSource("languages/de.po"), &problems);
  LanguagePack licensed = PackLanguages({file}, {german, english}, Bases());
  ASSERT_EQ(Shown(licensed.refusals), "");
  std::string table401(licensed.resources[0].data.begin(), licensed.resources[0].data.end());
  EXPECT_NE(table401.find(std::string("Glicense\0Erster Absatz.\r\n\r\n\0Glicense2\0Zweiter", 38)), std::string::npos);
  english.letter = 'G';
  std::vector<uint8_t> short401 = PackLanguages({file}, {english}, Bases()).resources[0].data;
  EXPECT_NE(std::string(short401.begin(), short401.end()).find(std::string("only.\0Glicense2\0\0Glicense3\0\0G", 29)),
            std::string::npos) << "blocks a licence leaves empty are written empty, not left to English";
  english.letter = 'E';
  const pe::Resource& table400 = licensed.resources.back();
  EXPECT_EQ(table400.id, 400u);
  EXPECT_EQ(std::string(table400.data.begin(), table400.data.end()),
            std::string("\0\0\0\0Elicense\0One paragraph only.\0Elicense2\0\0Elicense3\0\0\0", 56));

  // Read back as list and verify show them; a damaged table is found.
  std::vector<pe::Resource> resources = licensed.resources;
  for (const auto& [id, dialog] : Bases()) {
    resources.push_back(pe::Resource());
    resources.back().type = 5, resources.back().id = id, resources.back().data = WriteDialogTemplate(dialog);
  }
  CarriedLanguages carried = DescribeLanguages(resources);
  EXPECT_EQ(carried.lines, std::vector<std::string>({"E English: built in, and table 400 (3 messages)",
                                                     "G German: table 401 (17 messages, chosen for country 49), "
                                                     "variants 201 211 221 231 241"}));
  EXPECT_EQ(carried.problems, std::vector<std::string>());
  resources[0].data[4] = 'F';
  resources[6].data.pop_back();
  EXPECT_EQ(DescribeLanguages(resources).problems,
            std::vector<std::string>({"table 400: it does not end with a zero byte",
                                      "table 401: an entry begins with F, not with G"}));
}
