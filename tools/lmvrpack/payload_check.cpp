#include "tools/lmvrpack/payload_check.h"

#include <zlib.h>

#include <algorithm>
#include <iomanip>
#include <set>
#include <sstream>

#include "payload/archive_format.h"
#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

namespace {

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  }
  return text;
}

// Pulls inflated bytes on demand, as the installer does, so that a large archive is
// never held whole.
class Inflater {
 public:
  Inflater(const uint8_t* data, size_t size) {
    stream_.next_in = const_cast<Bytef*>(data);
    stream_.avail_in = (uInt)size;
    status_ = inflateInit(&stream_);
  }
  ~Inflater() { inflateEnd(&stream_); }

  size_t Read(void* out, size_t size) {
    if (size == 0 || (status_ != Z_OK)) return 0;
    stream_.next_out = static_cast<Bytef*>(out);
    stream_.avail_out = (uInt)size;
    // Z_BUF_ERROR: inflate wants input that is not there, the stream is cut.
    while (stream_.avail_out > 0 && status_ == Z_OK) status_ = inflate(&stream_, Z_NO_FLUSH);
    size_t got = size - stream_.avail_out;
    total_ += got;
    return got;
  }

  // Reads and drops `size` bytes; returns how many there were.
  uint64_t Skip(uint64_t size) {
    uint64_t skipped = 0;
    unsigned char buffer[65536];
    while (skipped < size) {
      size_t piece = size - skipped < sizeof buffer ? (size_t)(size - skipped) : sizeof buffer;
      size_t got = Read(buffer, piece);
      skipped += got;
      if (got < piece) break;
    }
    return skipped;
  }

  int status() const { return status_; }
  uInt inputLeft() const { return stream_.avail_in; }
  uint64_t total() const { return total_; }
  std::string Describe() const {
    switch (status_) {
      case Z_STREAM_END:
        return "the zlib stream ended";
      case Z_BUF_ERROR:
        return "the zlib stream is cut short";
      case Z_DATA_ERROR:
        return std::string("the zlib stream is damaged (") + (stream_.msg ? stream_.msg : "data error") + ")";
      case Z_MEM_ERROR:
        return "zlib ran out of memory";
      default:
        return "zlib failed (" + std::to_string(status_) + ")";
    }
  }

 private:
  z_stream stream_{};
  int status_ = Z_OK;
  uint64_t total_ = 0;
};

void CheckZlibHeader(PayloadReport* report) {
  uint8_t cmf = report->zlibHeader[0];
  uint8_t flg = report->zlibHeader[1];
  if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7) {
    report->problems.push_back("the zlib header does not announce deflate with a window of at most 32 KiB");
  } else if (((cmf << 8) | flg) % 31 != 0) {
    report->problems.push_back("the zlib header's check bits are wrong");
  } else if (flg & 0x20) {
    report->problems.push_back("the zlib stream asks for a preset dictionary, which the installer does not have");
  }
}

// Reads the entries; false when the archive cannot be read further.
bool CheckEntries(Inflater* inflater, PayloadReport* report) {
  std::set<std::string> directories;  // created by earlier entries, letter case folded
  std::set<std::string> paths;
  uint32_t total = 0;
  bool totalFits = true;
  for (uint32_t index = 0; index < report->fileCount; ++index) {
    std::string where = "entry " + std::to_string(index + 1) + " of " + std::to_string(report->fileCount);
    unsigned char nameField = 0;
    if (inflater->Read(&nameField, 1) != 1) {
      report->problems.push_back(where + ": the archive ends before it (" + inflater->Describe() + ")");
      return false;
    }
    if (!EntryNameFieldValid(nameField)) {
      report->problems.push_back(where + ": name length " + std::to_string(nameField) +
                                 " is outside 2 to 52");
      return false;
    }
    char name[kEntryNameBufferSize];
    unsigned char lengthField[kDataLengthFieldSize];
    if (inflater->Read(name, nameField) != nameField ||
        inflater->Read(lengthField, sizeof lengthField) != sizeof lengthField) {
      report->problems.push_back(where + ": the archive ends inside its header (" + inflater->Describe() + ")");
      return false;
    }
    if (!EntryNameTerminated(name, nameField)) {
      report->problems.push_back(where + ": its name does not end in its only NUL");
      return false;
    }
    EntryReport entry;
    entry.name = name;
    entry.size = ReadLittleEndian32(lengthField);
    char relative[kEntryNameBufferSize + 1];
    EntryRelativePath(name, relative, sizeof relative);
    entry.relativePath = relative;
    where += " \"" + entry.name + "\"";

    EntryNameProblem problem = CheckEntryName(name);
    if (problem != kEntryNameOk) report->problems.push_back(where + ": the name " + EntryNameProblemText(problem));
    if (!EntryDataLengthValid(entry.size)) {
      report->problems.push_back(where + ": data length " + std::to_string(entry.size) + " is 2 GiB or more");
      return false;
    }
    if (totalFits && AddEntryToArchiveTotal(&total, nameField, entry.size) != 0) {
      report->problems.push_back(where + ": ArchiveTotal passes 2^31 here");
      totalFits = false;
    }
    if (!paths.insert(UpperAscii(entry.relativePath)).second) {
      report->problems.push_back(where + ": a second entry for " + entry.relativePath);
    }
    if (const char* directory = EntryDirectoryPart(name)) {
      std::string folded = UpperAscii(directory);
      size_t cut = folded.rfind('\\');
      if (cut != std::string::npos && directories.count(folded.substr(0, cut)) == 0) {
        report->problems.push_back(where + ": no earlier entry creates its parent directory " +
                                   std::string(directory).substr(0, cut) +
                                   ", so the installer cannot create " + directory);
      }
      directories.insert(folded);
    }
    report->entries.push_back(entry);
    if (inflater->Skip(entry.size) != entry.size) {
      report->problems.push_back(where + ": the archive ends inside its data (" + inflater->Describe() + ")");
      return false;
    }
  }
  if (totalFits && total != report->archiveTotal) {
    report->problems.push_back("ArchiveTotal is " + std::to_string(report->archiveTotal) + " but the entries add up to " +
                               std::to_string(total));
  }
  return true;
}

}  // namespace

bool LoadPayload(const std::string& path, std::vector<uint8_t>* payload, bool* fromImage, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!pe::ReadFile(path, &bytes)) {
    *error = path + ": cannot be read";
    return false;
  }
  *fromImage = bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z';
  if (!*fromImage) {
    *payload = std::move(bytes);
    return true;
  }
  pe::Image image;
  std::string why;
  if (!pe::Parse(std::move(bytes), &image, &why)) {
    *error = path + ": starts like a Windows image but is none: " + why;
    return false;
  }
  std::vector<pe::Resource> resources;
  if (!pe::ReadResources(image, &resources, &why)) {
    *error = path + ": its resources cannot be read: " + why;
    return false;
  }
  const pe::Resource* resource = pe::FindNumericResource(resources, kPayloadResourceType, kPayloadResourceId);
  if (resource == nullptr) {
    *error = path + ": holds no payload (resource type 512, id 301)";
    return false;
  }
  *payload = resource->data;
  return true;
}

PayloadReport CheckPayload(const std::vector<uint8_t>& payload) {
  PayloadReport report;
  report.resourceSize = payload.size();
  if (payload.size() < kPayloadLengthFieldSize) {
    report.problems.push_back("the payload is " + std::to_string(payload.size()) +
                              " bytes, too short for its length field");
    return report;
  }
  report.lengthField = ReadLittleEndian32(payload.data());
  uint64_t following = payload.size() - kPayloadLengthFieldSize;
  if (report.lengthField > following) {
    report.problems.push_back("the length field says " + std::to_string(report.lengthField) + " bytes but only " +
                              std::to_string(following) + " follow it");
    return report;
  }
  if (report.lengthField < following) {
    report.problems.push_back(std::to_string(following - report.lengthField) +
                              " bytes follow the compressed stream");
  }
  if (report.lengthField >= 2) {
    report.zlibHeader[0] = payload[4];
    report.zlibHeader[1] = payload[5];
    CheckZlibHeader(&report);
  }

  Inflater inflater(payload.data() + kPayloadLengthFieldSize, report.lengthField);
  unsigned char header[kArchiveHeaderSize];
  if (inflater.Read(header, sizeof header) != sizeof header) {
    report.problems.push_back("the archive header cannot be read (" + inflater.Describe() + ")");
    report.archiveSize = inflater.total();
    return report;
  }
  report.headerRead = true;
  DecodeArchiveHeader(header, &report.fileCount, &report.archiveTotal);
  if (CheckEntries(&inflater, &report)) {
    unsigned char beyond[256];
    uint64_t extra = 0;
    for (size_t got; (got = inflater.Read(beyond, sizeof beyond)) > 0;) extra += got;
    if (extra > 0) {
      report.problems.push_back(std::to_string(extra) + " archive bytes follow the last entry");
    }
    if (inflater.status() != Z_STREAM_END) {
      report.problems.push_back("after the last entry: " + inflater.Describe() +
                                " instead of ending at its Adler-32 check");
    } else if (inflater.inputLeft() != 0) {
      report.problems.push_back(std::to_string(inflater.inputLeft()) +
                                " bytes of the compressed data follow the end of the zlib stream");
    }
  }
  report.archiveSize = inflater.total();
  return report;
}

PayloadDigest DigestOf(const std::vector<uint8_t>& payload, uint16_t fileCount, uint32_t archiveTotal,
                       const std::vector<EntryReport>& entries) {
  PayloadDigest digest{};
  digest.resourceSize = (uint32_t)payload.size();
  digest.resourceCrc = Crc32(0, payload.data(), payload.size());
  digest.fileCount = fileCount;
  digest.archiveTotal = archiveTotal;
  ClearRoomTable(&digest.room);
  for (const EntryReport& entry : entries) {
    digest.longestName = std::max<uint16_t>(digest.longestName, (uint16_t)entry.name.size());
    AddFileToRoom(&digest.room, entry.size);
  }
  return digest;
}

pe::Resource DigestResource(const PayloadDigest& digest) {
  pe::Resource resource;
  resource.type = kPayloadResourceType;
  resource.id = kPayloadDigestId;
  resource.language = 0x0409;
  resource.data.resize(kPayloadDigestSize);
  EncodePayloadDigest(&digest, resource.data.data());
  return resource;
}

void CheckDigest(const std::vector<pe::Resource>& resources, const std::vector<uint8_t>& payload,
                 PayloadReport* report, std::string* line) {
  const pe::Resource* found = pe::FindNumericResource(resources, kPayloadResourceType, kPayloadDigestId);
  if (found == nullptr) {
    *line = "none (resource 512/303): the installer checks the payload by inflating it";
    return;
  }
  PayloadDigest stored;
  if (DecodePayloadDigest(found->data.data(), found->data.size(), &stored) != 0) {
    *line = "damaged";
    report->problems.push_back("resource 512/303, the payload's digest, is damaged: " +
                               (found->data.size() != kPayloadDigestSize
                                    ? std::to_string(found->data.size()) + " bytes instead of " +
                                          std::to_string(kPayloadDigestSize)
                                    : std::string("its mark, its own CRC-32 or a figure is wrong")) +
                               "; the installer refuses to install");
    return;
  }
  std::ostringstream text;
  text << "CRC-32 " << std::hex << std::uppercase << std::setfill('0') << std::setw(8) << stored.resourceCrc
       << std::dec << " of " << stored.resourceSize << " bytes, " << stored.fileCount << " entries, longest name "
       << stored.longestName << " bytes";
  *line = text.str();
  if (!report->problems.empty()) return;
  PayloadDigest actual = DigestOf(payload, report->fileCount, report->archiveTotal, report->entries);
  auto differs = [&](const char* what, uint64_t says, uint64_t is) {
    if (says != is) {
      report->problems.push_back(std::string("the digest (resource 512/303) gives ") + what + " " +
                                 std::to_string(says) + ", the payload has " + std::to_string(is) +
                                 "; the installer refuses to install");
    }
  };
  differs("the payload's size as", stored.resourceSize, actual.resourceSize);
  differs("the payload's CRC-32 as", stored.resourceCrc, actual.resourceCrc);
  differs("FileCount as", stored.fileCount, actual.fileCount);
  differs("ArchiveTotal as", stored.archiveTotal, actual.archiveTotal);
  differs("the longest name's length as", stored.longestName, actual.longestName);
  for (int i = 0; i < kRoomUnitCount; ++i) {
    std::string unit = "the room with units of " + std::to_string(kSmallestRoomUnit << i) + " bytes as";
    differs(unit.c_str(), stored.room.bytes[i], actual.room.bytes[i]);
  }
}

}  // namespace lmvrpack
