#include "tools/lmvrpack/product_scan.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "payload/archive_format.h"

namespace fs = std::filesystem;

namespace lmvrpack {

namespace {

const uint64_t kFileSizeLimit = kArchiveValueLimit;  // 2 GiB

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  }
  return text;
}

std::string JoinLevels(const std::vector<std::string>& levels, char separator) {
  std::string joined;
  for (const std::string& level : levels) {
    if (!joined.empty()) joined += separator;
    joined += level;
  }
  return joined;
}

struct Walker {
  fs::path root;
  std::vector<std::string> mainLevels;  // the main program, split into its levels
  ProductScan* scan = nullptr;
  bool mainFound = false;

  std::string Shown(const std::vector<std::string>& levels) const {
    std::string shown = root.string();
    for (const std::string& level : levels) shown += "/" + level;
    return shown;
  }

  void Refuse(const std::vector<std::string>& levels, const std::string& reason) {
    scan->problems.push_back({Shown(levels), reason});
  }

  ProductFile Entry(const std::vector<std::string>& directory, const std::string& name, const fs::path& source,
                    uint64_t size) {
    ProductFile file;
    file.entryName = name;
    file.relativePath = name;
    if (!directory.empty()) {
      file.entryName += "!" + JoinLevels(directory, '\\');
      file.relativePath = JoinLevels(directory, '\\') + "\\" + name;
    }
    file.source = source;
    file.size = size;
    return file;
  }

  // Reads one directory and, depth first, the ones below it. Returns whether any
  // file was found in it or below it.
  bool Walk(const fs::path& path, const std::vector<std::string>& levels) {
    scan->directories.push_back(path);
    std::vector<std::pair<std::string, fs::path>> files;
    std::vector<std::pair<std::string, fs::path>> subdirectories;
    std::map<std::string, std::string> byFoldedName;
    std::error_code error;
    fs::directory_iterator it(path, error);
    if (error) {
      Refuse(levels, "cannot be read: " + error.message());
      return false;
    }
    for (; it != fs::directory_iterator(); it.increment(error)) {
      std::string name;
      try {
        name = it->path().filename().string();
      } catch (const std::exception&) {
        Refuse(levels, "holds a name that cannot be represented in the ANSI code page");
        continue;
      }
      std::vector<std::string> here = levels;
      here.push_back(name);
      EntryNameProblem problem = CheckNameLevel(name.data(), name.size());
      if (problem != kEntryNameOk) {
        Refuse(here, std::string("name ") + EntryNameProblemText(problem));
        continue;
      }
      auto previous = byFoldedName.emplace(UpperAscii(name), name);
      if (!previous.second) {
        Refuse(here, "differs from \"" + previous.first->second +
                         "\" only in letter case; Windows would make them one file");
        continue;
      }
      std::error_code typeError;
      if (it->is_directory(typeError)) {
        subdirectories.emplace_back(name, it->path());
      } else if (it->is_regular_file(typeError)) {
        files.emplace_back(name, it->path());
      } else {
        Refuse(here, "is neither a regular file nor a directory");
      }
    }
    if (error) Refuse(levels, "cannot be read to its end: " + error.message());
    std::sort(files.begin(), files.end());
    std::sort(subdirectories.begin(), subdirectories.end());

    bool holdsMain = mainLevels.size() == levels.size() + 1 &&
                     std::equal(levels.begin(), levels.end(), mainLevels.begin());
    bool ownFile = false;
    for (const auto& [name, source] : files) {
      std::vector<std::string> here = levels;
      here.push_back(name);
      std::error_code sizeError;
      uint64_t size = fs::file_size(source, sizeError);
      if (sizeError) {
        Refuse(here, "cannot be read: " + sizeError.message());
        continue;
      }
      ownFile = true;
      if (size >= kFileSizeLimit) {
        Refuse(here, "is " + std::to_string(size) + " bytes; files must be smaller than 2 GiB");
        continue;
      }
      ProductFile file = Entry(levels, name, source, size);
      if (file.entryName.size() > kEntryNameMaxLength) {
        Refuse(here, "gives the entry name \"" + file.entryName + "\" of " + std::to_string(file.entryName.size()) +
                         " bytes; the installer reads names of at most 51 bytes");
        continue;
      }
      if (holdsMain && name == mainLevels.back()) {
        mainFound = true;
        scan->files.insert(scan->files.begin(), file);
      } else {
        scan->files.push_back(file);
      }
    }

    bool filesBelow = false;
    for (const auto& [name, source] : subdirectories) {
      std::vector<std::string> here = levels;
      here.push_back(name);
      // The shortest entry in it would be one character, "!" and this path.
      if (JoinLevels(here, '\\').size() + 2 > kEntryNameMaxLength) {
        Refuse(here, "has a path too long for any entry name of at most 51 bytes (file name, \"!\" and "
                     "directory path)");
        continue;
      }
      if (Walk(source, here)) filesBelow = true;
    }
    if (filesBelow && !ownFile && !levels.empty()) {
      Refuse(levels, "holds subdirectories but no file of its own; the installer creates one directory "
                     "level per file, so the directories below it could never be created");
    }
    if (!filesBelow && !ownFile && !levels.empty()) {
      scan->notes.push_back({Shown(levels), "holds no file and is left out"});
    }
    return ownFile || filesBelow;
  }
};

// Splits the main program's path into its levels; false when it cannot name a file
// inside the product folder.
bool SplitMainProgram(const std::string& mainProgram, std::vector<std::string>* levels) {
  if (mainProgram.empty() || mainProgram[0] == '/' || mainProgram[0] == '\\') return false;
  std::string level;
  for (size_t i = 0; i <= mainProgram.size(); ++i) {
    char c = i < mainProgram.size() ? mainProgram[i] : '/';
    if (c == '/' || c == '\\') {
      if (level.empty() || level == "." || level == "..") return false;
      levels->push_back(level);
      level.clear();
    } else if (c == ':') {
      return false;
    } else {
      level += c;
    }
  }
  return true;
}

}  // namespace

ProductScan ScanProduct(const fs::path& productDir, const std::string& mainProgram) {
  ProductScan scan;
  Walker walker;
  walker.root = productDir;
  walker.scan = &scan;

  std::error_code error;
  if (!fs::is_directory(productDir, error)) {
    scan.problems.push_back({productDir.string(), "is not a directory"});
    return scan;
  }
  if (!SplitMainProgram(mainProgram, &walker.mainLevels)) {
    scan.problems.push_back({mainProgram, "cannot be the main program: give its path relative to the product "
                                          "folder, without \"..\""});
    return scan;
  }
  if (walker.mainLevels.size() > 2) {
    // The first entry can create one directory level, below the install directory.
    scan.problems.push_back({walker.Shown(walker.mainLevels),
                             "is the main program, which is installed first and so must lie in the product "
                             "folder or in one of its direct subdirectories"});
  }

  walker.Walk(productDir, {});

  if (!walker.mainFound && walker.mainLevels.size() <= 2) {
    scan.problems.push_back({walker.Shown(walker.mainLevels), "is the main program, but it is not a file in the "
                                                              "product folder"});
  }
  if (scan.files.size() > kArchiveMaxEntries) {
    scan.problems.push_back({productDir.string(), "holds " + std::to_string(scan.files.size()) +
                                                      " files; an archive holds at most 65535 entries"});
  }
  for (const ProductFile& file : scan.files) {
    if (AddEntryToArchiveTotal(&scan.archiveTotal, file.entryName.size() + 1, (uint32_t)file.size) != 0) {
      scan.problems.push_back({productDir.string(), "holds more than 2 GiB of files and names; ArchiveTotal "
                                                    "must stay below 2^31"});
      break;
    }
  }
  return scan;
}

}  // namespace lmvrpack
