// lmvrpack winget: the manifest writer's fields against winget's schema rules, and
// the SHA-256 it puts in them.
#include <gtest/gtest.h>

#include "tools/lmvrpack/sha256.h"
#include "tools/lmvrpack/winget_manifest.h"

namespace {

TEST(LmvrpackWinget, Sha256GivesTheKnownAnswersOnEitherSideOfABlock) {
  struct Case {
    std::string message, digest;
  } cases[] = {
      {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
      {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
      {std::string(1000000, 'a'), "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(lmvrpack::Sha256Hex(std::vector<uint8_t>(c.message.begin(), c.message.end())), c.digest)
        << c.message.size() << " bytes";
  }
}

lmvrpack::WingetFigures Good() {
  return {"Fabrikam.Lumivora", "https://downloads.example.com/install.exe", "", "", "2.10", "Fabrikam",
          std::string(64, 'a')};
}

TEST(LmvrpackWinget, TheThreeFilesCarryEveryFieldTheSchemaRequires) {
  std::vector<lmvrpack::WingetFile> files;
  std::string error;
  ASSERT_TRUE(lmvrpack::MakeWingetManifest(Good(), &files, &error)) << error;
  ASSERT_EQ(files.size(), 3u);
  const char* names[] = {"Fabrikam.Lumivora.yaml", "Fabrikam.Lumivora.locale.en-US.yaml",
                         "Fabrikam.Lumivora.installer.yaml"};
  const std::vector<std::string> lines[] = {
      {"DefaultLocale: en-US", "ManifestType: version"},
      {"PackageLocale: en-US", "Publisher: Fabrikam", "PackageName: Lumivora", "License: Proprietary",
       "ShortDescription: ", "ManifestType: defaultLocale"},
      {"InstallerType: exe", "Scope: machine", "- silentWithProgress", "  Silent: '-silent'",
       "  InstallLocation: '-dir=\"<INSTALLPATH>\"'", "  Log: '-log=\"<LOGPATH>\"'",
       "- InstallerReturnCode: 1618\n  ReturnResponse: installInProgress", "UpgradeBehavior: install", "- pcd\n",
       "ElevationRequirement: elevatesSelf", "  DisplayVersion: '2.10'", "  ProductCode: Lumivora",
       "- Architecture: x86\n  InstallerUrl: 'https://", "  InstallerSha256: aaaa", "ManifestType: installer"},
  };
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(files[i].name, names[i]);
    for (std::string line : lines[i]) {
      line = "\n" + line;
      EXPECT_NE(files[i].text.find(line), std::string::npos) << line << " in\n" << files[i].text;
    }
    // The version stays a text: quoted, since 2.10 would read as the number 2.1.
    EXPECT_NE(files[i].text.find("\nPackageIdentifier: Fabrikam.Lumivora\nPackageVersion: '2.10'\n"), std::string::npos);
    EXPECT_NE(files[i].text.find("\nManifestVersion: 1.10.0\n"), std::string::npos);
  }
}

TEST(LmvrpackWinget, WhatTheSchemaRefusesIsNamedAndWhatItTakesIsWrittenSafely) {
  struct Case {
    const char* what;
    void (*change)(lmvrpack::WingetFigures*);
    const char* refusal;  // nullptr: taken, and `written` stands in the locale file
    const char* written;
  } cases[] = {
      {"one part", [](lmvrpack::WingetFigures* f) { f->id = "Fabrikam"; }, "--id \"Fabrikam\" is no winget", ""},
      {"nine parts", [](lmvrpack::WingetFigures* f) { f->id = "a.b.c.d.e.f.g.h.i"; }, "--id", ""},
      {"eight parts of 32", [](lmvrpack::WingetFigures* f) { f->id = std::string(32, 'x') + ".b.c.d.e.f.g.h"; }, nullptr, ""},
      {"a part of 33", [](lmvrpack::WingetFigures* f) { f->id = "A." + std::string(33, 'x'); }, "--id", ""},
      {"a blank", [](lmvrpack::WingetFigures* f) { f->id = "Fab rikam.Viewer"; }, "--id", ""},
      {"an empty part", [](lmvrpack::WingetFigures* f) { f->id = "Fabrikam..Viewer"; }, "--id", ""},
      {"a trailing dot", [](lmvrpack::WingetFigures* f) { f->id = "Fabrikam.Viewer."; }, "--id", ""},
      {"a colon", [](lmvrpack::WingetFigures* f) { f->id = "Fabrikam:.Viewer"; }, "--id", ""},
      {"ftp", [](lmvrpack::WingetFigures* f) { f->url = "ftp://example.com/i.exe"; }, "--url \"ftp:", ""},
      {"a scheme alone", [](lmvrpack::WingetFigures* f) { f->url = "https://"; }, "--url", ""},
      {"a line break", [](lmvrpack::WingetFigures* f) { f->url = "http://a\nb"; }, "--url", ""},
      {"2049 characters", [](lmvrpack::WingetFigures* f) { f->url = "http://" + std::string(2042, 'a'); }, "--url", ""},
      {"upper-case scheme", [](lmvrpack::WingetFigures* f) { f->url = "HTTPS://a"; }, nullptr, ""},
      {"a slash in the version", [](lmvrpack::WingetFigures* f) { f->version = "2/1"; }, "version \"2/1\"", ""},
      {"a one-letter publisher", [](lmvrpack::WingetFigures* f) { f->publisher = "F"; }, "publisher \"F\" must have 2", ""},
      {"a short licence", [](lmvrpack::WingetFigures* f) { f->license = "MI"; }, "--license", ""},
      {"a control character", [](lmvrpack::WingetFigures* f) { f->description = "A\x01viewer"; }, "control", ""},
      {"a C1 control", [](lmvrpack::WingetFigures* f) { f->description = "A \xc2\x85 viewer"; }, "control", ""},
      {"quotes and a colon", [](lmvrpack::WingetFigures* f) { f->publisher = "O'Brien: Images"; }, nullptr,
       "\nPublisher: 'O''Brien: Images'\n"},
      {"a truth word", [](lmvrpack::WingetFigures* f) { f->publisher = "Yes"; }, nullptr, "\nPublisher: 'Yes'\n"},
      {"a description of 256", [](lmvrpack::WingetFigures* f) { f->description = std::string(255, 'd') + "\xc3\xa9"; },
       nullptr, "dd\xc3\xa9'\n"},
  };
  for (const Case& c : cases) {
    lmvrpack::WingetFigures figures = Good();
    c.change(&figures);
    std::vector<lmvrpack::WingetFile> files;
    std::string error;
    bool made = lmvrpack::MakeWingetManifest(figures, &files, &error);
    EXPECT_EQ(made, c.refusal == nullptr) << c.what << ": " << error;
    if (made) {
      EXPECT_NE(files[1].text.find(c.written), std::string::npos) << c.what << "\n" << files[1].text;
    } else {
      EXPECT_NE(error.find(c.refusal), std::string::npos) << c.what << ": " << error;
      EXPECT_TRUE(files.empty());
    }
  }
}

}  // namespace
