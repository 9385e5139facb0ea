// lmvrpack list and verify: a payload or a built installer checked and described.
#include <iomanip>

#include "payload/archive_format.h"
#include "tools/lmvrpack/carried_languages.h"
#include "tools/lmvrpack/code_page_1252.h"
#include "tools/lmvrpack/commands.h"
#include "tools/lmvrpack/payload_check.h"
#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

namespace {

void PrintFigures(std::ostream& out, const PayloadReport& report) {
  out << "FileCount     " << report.fileCount << "\n";
  out << "ArchiveTotal  " << report.archiveTotal << "\n";
  out << "archive       " << report.archiveSize << " bytes inflated\n";
  out << "compressed    " << report.lengthField << " bytes (zlib header " << std::hex << std::uppercase
      << std::setfill('0') << std::setw(2) << (int)report.zlibHeader[0] << " " << std::setw(2)
      << (int)report.zlibHeader[1] << std::dec << std::setfill(' ') << ")\n";
  out << "resource      " << report.resourceSize << " bytes\n";
}

}  // namespace

void PrintTexts(std::ostream& out, const ProductTexts& texts) {
  out << "version       " << (texts.version.empty() ? "(none)" : Cp1252ToUtf8(texts.version)) << "\n";
  out << "publisher     " << (texts.publisher.empty() ? "(none)" : Cp1252ToUtf8(texts.publisher)) << "\n";
}

int RunInspect(const std::string& file, bool list, std::ostream& out, std::ostream& err) {
  std::vector<uint8_t> payload;
  bool fromImage = false;
  std::string error;
  if (!LoadPayload(file, &payload, &fromImage, &error)) {
    err << "lmvrpack: " << error << "\n";
    return 1;
  }
  PayloadReport report = CheckPayload(payload);
  out << file << (fromImage ? ": installer, resource 512/301" : ": payload") << "\n";
  if (list) {
    for (const EntryReport& entry : report.entries) {
      out << std::setw(10) << entry.size << "  " << std::left << std::setw(kEntryNameMaxLength) << entry.name
          << std::right << "  " << entry.relativePath << "\n";
    }
  }
  PrintFigures(out, report);
  if (fromImage) {
    // The languages it carries beside English: message tables and dialog variants.
    pe::Image image;
    std::vector<pe::Resource> resources;
    if (pe::LoadFile(file, &image, &error) && pe::ReadResources(image, &resources, &error)) {
      std::string digest;
      CheckDigest(resources, payload, &report, &digest);
      out << "digest        " << digest << "\n";
      ProductTexts texts;
      ReadProductTexts(resources, &texts, &report.problems);
      PrintTexts(out, texts);
      CarriedLanguages languages = DescribeLanguages(resources);
      for (size_t i = 0; i < languages.lines.size(); ++i) out << (i == 0 ? "languages     " : "              ") << languages.lines[i] << "\n";
      report.problems.insert(report.problems.end(), languages.problems.begin(), languages.problems.end());
    }
  }
  for (const std::string& problem : report.problems) err << "lmvrpack: " << file << ": " << problem << "\n";
  if (!report.problems.empty()) return 1;
  out << "verified: all is well\n";
  return 0;
}

}  // namespace lmvrpack
