// lmvrpack: the payload resource for a scanned product, and its file on disk.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/lmvrpack/product_scan.h"

namespace lmvrpack {

struct Payload {
  std::vector<uint8_t> bytes;  // length field, then the zlib stream
  uint16_t fileCount = 0;
  uint32_t archiveTotal = 0;
  uint64_t archiveSize = 0;  // the inflated archive
};

// Compresses the archive of `files` (in their order) at level 9. False, with the
// reason in `error`, when a file cannot be read or changed size meanwhile.
bool BuildPayload(const std::vector<ProductFile>& files, Payload* payload, std::string* error);

// Writes `bytes` to `path` through a temporary file, so that a failed run leaves no
// half-written payload behind for a build to pick up.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

// A Make-style dependency file: `target` depends on every file and directory read,
// the product's and the other `inputs` (the stub, language files and folders).
std::string DependencyText(const std::string& target, const ProductScan& scan,
                           const std::vector<std::string>& inputs = {});

}  // namespace lmvrpack
