// An installer that packs German (languages/de.po): with language 1 the dialogs come
// from the German variants and the German message table that lmvrpack wrote, and what
// the ANSI functions hand back is Windows code page 1252, single-byte umlauts and all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_driver.h"
#include "dialogs/install_dialogs.h"
#include "test_support.h"
#include "text/message_catalogue.h"

using namespace dialog_driver;

namespace {

// The caption and the texts of the controls `ids` of a dialog as its procedure shows
// it; the caption comes first.
std::vector<std::string> TextsShown(int base, DLGPROC procedure, const std::vector<int>& ids) {
  std::vector<std::string> texts;
  RunDialog(base, procedure, {[&](HWND dialog) {
              texts.push_back(testing_support::WindowText(dialog));
              for (int id : ids) texts.push_back(ItemText(dialog, id));
              Click(dialog, IDCANCEL);
            }});
  return texts;
}

}  // namespace

TEST(GermanDialogs, VariantsAndCatalogueSpeakGermanInCodePage1252) {
  if (std::string(LMVR_PACKED_LANGUAGES).find('G') == std::string::npos) GTEST_SKIP() << "this build packs no German";
  InstallerFixture installer;
  installer.UseInstallersLanguages();
  ASSERT_NE(MessageCatalogue[1][0], nullptr) << "no German table in install.exe";
  LanguageIndex = 1;
  ArchiveTotal = 4080498;

  EXPECT_EQ(TextsShown(kDestinationTemplate, DestinationDialogProc, {102, IDOK}),
            (std::vector<std::string>{"Lumivora Installation - Windows (32-Bit)",
                                      "Die Dateien belegen 3984 KB auf Ihrem Datentr\xE4ger.", "Lumivora installieren"}));

  // The agreement: the three German blocks joined, as the catalogue stores them.
  std::vector<std::string> licence = TextsShown(kLicenceTemplate, LicenceDialogProc, {IDOK, 101});
  ASSERT_EQ(licence.size(), 3u);
  EXPECT_EQ(licence[0], "Lizenzvereinbarung");
  EXPECT_EQ(licence[1], "\x84Ich stimme zu\x93");
  EXPECT_EQ(licence[2], std::string(LookupMessage("license")) + LookupMessage("license2") + LookupMessage("license3"));
  EXPECT_EQ(licence[2].rfind("LUMIVORA TESTLIZENZ\r\n", 0), 0u) << licence[2].substr(0, 40);

  // A template text with an umlaut, through the UTF-16 template and back to ANSI.
  EXPECT_EQ(TextsShown(kAssociationTemplate, AssociationDialogProc, {113}),
            (std::vector<std::string>{"Lumivora-Installation", "\xDC" "berspringen"}));
}
