// lmvrpack: turns a product folder into the ordered list of archive entries, or
// into the list of reasons why it cannot be installed.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lmvrpack {

struct ProductFile {
  std::string entryName;     // "ADJUST.HTM!ENGLISH"
  std::string relativePath;  // "ENGLISH\ADJUST.HTM"
  std::filesystem::path source;
  uint64_t size = 0;
};

struct Problem {
  std::string file;  // the file or directory concerned, as the vendor named it
  std::string reason;
};

struct ProductScan {
  // In archive order: the main program, then every other file, a directory's
  // parent always before it (see README.md).
  std::vector<ProductFile> files;
  std::vector<Problem> problems;
  std::vector<Problem> notes;  // worth saying, not a reason to refuse
  // Every directory read, for build systems that rebuild when files come or go.
  std::vector<std::filesystem::path> directories;
  uint32_t archiveTotal = 0;
};

// Reads `productDir`; `mainProgram` is the main program's path relative to it, with
// "/" or "\" between levels. The scan is usable when `problems` is empty.
ProductScan ScanProduct(const std::filesystem::path& productDir, const std::string& mainProgram);

}  // namespace lmvrpack
