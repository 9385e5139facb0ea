// lmvrpack winget: the manifest of a built installer from its own bytes and
// resources, written into the folder given.
#include <filesystem>

#include "payload/archive_format.h"
#include "tools/lmvrpack/code_page_1252.h"
#include "tools/lmvrpack/commands.h"
#include "tools/lmvrpack/payload_writer.h"
#include "tools/lmvrpack/sha256.h"
#include "tools/lmvrpack/winget_manifest.h"
#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

namespace {

// The installer's own figures, or false with the reason.
bool FiguresOfInstaller(const std::vector<uint8_t>& bytes, WingetFigures* figures, std::string* error) {
  pe::Image image;
  std::vector<pe::Resource> resources;
  if (!pe::Parse(bytes, &image, error) || !pe::ReadResources(image, &resources, error)) return false;
  if (image.machine != pe::kMachineI386 ||
      pe::FindNumericResource(resources, kPayloadResourceType, kPayloadResourceId) == nullptr) {
    *error = "not an installer for winget: a " + pe::FormatName(image.magic) + " image for " +
             pe::MachineName(image.machine) + ", which needs to be PE32 for i386 and to carry a payload";
    return false;
  }
  ProductTexts texts;
  std::vector<std::string> problems;
  bool carried = ReadProductTexts(resources, &texts, &problems);
  if (!problems.empty()) {
    *error = problems.front();
    return false;
  }
  if (!carried || texts.version.empty() || texts.publisher.empty()) {
    *error = std::string("the installer names no ") + (texts.version.empty() ? "version" : "publisher") +
             ", which winget needs: build it from a main program with a version resource, or give --version and "
             "--publisher to lmvrpack build";
    return false;
  }
  figures->version = Cp1252ToUtf8(texts.version);
  figures->publisher = Cp1252ToUtf8(texts.publisher);
  figures->sha256 = Sha256Hex(bytes);
  return true;
}

}  // namespace

int RunWinget(const WingetArguments& a, std::ostream& out, std::ostream& err) {
  WingetFigures figures;
  figures.id = a.id;
  figures.url = a.url;
  figures.license = a.license;
  figures.description = a.description;
  std::string error;
  std::vector<uint8_t> bytes;
  if (!CheckWingetIdentifier(a.id, &error) || !CheckWingetUrl(a.url, &error)) {
    err << "lmvrpack: " << error << "\n";
    return 1;
  }
  if (!pe::ReadFile(a.installer, &bytes)) error = "cannot be read";
  std::vector<WingetFile> files;
  if (!error.empty() || !FiguresOfInstaller(bytes, &figures, &error) || !MakeWingetManifest(figures, &files, &error)) {
    err << "lmvrpack: " << a.installer << ": " << error << "; no manifest written\n";
    return 1;
  }
  std::error_code failed;
  std::filesystem::create_directories(a.outDir, failed);
  for (const WingetFile& file : files) {
    std::string path = (std::filesystem::path(a.outDir) / file.name).string();
    if (!WriteFileAtomically(path, std::vector<uint8_t>(file.text.begin(), file.text.end()), &error)) {
      err << "lmvrpack: " << error << "\n";
      return 1;
    }
    out << "wrote " << path << "\n";
  }
  out << "version       " << figures.version << "\npublisher     " << figures.publisher << "\nsha256        "
      << figures.sha256 << "\n";
  return 0;
}

}  // namespace lmvrpack
