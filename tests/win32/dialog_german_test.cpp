// A German build (LMVR_LANGUAGES "E;G"): with language 1 the dialogs come from the
// German variants and the catalogue's German table, and what the ANSI functions hand
// back is Windows code page 1252, single-byte umlauts and all. The default build
// carries no German and compiles none of this.
#ifdef LMVR_LANGUAGE_GERMAN
#include <gtest/gtest.h>

#include <string>

#include "dialog_driver.h"
#include "dialogs/install_dialogs.h"
#include "test_support.h"
#include "text/message_catalogue.h"

using namespace dialog_driver;

TEST(GermanDialogs, VariantsAndCatalogueSpeakGermanInCodePage1252) {
  InstallerFixture installer;
  ASSERT_TRUE(LanguageHasMessages(1)) << "no German table: the automatic switch would stay off";
  LanguageIndex = 1;
  ArchiveTotal = 4080498;

  std::string caption, sizeLine, install;
  RunDialog(kDestinationTemplate, DestinationDialogProc, {[&](HWND dialog) {
              caption = testing_support::WindowText(dialog);
              sizeLine = ItemText(dialog, 102);
              install = ItemText(dialog, IDOK);
              Click(dialog, IDCANCEL);
            }});
  EXPECT_EQ(caption, "Lumivora Installation - Windows (32-Bit)");
  EXPECT_EQ(sizeLine, "Die Dateien belegen 3984 KB auf Ihrem Datentr\xE4ger.");
  EXPECT_EQ(install, "Lumivora installieren");

  // The agreement: the three German blocks joined, as the catalogue stores them.
  std::string licence;
  RunDialog(kLicenceTemplate, LicenceDialogProc, {[&](HWND dialog) {
              caption = testing_support::WindowText(dialog);
              licence = ItemText(dialog, 101);
              install = ItemText(dialog, IDOK);
              Click(dialog, IDCANCEL);
            }});
  EXPECT_EQ(caption, "Lizenzvereinbarung");
  EXPECT_EQ(install, "\x84Ich stimme zu\x93");
  EXPECT_EQ(licence, std::string(LookupMessage("license")) + LookupMessage("license2") + LookupMessage("license3"));
  EXPECT_EQ(licence.rfind("LUMIVORA TESTLIZENZ\r\n", 0), 0u) << licence.substr(0, 40);

  // A template text with an umlaut, through the UTF-16 template and back to ANSI.
  std::string skip;
  RunDialog(kAssociationTemplate, AssociationDialogProc, {[&](HWND dialog) {
              skip = ItemText(dialog, 113);
              Click(dialog, IDCANCEL);
            }});
  EXPECT_EQ(skip, "\xDC" "berspringen");
}
#endif
