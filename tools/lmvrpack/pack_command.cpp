// lmvrpack pack and build: a product folder packed into a payload file or into an
// installer made from the stub, with its languages and texts.
#include <chrono>
#include <iomanip>

#include "payload/archive_format.h"
#include "tools/lmvrpack/commands.h"
#include "tools/lmvrpack/installer_image.h"
#include "tools/lmvrpack/payload_check.h"
#include "tools/lmvrpack/payload_writer.h"
#include "tools/lmvrpack/product_scan.h"
#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

namespace {

// The version and publisher of the uninstall entry: what --version and --publisher
// give, else what the main program's version resource holds. A damaged resource is
// refused only when it is still needed.
void ProductTextsOfBuild(const std::string& mainPath, const std::string given[2], const bool isGiven[2],
                      ProductTexts* texts, std::vector<Problem>* problems, std::ostream& err) {
  std::string note, error;
  if (!isGiven[0] || !isGiven[1]) {
    std::vector<uint8_t> bytes;
    if (!pe::ReadFile(mainPath, &bytes)) {
      problems->push_back({mainPath, "cannot be read"});
      return;
    }
    if (!ProductTextsOfProgram(bytes, texts, &note, &error)) {
      problems->push_back({mainPath, error + " (--version and --publisher give both instead)"});
      return;
    }
  }
  std::string* into[2] = {&texts->version, &texts->publisher};
  const char* option[2] = {"--version", "--publisher"};
  for (int i = 0; i < 2; ++i) {
    if (isGiven[i] && !ProductTextFromArgument(given[i], into[i], &error)) problems->push_back({option[i], error});
  }
  if (!note.empty() && (!isGiven[0] || !isGiven[1])) err << "lmvrpack: note: " << mainPath << ": " << note << "\n";
}

}  // namespace

// Packs a product folder into a payload file (pack) or into an installer made from a
// stub (build): one path, so both give the same payload.
int RunPack(const PackArguments& a, std::ostream& out, std::ostream& err) {
  const bool build = a.build;
  const std::string &productDir = a.productDir, &stubPath = a.stubPath, &output = a.output;
  auto start = std::chrono::steady_clock::now();
  std::vector<uint8_t> stub;
  if (build && !pe::ReadFile(stubPath, &stub)) {
    err << "lmvrpack: " << stubPath << ": cannot be read\n";
    return 1;
  }
  std::vector<std::string> inputs;
  if (build) inputs.push_back(stubPath);
  LanguagePack languagePack;
  if (!a.languages.empty() || !a.licences.empty()) {
    pe::Image stubImage;
    std::vector<pe::Resource> stubResources;
    std::map<int, DialogTemplate> bases;
    std::string why;
    if (pe::Parse(stub, &stubImage, &why) && pe::ReadResources(stubImage, &stubResources, &why) &&
        BaseTemplatesOf(stubResources, &bases, &why)) {
      languagePack = ReadLanguages(a.languages, a.licences, bases, &inputs);
    } else {
      languagePack.refusals.push_back({stubPath, 0, why});
    }
    PrintProblems(err, languagePack.notes, "note: ");
  }
  ProductScan scan = ScanProduct(productDir, a.mainProgram);
  for (const Problem& note : scan.notes) err << "lmvrpack: note: " << note.file << ": " << note.reason << "\n";
  ProductTexts texts;
  if (build && scan.problems.empty()) {
    ProductTextsOfBuild(scan.files.front().source.string(), a.givenTexts, a.textGiven, &texts, &scan.problems, err);
  }
  PrintProblems(err, languagePack.refusals, "");
  if (!scan.problems.empty() || !languagePack.refusals.empty()) {
    for (const Problem& problem : scan.problems) err << "lmvrpack: " << problem.file << ": " << problem.reason << "\n";
    err << "lmvrpack: " << (scan.problems.empty() ? "the languages" : productDir) << " refused, no "
        << (build ? "installer" : "payload") << " written\n";
    return 1;
  }
  Payload payload;
  std::string error;
  if (!BuildPayload(scan.files, &payload, &error)) {
    err << "lmvrpack: " << error << "\n";
    return 1;
  }
  const std::vector<uint8_t>* written = &payload.bytes;
  std::vector<uint8_t> installer;
  if (build) {
    // The installer checks its payload against the digest, at the speed of reading it.
    std::vector<EntryReport> packed;
    for (const ProductFile& file : scan.files) packed.push_back({file.entryName, file.relativePath, (uint32_t)file.size});
    languagePack.resources.push_back(
        DigestResource(DigestOf(payload.bytes, payload.fileCount, payload.archiveTotal, packed)));
    std::string note;
    pe::Resource textsResource;
    if (ProductTextsResource(texts, &textsResource)) languagePack.resources.push_back(textsResource);
    if (!BuildInstallerImage(stub, payload.bytes, &installer, &note, &error, languagePack.resources)) {
      err << "lmvrpack: " << stubPath << ": " << error << "\n";
      return 1;
    }
    if (!note.empty()) err << "lmvrpack: note: " << stubPath << ": " << note << "\n";
    written = &installer;
  }
  if (!WriteFileAtomically(output, *written, &error)) {
    err << "lmvrpack: " << error << "\n";
    return 1;
  }
  if (!a.depfile.empty()) {
    std::vector<uint8_t> text;
    std::string dependencies = DependencyText(output, scan, inputs);
    text.assign(dependencies.begin(), dependencies.end());
    if (!WriteFileAtomically(a.depfile, text, &error)) {
      err << "lmvrpack: " << error << "\n";
      return 1;
    }
  }
  if (!a.quiet) {
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out << "packed " << payload.fileCount << " entries of " << productDir << " into " << output << "\n";
    if (build) {
      out << "installer     " << installer.size() << " bytes, from the stub " << stubPath << "\n";
      PrintTexts(out, texts);
    }
    out << "ArchiveTotal  " << payload.archiveTotal << "\n";
    out << "archive       " << payload.archiveSize << " bytes inflated\n";
    out << "compressed    " << payload.bytes.size() - kPayloadLengthFieldSize << " bytes\n";
    out << "took          " << std::fixed << std::setprecision(3) << seconds << " s\n" << std::defaultfloat;
  }
  return 0;
}

}  // namespace lmvrpack
