// lmvrpack pack: round trips decoded with the installer's own archive code, the
// fixed order, and every refusal.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "payload/archive_format.h"
#include "tools/lmvrpack/command_line.h"
#include "tools/lmvrpack/product_scan.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class PackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
    root_ = fs::temp_directory_path() / ("lmvrpack-test-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
    fs::remove_all(root_);
    fs::create_directories(product());
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path product() const { return root_ / "product"; }
  fs::path output() const { return root_ / "payload.bin"; }

  void Write(const std::string& relative, const std::string& bytes, const fs::path& base = {}) {
    fs::path path = (base.empty() ? product() : base) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  int Run(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    int status = lmvrpack::RunCommandLine(arguments, out, err);
    out_ = out.str();
    err_ = err.str();
    return status;
  }

  int Pack(const std::string& mainProgram, const fs::path& folder = {}) {
    return Run({"pack", (folder.empty() ? product() : folder).string(), "--main", mainProgram, "-o",
                output().string(), "--quiet"});
  }

  // The archive inside the payload just written, checked on the way.
  std::string Inflate() {
    std::string payload = ReadAll(output());
    EXPECT_GE(payload.size(), 6u);
    if (payload.size() < 6) return {};
    uint32_t length = 0;
    EXPECT_EQ(DecodePayloadLength(reinterpret_cast<const unsigned char*>(payload.data()), payload.size(), &length), 0);
    EXPECT_EQ(length, payload.size() - 4) << "the resource is exactly L + 4 bytes";
    EXPECT_EQ((unsigned char)payload[4], 0x78);
    EXPECT_EQ((unsigned char)payload[5], 0xDA) << "level 9";
    std::string archive(1 << 22, '\0');
    uLongf size = archive.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(&archive[0]), &size,
                         reinterpret_cast<const Bytef*>(payload.data() + 4), length),
              Z_OK);
    archive.resize(size);
    return archive;
  }

  struct Decoded {
    std::string name;
    std::string relativePath;
    std::string data;
  };

  // Walks the archive with the installer's decoding, entry by entry.
  std::vector<Decoded> Decode(const std::string& archive) {
    std::vector<Decoded> entries;
    const auto* bytes = reinterpret_cast<const unsigned char*>(archive.data());
    EXPECT_GE(archive.size(), (size_t)kArchiveHeaderSize);
    uint16_t count = 0;
    uint32_t total = 0;
    DecodeArchiveHeader(bytes, &count, &total);
    size_t at = kArchiveHeaderSize;
    uint32_t sum = 0;
    for (int i = 0; i < count; ++i) {
      unsigned nameField = bytes[at];
      EXPECT_TRUE(EntryNameFieldValid(nameField));
      EXPECT_TRUE(EntryNameTerminated(archive.data() + at + 1, nameField));
      Decoded entry;
      entry.name = archive.data() + at + 1;
      uint32_t size = ReadLittleEndian32(bytes + at + 1 + nameField);
      at += 1 + nameField + 4;
      entry.data = archive.substr(at, size);
      at += size;
      char relative[64];
      EXPECT_EQ(EntryRelativePath(entry.name.c_str(), relative, sizeof relative), 0);
      entry.relativePath = relative;
      EXPECT_EQ(AddEntryToArchiveTotal(&sum, nameField, size), 0);
      entries.push_back(entry);
    }
    EXPECT_EQ(at, archive.size()) << "nothing follows the last entry";
    EXPECT_EQ(sum, total) << "ArchiveTotal";
    return entries;
  }

  fs::path root_;
  std::string out_, err_;
};

std::string Slashes(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace

TEST_F(PackTest, ThePayloadOfOneSmallFileIsTheTwentyByteArchive) {
  Write("A.TXT", "abc");
  ASSERT_EQ(Pack("A.TXT"), 0) << err_;
  const std::string expected("\x01\x00\x0A\x00\x00\x00\x06" "A.TXT\x00\x03\x00\x00\x00" "abc", 20);
  EXPECT_EQ(Inflate(), expected);
}

TEST_F(PackTest, EveryFileComesBackUnderItsPathInTheFixedOrder) {
  std::string noise;
  for (int i = 0; i < 70000; ++i) noise += (char)((i * 2654435761u) >> 13);
  Write("zeta.txt", "last of the root files");
  Write("LUMIVORA.EXE", "MZ the program");
  Write("readme.txt", "read me\r\n");
  Write("EMPTY.DAT", "");
  Write("ENGLISH/INDEX.HTM", "<html>index</html>");
  Write("ENGLISH/ADJUST.HTM", "<html>adjust</html>");
  Write("ENGLISH/IMAGES/EYE_8", noise);
  Write("ENGLISH/IMAGES/ICONS/I.BMP", "BM");
  Write("B/B.TXT", "b");
  Write("Z/Z.TXT", "z");
  ASSERT_EQ(Pack("LUMIVORA.EXE"), 0) << err_;

  std::vector<Decoded> entries = Decode(Inflate());
  std::vector<std::string> names;
  for (const Decoded& entry : entries) {
    names.push_back(entry.name);
    EXPECT_EQ(entry.data, ReadAll(product() / Slashes(entry.relativePath))) << entry.relativePath;
  }
  const std::vector<std::string> expected = {
      "LUMIVORA.EXE",  // the main program first
      "EMPTY.DAT", "readme.txt", "zeta.txt",  // the root's files in ASCII order
      "B.TXT!B",
      "ADJUST.HTM!ENGLISH", "INDEX.HTM!ENGLISH",
      "EYE_8!ENGLISH\\IMAGES",
      "I.BMP!ENGLISH\\IMAGES\\ICONS",
      "Z.TXT!Z",
  };
  EXPECT_EQ(names, expected);
}

TEST_F(PackTest, AMainProgramOneLevelDownComesFirstAndCreatesItsDirectory) {
  Write("AAA.TXT", "a");
  Write("BIN/APP.EXE", "MZ");
  Write("BIN/HELP/H.HTM", "h");
  ASSERT_EQ(Pack("BIN\\APP.EXE"), 0) << err_;
  std::vector<Decoded> entries = Decode(Inflate());
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "APP.EXE!BIN");
  EXPECT_EQ(entries[2].name, "H.HTM!BIN\\HELP");
}

TEST_F(PackTest, TheSameFolderGivesTheSameBytesWhereverAndHoweverItWasMade) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"MAIN.EXE", "MZ"}, {"a.txt", "1"}, {"b.txt", "2"}, {"D/x.htm", "3"}, {"D/E/y.png", "4"}, {"C/c", "5"}};
  for (const auto& [path, bytes] : files) Write(path, bytes);
  ASSERT_EQ(Pack("MAIN.EXE"), 0) << err_;
  std::string first = ReadAll(output());
  ASSERT_EQ(Pack("MAIN.EXE"), 0) << err_;
  EXPECT_EQ(ReadAll(output()), first);

  // Another folder, elsewhere, its files made in the opposite order.
  fs::path other = root_ / "elsewhere" / "copy";
  for (auto it = files.rbegin(); it != files.rend(); ++it) Write(it->first, it->second, other);
  ASSERT_EQ(Pack("MAIN.EXE", other), 0) << err_;
  EXPECT_EQ(ReadAll(output()), first);
}

TEST_F(PackTest, RefusalsNameTheFileAndTheReasonAndWriteNothing) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> files;
    std::string mainProgram;
    std::string named;   // must appear in the message
    std::string reason;  // likewise
  };
  const std::string name46(46, 'n');
  const std::vector<Case> cases = {
      {{{"M.EXE", ""}, {"ENGLISH/E", ""}, {"ENGLISH/IMAGES/" + name46 + ".B", ""}}, "M.EXE", name46, "at most 51 bytes"},
      {{{"M.EXE", ""}, {"GOOD/" + std::string(60, 'd') + "/x", ""}}, "M.EXE", std::string(60, 'd'), "too long"},
      {{{"M.EXE", ""}, {"WOW!.TXT", ""}}, "M.EXE", "WOW!.TXT", "\"!\""},
      {{{"M.EXE", ""}, {"A!B/F.TXT", ""}}, "M.EXE", "A!B", "\"!\""},
      {{{"M.EXE", ""}, {"what?.txt", ""}}, "M.EXE", "what?.txt", "does not allow"},
      {{{"M.EXE", ""}, {"back\\slash", ""}}, "M.EXE", "back\\slash", "does not allow"},
      {{{"M.EXE", ""}, {"pipe|d", ""}}, "M.EXE", "pipe|d", "does not allow"},
      {{{"M.EXE", ""}, {"caf\xC3\xA9.txt", ""}}, "M.EXE", "caf", "printable ASCII"},
      {{{"M.EXE", ""}, {"tab\tname", ""}}, "M.EXE", "tab\tname", "printable ASCII"},
      {{{"M.EXE", ""}, {"trailing.", ""}}, "M.EXE", "trailing.", "ends in"},
      {{{"M.EXE", ""}, {"AUX.TXT", ""}}, "M.EXE", "AUX.TXT", "device name"},
      {{{"M.EXE", ""}, {"readme.txt", ""}, {"README.TXT", ""}}, "M.EXE", "readme.txt", "letter case"},
      {{{"M.EXE", ""}, {"B/C/y.txt", ""}}, "M.EXE", "/B", "no file of its own"},
      {{{"M.EXE", ""}}, "MISSING.EXE", "MISSING.EXE", "not a file in the product folder"},
      {{{"M.EXE", ""}}, "../M.EXE", "../M.EXE", "without \"..\""},
      {{{"M.EXE", ""}}, "/etc/passwd", "/etc/passwd", "relative to the product folder"},
      {{{"M.EXE", ""}}, "C:\\M.EXE", "C:\\M.EXE", "relative to the product folder"},
      {{{"M.EXE", ""}, {"A/B/P.EXE", ""}, {"A/a", ""}}, "A/B/P.EXE", "P.EXE", "one of its direct subdirectories"},
  };
  for (const Case& c : cases) {
    fs::remove_all(product());
    fs::create_directories(product());
    fs::remove(output());
    for (const auto& [path, bytes] : c.files) Write(path, bytes);
    EXPECT_EQ(Pack(c.mainProgram), 1) << c.named;
    EXPECT_NE(err_.find(c.named), std::string::npos) << err_;
    EXPECT_NE(err_.find(c.reason), std::string::npos) << err_;
    EXPECT_FALSE(fs::exists(output())) << c.named;
  }
}

TEST_F(PackTest, EntryNamesOfExactly51BytesAreTaken) {
  Write("M.EXE", "");
  Write("ENGLISH/E", "");
  Write("ENGLISH/IMAGES/" + std::string(30, 'n'), "x");  // 30 + 1 + 14 = 45
  Write("ENGLISH/IMAGES/" + std::string(36, 'k'), "x");  // 36 + 1 + 14 = 51
  ASSERT_EQ(Pack("M.EXE"), 0) << err_;
  EXPECT_EQ(Decode(Inflate()).size(), 4u);
}

TEST_F(PackTest, FilesOf2GiBAreRefusedWithoutBeingRead) {
  Write("M.EXE", "");
  Write("ENGLISH/BIG.DAT", "");
  fs::resize_file(product() / "ENGLISH/BIG.DAT", 0x80000000ull);  // sparse
  EXPECT_EQ(Pack("M.EXE"), 1);
  EXPECT_NE(err_.find("BIG.DAT: is 2147483648 bytes; files must be smaller than 2 GiB"), std::string::npos) << err_;
  fs::resize_file(product() / "ENGLISH/BIG.DAT", 0x7FFFFFFFull);
  lmvrpack::ProductScan scan = lmvrpack::ScanProduct(product(), "M.EXE");
  EXPECT_FALSE(scan.problems.empty()) << "one byte less fits a file, but not the whole archive";
  fs::resize_file(product() / "ENGLISH/BIG.DAT", 0x7FFFFF00ull);
  scan = lmvrpack::ScanProduct(product(), "M.EXE");
  EXPECT_TRUE(scan.problems.empty()) << scan.problems[0].reason;
}

TEST_F(PackTest, MoreThan65535FilesAreRefused) {
  Write("M.EXE", "");
  for (int i = 1; i < 65535; ++i) std::ofstream(product() / ("F" + std::to_string(i)));
  lmvrpack::ProductScan scan = lmvrpack::ScanProduct(product(), "M.EXE");
  EXPECT_TRUE(scan.problems.empty()) << "65535 entries fit";
  std::ofstream(product() / "ONE.MORE");
  EXPECT_EQ(Pack("M.EXE"), 1);
  EXPECT_NE(err_.find("holds 65536 files; an archive holds at most 65535 entries"), std::string::npos) << err_;
}

TEST_F(PackTest, EmptyDirectoriesAreLeftOutWithANote) {
  Write("M.EXE", "");
  fs::create_directories(product() / "NOTHING" / "HERE");
  ASSERT_EQ(Run({"pack", product().string(), "--main", "M.EXE", "-o", output().string()}), 0) << err_;
  EXPECT_NE(err_.find("NOTHING: holds no file and is left out"), std::string::npos) << err_;
  EXPECT_NE(out_.find("packed 1 entries"), std::string::npos) << out_;
  EXPECT_EQ(Decode(Inflate()).size(), 1u);
}

TEST_F(PackTest, TheDependencyFileNamesEveryFileAndDirectoryRead) {
  Write("M.EXE", "");
  Write("with space/f.txt", "x");
  fs::path depfile = root_ / "payload.d";
  ASSERT_EQ(Run({"pack", product().string(), "--main", "M.EXE", "-o", output().string(), "--depfile",
                 depfile.string(), "--quiet"}),
            0)
      << err_;
  std::string text = ReadAll(depfile);
  EXPECT_EQ(text.rfind(output().string() + ":", 0), 0u) << text;
  EXPECT_NE(text.find((product() / "M.EXE").string()), std::string::npos) << text;
  EXPECT_NE(text.find("with\\ space/f.txt"), std::string::npos) << text;
  EXPECT_NE(text.find("with\\ space \\\n"), std::string::npos) << "the directory itself: " << text;
}

TEST_F(PackTest, UsageErrorsAndHelp) {
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Run({"unpack"}), 2);
  EXPECT_EQ(Run({"pack", product().string(), "-o", output().string()}), 2);
  EXPECT_NE(err_.find("--main"), std::string::npos);
  EXPECT_EQ(Run({"pack", product().string(), "--main"}), 2);
  EXPECT_EQ(Run({"pack", product().string(), "--main", "M", "-o", "x", "--fast"}), 2);
  EXPECT_EQ(Run({"verify"}), 2);
  for (const char* command : {"pack", "list", "verify"}) {
    EXPECT_EQ(Run({command, "--help"}), 0) << command;
    EXPECT_EQ(out_.rfind(std::string("usage: lmvrpack ") + command, 0), 0u) << out_;
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.find("verify FILE"), std::string::npos);
}
