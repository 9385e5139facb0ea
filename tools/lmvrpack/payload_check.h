// lmvrpack: reads a payload back, from a payload file or from resource 512/301 of a
// built installer, and checks every part of it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace lmvrpack {

struct EntryReport {
  std::string name;          // as stored
  std::string relativePath;  // where the installer writes it
  uint32_t size = 0;
};

struct PayloadReport {
  uint64_t resourceSize = 0;
  uint32_t lengthField = 0;
  uint8_t zlibHeader[2] = {0, 0};
  bool headerRead = false;
  uint16_t fileCount = 0;
  uint32_t archiveTotal = 0;
  uint64_t archiveSize = 0;  // inflated bytes seen
  std::vector<EntryReport> entries;
  std::vector<std::string> problems;  // empty when all is well
};

// The payload bytes of `path`: the file itself, or, for a PE image, its resource
// 512/301. False with the reason in `error` when there is none to read.
bool LoadPayload(const std::string& path, std::vector<uint8_t>* payload, bool* fromImage, std::string* error);

// Checks the length field, the zlib stream to its end (Adler-32 included), the
// archive's structure, ArchiveTotal, that nothing follows the last entry, and that
// every entry's directory has its parent created by an earlier entry.
PayloadReport CheckPayload(const std::vector<uint8_t>& payload);

}  // namespace lmvrpack
