// lmvrpack: reads a payload back, from a payload file or from resource 512/301 of a
// built installer, and checks every part of it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "payload/payload_digest.h"
#include "tools/pe_image/pe_image.h"

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

// The digest of `payload` (its stored bytes' size and CRC-32), whose archive has the
// header `fileCount`, `archiveTotal` and holds `entries` (stored names and sizes).
PayloadDigest DigestOf(const std::vector<uint8_t>& payload, uint16_t fileCount, uint32_t archiveTotal,
                       const std::vector<EntryReport>& entries);

// The digest as the installer's resource 512/303.
pe::Resource DigestResource(const PayloadDigest& digest);

// Checks an installer's digest, when it carries one, against `payload` and what
// CheckPayload read of it: what `list` and `verify` print of it goes to `line`, every
// fault to report->problems. An installer without a digest (built by an older
// lmvrpack) is no fault: its stub checks the payload by inflating it.
void CheckDigest(const std::vector<pe::Resource>& resources, const std::vector<uint8_t>& payload,
                 PayloadReport* report, std::string* line);
}  // namespace lmvrpack
