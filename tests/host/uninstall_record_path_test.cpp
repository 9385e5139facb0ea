// The way back from a record to its file: the installer's record names and the
// uninstall kit's inverse agree on every file of the sample product, and no record
// can lead outside the install directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "payload/archive_format.h"
#include "shell/record_name.h"
#include "tools/lmvrpack/product_scan.h"
#include "uninstall/record_path.h"

namespace fs = std::filesystem;

namespace {

// The sample product as the win32 build assembles it: the source folder, the program
// and the drawn images (their bytes do not matter here, only their names).
fs::path SampleProduct() {
  fs::path root = fs::temp_directory_path() / ("lmvr-uninstall-sample-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::copy(fs::path(LMVR_SOURCE_DIR) / "examples" / "product", root, fs::copy_options::recursive);
  fs::create_directories(root / "ENGLISH" / "IMAGES");
  for (const char* made : {"LUMIVORA.EXE", "ENGLISH/IMAGES/LOGO.BMP", "ENGLISH/IMAGES/TOOLBAR.PNG",
                           "ENGLISH/IMAGES/SAMPLE.PNG"}) {
    std::ofstream(root / made) << "x";
  }
  return root;
}

}  // namespace

TEST(UninstallRecordPath, InvertsTheInstallersRecordOfEveryFileOfTheSampleProduct) {
  fs::path product = SampleProduct();
  lmvrpack::ProductScan scan = lmvrpack::ScanProduct(product, "LUMIVORA.EXE");
  fs::remove_all(product);
  ASSERT_TRUE(scan.problems.empty());
  ASSERT_GE(scan.files.size(), 9u);
  // The default data file and the options file are recorded beside the payload's entries.
  std::vector<std::string> relatives = {"DEF.LMV", "lmvr.opt"};
  std::vector<std::string> names = {"DEF.LMV", "lmvr.opt"};
  for (const auto& file : scan.files) {
    relatives.push_back(file.relativePath);
    names.push_back(file.entryName);
  }
  for (const char* directory : {"C:\\Program Files\\Lumivora", "C:\\Lumivora\\", "D:\\"}) {
    for (size_t i = 0; i < names.size(); ++i) {
      SCOPED_TRACE(std::string(directory) + " " + names[i]);
      // Where the installer writes the file, and the record it makes of that path.
      char target[260];
      char level[260];
      ASSERT_EQ(EntryTargetPaths(directory, names[i].c_str(), target, sizeof target, level, sizeof level), 0);
      char record[260];
      ASSERT_EQ(RecordNameFor(directory, target, record, sizeof record), 0);
      char back[260];
      ASSERT_EQ(RecordRelativePath(record, back, sizeof back), 0) << record;
      EXPECT_EQ(back, relatives[i]);
    }
  }
}

TEST(UninstallRecordPath, RefusesEveryRecordThatCouldLeadOutside) {
  const char* refused[] = {
      "",                          // no file at all
      "..$..$Windows$win.ini",     // up and out
      "ENGLISH$..$..$boot.ini",    // out from below
      "$Windows$win.ini",          // the drive's root
      "C:$Windows$win.ini",        // a drive
      "C:win.ini",                 // a drive's current directory
      "ENGLISH$$INDEX.HTM",        // an empty level
      "ENGLISH$",                  // a directory, no file
      ".$INDEX.HTM",               // "." level
      "...$win.ini",               // dots only, which some Windows read as two levels up
      "ENGLISH. $INDEX.HTM",       // Windows drops the ending, leaving "ENGLISH"
      "a/b",                       // a separator the record cannot have had
      "a\\b",
      "CON",                       // a device, not a file
      "ENGLISH$AUX.HTM",
  };
  for (const char* record : refused) {
    char out[260] = "untouched";
    EXPECT_EQ(RecordRelativePath(record, out, sizeof out), -1) << record;
    EXPECT_STREQ(out, "") << record;
  }
  char small[8];
  EXPECT_EQ(RecordRelativePath("ENGLISH$INDEX.HTM", small, sizeof small), -1);
  EXPECT_STREQ(small, "");
}
