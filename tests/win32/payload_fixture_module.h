// Payload fixtures for the Windows-side tests: resource-only modules built in
// tests/fixtures, each carrying one payload as resource 512/301. Header only.
#pragma once
#include <windows.h>
#include <zlib.h>

#include <string>

#include "common/installer_instance.h"
#include "common/installer_state.h"
#include "common/payload_figures.h"
#include "payload/file_extraction.h"
#include "payload/payload_reader.h"
#include "test_support.h"

namespace payload_testing {

// Loads tests/fixtures/payload_<name>.dll and makes it the installer's module while
// it lives; the payload counters and the copy state start from zero.
class FixtureModule {
 public:
  explicit FixtureModule(const std::string& name) {
    ResetInstallerState();
    FileCount = 0;
    ArchiveTotal = 0;
    BytesRead = 0;
    ExtractionBusy = 0;
    path_ = testing_support::BuildPath("tests/fixtures/payload_" + name + ".dll");
    module_ = LoadLibraryA(path_.c_str());
    previous_ = InstallerInstance;
    InstallerInstance = module_;
  }
  ~FixtureModule() {
    ClosePayload();
    InstallerInstance = previous_;
    if (module_ != nullptr) FreeLibrary(module_);
  }
  bool loaded() const { return module_ != nullptr; }
  const std::string& path() const { return path_; }

  // The resource as stored: length field and zlib stream.
  std::string Resource() const {
    HRSRC info = FindResourceA(module_, MAKEINTRESOURCEA(301), MAKEINTRESOURCEA(512));
    if (info == nullptr) return std::string();
    const char* data = static_cast<const char*>(LockResource(LoadResource(module_, info)));
    return std::string(data, SizeofResource(module_, info));
  }

  // The archive, inflated in one go by zlib itself, to compare the reader against.
  std::string Archive(size_t limit = 1 << 20) const {
    std::string resource = Resource();
    if (resource.size() < 4) return std::string();
    std::string archive(limit, '\0');
    uLongf size = archive.size();
    if (uncompress(reinterpret_cast<Bytef*>(&archive[0]), &size, reinterpret_cast<const Bytef*>(resource.data() + 4),
                   resource.size() - 4) != Z_OK) {
      return std::string();
    }
    archive.resize(size);
    return archive;
  }

 private:
  std::string path_;
  HMODULE module_ = nullptr;
  HINSTANCE previous_ = nullptr;
};

// The error boxes a watcher saw (its other dialogs left out).
inline std::vector<std::string> ErrorTexts(const testing_support::DialogWatcher& watcher) {
  std::vector<std::string> texts;
  for (const auto& seen : watcher.seen()) {
    if (seen.caption == "Error") texts.push_back(seen.text);
  }
  return texts;
}

// A file of the fixture product tree, as the build wrote it.
inline std::string TreeFile(const std::string& relative) {
  std::string bytes;
  testing_support::ReadFileBytes(testing_support::BuildPath("tests/fixtures/tree/" + relative), &bytes);
  return bytes;
}

}  // namespace payload_testing
