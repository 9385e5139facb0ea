// lmvrpack verify and list: every damage a payload can carry is found and named.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "payload/archive_format.h"
#include "tools/lmvrpack/command_line.h"
#include "tools/lmvrpack/payload_check.h"

namespace {

struct File {
  std::string name;
  std::string data;
};

// An archive as the format describes it; `countDelta` and `totalDelta` falsify the header.
std::string Archive(const std::vector<File>& files, int countDelta = 0, int totalDelta = 0) {
  uint32_t total = 0;
  std::string entries;
  for (const File& file : files) {
    unsigned char header[64];
    size_t size = EncodeEntryHeader(header, sizeof header, file.name.c_str(), (uint32_t)file.data.size());
    entries.append(reinterpret_cast<char*>(header), size);
    entries += file.data;
    AddEntryToArchiveTotal(&total, file.name.size() + 1, (uint32_t)file.data.size());
  }
  unsigned char header[kArchiveHeaderSize];
  EncodeArchiveHeader(header, (uint16_t)(files.size() + countDelta), total + totalDelta);
  return std::string(reinterpret_cast<char*>(header), sizeof header) + entries;
}

std::string Compress(const std::string& archive) {
  std::string stream(compressBound(archive.size()), '\0');
  uLongf size = stream.size();
  compress2(reinterpret_cast<Bytef*>(&stream[0]), &size, reinterpret_cast<const Bytef*>(archive.data()),
            archive.size(), 9);
  stream.resize(size);
  return stream;
}

std::vector<uint8_t> Payload(const std::string& stream, int64_t lengthDelta = 0) {
  std::vector<uint8_t> payload(4);
  WriteLittleEndian32(payload.data(), (uint32_t)(stream.size() + lengthDelta));
  payload.insert(payload.end(), stream.begin(), stream.end());
  return payload;
}

const std::vector<File> kGood = {
    {"MAIN.EXE", "MZ program"}, {"readme.txt", "read me"}, {"A.HTM!ENGLISH", "<html>"}, {"E.PNG!ENGLISH\\IMAGES", "png"}};

std::string Problems(const lmvrpack::PayloadReport& report) {
  std::string all;
  for (const std::string& problem : report.problems) all += problem + "\n";
  return all;
}

}  // namespace

TEST(LmvrpackVerify, AGoodPayloadHasItsFiguresAndNoProblem) {
  lmvrpack::PayloadReport report = lmvrpack::CheckPayload(Payload(Compress(Archive(kGood))));
  EXPECT_TRUE(report.problems.empty()) << Problems(report);
  EXPECT_EQ(report.fileCount, 4);
  EXPECT_EQ(report.archiveTotal, (1 + 9 + 10) + (1 + 11 + 7) + (1 + 14 + 6) + (1 + 21 + 3u));
  EXPECT_EQ(report.archiveSize, Archive(kGood).size());
  ASSERT_EQ(report.entries.size(), 4u);
  EXPECT_EQ(report.entries[3].relativePath, "ENGLISH\\IMAGES\\E.PNG");
  EXPECT_EQ(report.entries[3].size, 3u);
  EXPECT_EQ(report.zlibHeader[0], 0x78);
  EXPECT_EQ(report.zlibHeader[1], 0xDA);
}

TEST(LmvrpackVerify, DamageToTheResourceOrTheStreamIsFound) {
  const std::string stream = Compress(Archive(kGood));
  struct Case {
    const char* what;
    std::vector<uint8_t> payload;
    const char* problem;
  };
  std::string badTrailer = stream;
  badTrailer.back() ^= 0x01;
  std::string badData = stream;
  badData[stream.size() / 2] ^= 0x55;
  std::string garbageAfter = stream + "xyz";
  const std::vector<Case> cases = {
      {"too short", {1, 0}, "too short for its length field"},
      {"length beyond the resource", Payload(stream, +1), "only"},
      {"length short of the resource", Payload(stream + "x", -1), "1 bytes follow the compressed stream"},
      {"cut stream", Payload(stream.substr(0, stream.size() - 6)), "cut short"},
      {"Adler-32 check", Payload(badTrailer), "damaged"},
      {"damaged data", Payload(badData), "damaged"},
      {"data after the zlib stream", Payload(garbageAfter), "3 bytes of the compressed data follow"},
      {"zero length", Payload(""), "archive header cannot be read"},
  };
  for (const Case& c : cases) {
    lmvrpack::PayloadReport report = lmvrpack::CheckPayload(c.payload);
    if (c.problem == nullptr) {
      EXPECT_TRUE(report.problems.empty()) << c.what << ": " << Problems(report);
      continue;
    }
    EXPECT_NE(Problems(report).find(c.problem), std::string::npos) << c.what << ": " << Problems(report);
  }
}

TEST(LmvrpackVerify, DamageToTheArchiveIsFound) {
  std::string longName = Archive({{"MAIN.EXE", "x"}});
  longName[6] = 60;  // name length
  std::string unterminated = Archive({{"MAIN.EXE", "x"}});
  unterminated[6 + 9] = 'X';  // where the NUL was
  std::string cutData = Archive(kGood);
  cutData.resize(cutData.size() - 1);
  struct Case {
    const char* what;
    std::string archive;
    const char* problem;
  };
  const std::vector<Case> cases = {
      {"more entries promised", Archive(kGood, +1), "entry 5 of 5: the archive ends before it"},
      {"an entry too many", Archive(kGood, -1), "archive bytes follow the last entry"},
      {"wrong total", Archive(kGood, 0, +4), "but the entries add up to"},
      {"data cut", cutData, "ends inside its data"},
      {"name length", longName, "name length 60 is outside 2 to 52"},
      {"no NUL", unterminated, "does not end in its only NUL"},
      {"no parent", Archive({{"MAIN.EXE", ""}, {"E.PNG!ENGLISH\\IMAGES", ""}}),
       "no earlier entry creates its parent directory ENGLISH"},
      {"parent in other letter case", Archive({{"M", ""}, {"A!english", ""}, {"B!ENGLISH\\IMAGES", ""}}), nullptr},
      {"twice", Archive({{"M", ""}, {"A!D", ""}, {"a!d", ""}}), "a second entry for d\\a"},
      {"bad name", Archive({{"M", ""}, {"A!..", ""}}), "is \".\" or \"..\""},
      {"short header", std::string("\x01\x00\x0A", 3), "archive header cannot be read"},
  };
  for (const Case& c : cases) {
    lmvrpack::PayloadReport report = lmvrpack::CheckPayload(Payload(Compress(c.archive)));
    if (c.problem == nullptr) {
      EXPECT_TRUE(report.problems.empty()) << c.what << ": " << Problems(report);
      continue;
    }
    EXPECT_NE(Problems(report).find(c.problem), std::string::npos) << c.what << ": " << Problems(report);
  }
}

TEST(LmvrpackVerify, TheCommandsPrintTheFiguresAndFailOnProblems) {
  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("lmvrpack-verify-" + std::to_string(getpid()) + ".bin");
  auto write = [&](const std::vector<uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  };
  auto run = [&](const char* command, std::string* out, std::string* err) {
    std::ostringstream o, e;
    int status = lmvrpack::RunCommandLine({command, file.string()}, o, e);
    *out = o.str();
    *err = e.str();
    return status;
  };
  std::string out, err;
  write(Payload(Compress(Archive(kGood))));
  EXPECT_EQ(run("list", &out, &err), 0) << err;
  EXPECT_NE(out.find("E.PNG!ENGLISH\\IMAGES"), std::string::npos) << out;
  EXPECT_NE(out.find("ENGLISH\\IMAGES\\E.PNG"), std::string::npos) << out;
  EXPECT_NE(out.find("FileCount     4\n"), std::string::npos) << out;
  EXPECT_NE(out.find("(zlib header 78 DA)"), std::string::npos) << out;
  EXPECT_EQ(run("verify", &out, &err), 0) << err;
  EXPECT_NE(out.find("ArchiveTotal  85\n"), std::string::npos) << out;

  write(Payload(Compress(Archive(kGood, 0, 1))));
  EXPECT_EQ(run("verify", &out, &err), 1);
  EXPECT_NE(err.find("ArchiveTotal is 86 but the entries add up to 85"), std::string::npos) << err;
  EXPECT_EQ(run("list", &out, &err), 1);

  std::filesystem::remove(file);
  EXPECT_EQ(run("verify", &out, &err), 1);
  EXPECT_NE(err.find("cannot be read"), std::string::npos) << err;
}

// The digest lmvrpack writes beside the payload reads back as written, and whatever
// no longer matches is refused: by the installer's decoding and comparison, and by
// verify, which names it.
TEST(LmvrpackVerify, TheDigestReadsBackAndWhatNoLongerMatchesIsRefused) {
  const std::vector<uint8_t> payload = Payload(Compress(Archive(kGood)));
  const lmvrpack::PayloadReport report = lmvrpack::CheckPayload(payload);
  const pe::Resource written =
      lmvrpack::DigestResource(lmvrpack::DigestOf(payload, report.fileCount, report.archiveTotal, report.entries));
  PayloadDigest read;
  ASSERT_EQ(DecodePayloadDigest(written.data.data(), written.data.size(), &read), 0);
  // "E.PNG!ENGLISH\IMAGES" is the longest name; four files of one unit each, and lmvr.opt.
  EXPECT_EQ(std::make_tuple(read.fileCount, read.archiveTotal, read.longestName), std::make_tuple(4, 85u, 20));
  EXPECT_EQ(std::make_pair(RoomNeeded(&read.room, 4096), RoomNeeded(&read.room, 1 << 20)),
            std::make_pair(uint64_t{5 * 4096}, uint64_t{5} << 20));
  // Four bytes a step from an aligned byte: every start and length near the steps gives zlib's CRC.
  for (size_t start = 0; start < 8; ++start) {
    for (size_t count = 0; count + start <= 40; ++count) {
      ASSERT_EQ(Crc32(0, payload.data() + start, count), crc32(0, payload.data() + start, count)) << start << "+" << count;
    }
  }

  std::vector<uint8_t> changed = payload, selfCrcWrong = written.data;
  changed[payload.size() / 2] ^= 0x01;
  selfCrcWrong[20] ^= 0x01;  // a room sum, the digest's own CRC left as it was
  const struct {
    const char* what;
    std::vector<uint8_t> digest;  // empty: none
    std::vector<uint8_t> payload;
    const char* problem;          // what verify says; nullptr: nothing, and the installer installs
  } cases[] = {
      {"whole", written.data, payload, nullptr},
      {"absent", {}, payload, nullptr},
      {"cut short", std::vector<uint8_t>(written.data.begin(), written.data.end() - 1), payload, "127 bytes instead of 128"},
      {"its own CRC wrong", selfCrcWrong, payload, "its own CRC-32"},
      {"payload changed in one byte", written.data, changed, "the payload's CRC-32 as"},
      {"payload grown", written.data, Payload(Compress(Archive(kGood)) + "x", -1), "the payload's size as"},
  };
  for (const auto& c : cases) {
    PayloadDigest digest;
    bool installs = c.digest.empty() || (DecodePayloadDigest(c.digest.data(), c.digest.size(), &digest) == 0 &&
                                         PayloadMatchesDigest(&digest, c.payload.data(), c.payload.size()) == 0);
    EXPECT_EQ(installs, c.problem == nullptr) << c.what;
    std::vector<pe::Resource> resources(c.digest.empty() ? 0 : 1, written);
    if (!c.digest.empty()) resources[0].data = c.digest;
    lmvrpack::PayloadReport checked = lmvrpack::CheckPayload(c.payload);
    checked.problems.clear();  // the grown payload's trailing byte is verify's other finding
    std::string line;
    lmvrpack::CheckDigest(resources, c.payload, &checked, &line);
    if (c.problem == nullptr) {
      EXPECT_EQ(Problems(checked), "") << c.what;
    } else {
      EXPECT_NE(Problems(checked).find(c.problem), std::string::npos) << c.what << ": " << Problems(checked);
    }
  }
}
