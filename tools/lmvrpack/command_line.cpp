#include "tools/lmvrpack/command_line.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "payload/archive_format.h"
#include "tools/lmvrpack/carried_languages.h"
#include "tools/lmvrpack/code_page_1252.h"
#include "tools/lmvrpack/installer_image.h"
#include "tools/lmvrpack/language_pack.h"
#include "tools/lmvrpack/payload_check.h"
#include "tools/lmvrpack/payload_writer.h"
#include "tools/lmvrpack/product_scan.h"
#include "tools/lmvrpack/product_texts.h"
#include "tools/lmvrpack/translation_template.h"
#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

namespace {

const char kUsage[] =
    "usage: lmvrpack COMMAND [ARGUMENTS]\n"
    "\n"
    "  build PRODUCT_DIR --main PATH --stub STUB -o INSTALLER [--language FILE|FOLDER]...\n"
    "        [--licence LETTER=FILE]... [--version TEXT] [--publisher TEXT]\n"
    "                                            make an installer for a product folder\n"
    "  pack PRODUCT_DIR --main PATH -o PAYLOAD   pack a product folder into a payload\n"
    "  list FILE                                 list the entries and languages of a payload\n"
    "                                            or installer\n"
    "  verify FILE                               check a payload or installer\n"
    "  check --stub STUB FILE|FOLDER...          check language files as build does\n"
    "  template --stub STUB -o lumivora.pot      write the template for new translations\n"
    "\n"
    "lmvrpack COMMAND --help describes one command.\n";

const char kPackHelp[] =
    "usage: lmvrpack pack PRODUCT_DIR --main PATH -o PAYLOAD [--depfile FILE] [--quiet]\n"
    "\n"
    "Packs every file below PRODUCT_DIR into PAYLOAD, the installer's resource 512/301:\n"
    "a 4-byte little-endian length, then one zlib stream (level 9) of the archive.\n"
    "\n"
    "  --main PATH      the main program, relative to PRODUCT_DIR (\"/\" or \"\\\" between\n"
    "                   levels); it becomes the first entry, the program the installer\n"
    "                   registers and starts. It lies in PRODUCT_DIR or one level below.\n"
    "  -o PAYLOAD       the payload file to write (replaced only when packing succeeds)\n"
    "  --depfile FILE   also write a Make-style dependency file naming every file and\n"
    "                   directory read, for build systems\n"
    "  --quiet          print nothing when all is well\n"
    "\n"
    "Order: the main program, then the files of PRODUCT_DIR, then each subdirectory depth\n"
    "first, all in ASCII order of their names; a directory's files come before its\n"
    "subdirectories. The same folder gives the same bytes on every run.\n"
    "\n"
    "Refused, each reason named with its file: names of files and directories that hold\n"
    "\"!\", a character Windows does not allow, a byte outside printable ASCII, a trailing\n"
    "dot or space, or a device name; names differing only in letter case; entry names\n"
    "(file name, \"!\", directory path with \"\\\") longer than 51 bytes; a directory with\n"
    "subdirectories but no file of its own; files of 2 GiB or more; more than 65535\n"
    "files; a main program that is not in the folder. Exit status 1 then.\n";

const char kBuildHelp[] =
    "usage: lmvrpack build PRODUCT_DIR --main PATH --stub STUB -o INSTALLER\n"
    "           [--language FILE|FOLDER]... [--licence LETTER=FILE]... [--version TEXT]\n"
    "           [--publisher TEXT] [--depfile FILE] [--quiet]\n"
    "\n"
    "Packs PRODUCT_DIR as pack does (the same rules, the same payload bytes) and writes\n"
    "INSTALLER: a copy of STUB (install-stub.exe) with the payload as its resource\n"
    "512/301, beside the stub's own resources, and the payload's digest as 512/303: a\n"
    "CRC-32 of the payload as stored and the figures the installer checks before it\n"
    "writes anything, so that it need not inflate the payload twice. The image keeps\n"
    "its code, exports and relocations; its sizes and checksum are set anew.\n"
    "\n"
    "  --main PATH      the main program, relative to PRODUCT_DIR (see pack --help)\n"
    "  --stub STUB      the installer stub; it must be unsigned (sign the installer)\n"
    "  -o INSTALLER     the installer to write (replaced only when building succeeds)\n"
    "  --language FILE  a translator's language file (languages/fr.po), or a folder:\n"
    "                   every *.po in it, in name order. Repeatable. Each language's\n"
    "                   messages become its table 400 + index, its dialogs the\n"
    "                   templates base id + index (index: E 0, G 1, F 2, S 3, I 4, P 5,\n"
    "                   D 6); what a file leaves out the installer shows in English\n"
    "  --licence L=FILE the licence of language L (E included) from a plain UTF-8 text,\n"
    "                   cut into the installer's three blocks at paragraph ends\n"
    "  --version TEXT   the version the uninstall entry names (DisplayVersion), instead\n"
    "                   of the ProductVersion of the main program's version resource\n"
    "  --publisher TEXT the publisher it names (Publisher), instead of the CompanyName\n"
    "                   there. Each at most 63 characters of code page 1252; a value\n"
    "                   that is empty or absent is not written at all\n"
    "  --depfile FILE   also write a Make-style dependency file naming the stub, the\n"
    "                   language and licence files and every file and directory of\n"
    "                   the product read\n"
    "  --quiet          print nothing when all is well\n"
    "\n"
    "Refused, exit status 1: a product folder that pack refuses; a main program whose\n"
    "version resource is damaged (unless both --version and --publisher are given), or\n"
    "whose version or publisher is longer than 63 characters or not code page 1252; a\n"
    "stub that is not a Windows GUI program exporting from \"lmvr.ent\", PE32 for i386\n"
    "or PE32+ for x86-64\n"
    "(the 64-bit twin); a signed stub. A stub that already holds a payload is used\n"
    "with the payload replaced, and a note says so. A language file with a key the\n"
    "English table lacks, placeholders other than the English text's, a character code\n"
    "page 1252 lacks, a control or frame outside its dialog, or a text wider than the\n"
    "part of its control the user sees (Arial 11 pt): each named with its file and\n"
    "line, and nothing is written.\n";

const char kListHelp[] =
    "usage: lmvrpack list FILE\n"
    "\n"
    "Lists the entries of FILE, a payload or a built installer (its resource 512/301):\n"
    "size, stored name and installed path of each, then FileCount, ArchiveTotal and the\n"
    "sizes, and for an installer its payload's digest, its version and publisher and\n"
    "the languages it carries. Checks everything as verify does; exit status 0 only\n"
    "when all is well.\n";

const char kCheckHelp[] =
    "usage: lmvrpack check (--stub STUB | --dialogs SCRIPT) [--licence LETTER=FILE]... FILE|FOLDER...\n"
    "\n"
    "Checks language files (a folder: every *.po in it) against the English texts and\n"
    "the dialog templates of STUB (or of the resource script resources/dialogs.rc), as\n"
    "build --language does, and writes nothing. Prints\n"
    "every refusal with its file and line, and what is left to English; exit status 0\n"
    "when no file is refused.\n";

const char kTemplateHelp[] =
    "usage: lmvrpack template (--stub STUB | --dialogs SCRIPT) -o FILE\n"
    "\n"
    "Writes the template for new translations (lumivora.pot): every English message,\n"
    "dialog caption and control text of STUB (or of resources/dialogs.rc), each with its\n"
    "key and the room it has.\n";

const char kVerifyHelp[] =
    "usage: lmvrpack verify FILE\n"
    "\n"
    "Checks FILE, a payload or a built installer (its resource 512/301): the length\n"
    "field, the zlib stream to its end including its Adler-32 check, every entry's name\n"
    "and length, ArchiveTotal, that nothing follows the last entry, and that every\n"
    "entry's directory has its parent created by an earlier entry. Prints the figures\n"
    "and every problem found; exit status 0 only when there is none. An installer's\n"
    "digest (resource 512/303) must be whole and match the payload; one without a\n"
    "digest (built by an older lmvrpack) is no fault. Its message tables and dialog\n"
    "variants are checked too, its languages listed, and its version and publisher\n"
    "(resource 512/302) shown.\n";

bool WantsHelp(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") return true;
  }
  return false;
}

int UsageError(std::ostream& err, const std::string& message, const char* help) {
  err << "lmvrpack: " << message << "\n\n" << help;
  return 2;
}

void PrintFigures(std::ostream& out, const PayloadReport& report) {
  out << "FileCount     " << report.fileCount << "\n";
  out << "ArchiveTotal  " << report.archiveTotal << "\n";
  out << "archive       " << report.archiveSize << " bytes inflated\n";
  out << "compressed    " << report.lengthField << " bytes (zlib header " << std::hex << std::uppercase
      << std::setfill('0') << std::setw(2) << (int)report.zlibHeader[0] << " " << std::setw(2)
      << (int)report.zlibHeader[1] << std::dec << std::setfill(' ') << ")\n";
  out << "resource      " << report.resourceSize << " bytes\n";
}

bool ReadText(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  *text = all.str();
  return true;
}

void PrintProblems(std::ostream& err, const std::vector<FileProblem>& problems, const char* kind) {
  for (const FileProblem& p : problems) {
    err << "lmvrpack: " << kind << p.file << (p.line != 0 ? ":" + std::to_string(p.line) : std::string()) << ": "
        << p.what << "\n";
  }
}

// --licence LETTER=FILE.
bool LicenceArgumentOk(const std::string& argument) {
  return argument.size() >= 3 && argument[1] == '=' && std::string(kLanguageLetters).find(argument[0]) != std::string::npos;
}
int LicenceUsageError(std::ostream& err, const std::string& argument, const char* help) {
  return UsageError(err, "--licence " + argument + ": give a letter of E G F S I P D, \"=\" and a file", help);
}

// The languages of a build: every file a --language names (a folder: each *.po in
// it, in name order) read and checked with the --licence texts against the base
// templates. The inputs read are added to `inputs` for the dependency file.
LanguagePack ReadLanguages(const std::vector<std::string>& given, const std::vector<std::string>& licenceArguments,
                           const std::map<int, DialogTemplate>& bases, std::vector<std::string>* inputs) {
  LanguagePack pack;
  std::vector<std::string> paths;
  for (const std::string& path : given) {
    std::error_code failed;
    if (!std::filesystem::is_directory(path, failed)) {
      paths.push_back(path);
      continue;
    }
    inputs->push_back(path);
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(path, failed)) {
      if (entry.path().extension() == ".po") found.push_back(entry.path().string());
    }
    if (found.empty()) pack.refusals.push_back({path, 0, "the folder holds no language file (*.po)"});
    std::sort(found.begin(), found.end());
    paths.insert(paths.end(), found.begin(), found.end());
  }
  std::vector<LanguageFile> files;
  std::vector<Licence> licences;
  std::string text;
  for (const std::string& path : paths) {
    inputs->push_back(path);
    if (!ReadText(path, &text)) {
      pack.refusals.push_back({path, 0, "cannot be read"});
      continue;
    }
    size_t before = pack.refusals.size();
    LanguageFile file = ReadLanguageFile(path, text, &pack.refusals);
    if (pack.refusals.size() == before) files.push_back(std::move(file));
  }
  for (const std::string& argument : licenceArguments) {
    std::string path = argument.substr(2);
    inputs->push_back(path);
    if (!ReadText(path, &text)) {
      pack.refusals.push_back({path, 0, "cannot be read"});
      continue;
    }
    licences.push_back(ReadLicence(path, argument[0], text, &pack.refusals));
  }
  LanguagePack packed = PackLanguages(files, licences, bases);
  pack.refusals.insert(pack.refusals.end(), packed.refusals.begin(), packed.refusals.end());
  pack.notes = std::move(packed.notes);
  pack.resources = std::move(packed.resources);
  return pack;
}

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

void PrintTexts(std::ostream& out, const ProductTexts& texts) {
  out << "version       " << (texts.version.empty() ? "(none)" : Cp1252ToUtf8(texts.version)) << "\n";
  out << "publisher     " << (texts.publisher.empty() ? "(none)" : Cp1252ToUtf8(texts.publisher)) << "\n";
}

// Packs a product folder into a payload file (`pack`) or into an installer made from
// a stub (`build`, when `build` is true): one path, so both give the same payload.
int Pack(const std::vector<std::string>& arguments, bool build, std::ostream& out, std::ostream& err) {
  const char* help = build ? kBuildHelp : kPackHelp;
  std::string productDir, mainProgram, stubPath, output, depfile;
  std::vector<std::string> languages, licences;
  std::string givenTexts[2];
  bool textGiven[2] = {false, false};  // --version, --publisher
  bool quiet = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    auto value = [&](std::string* into) {
      if (i + 1 >= arguments.size()) return false;
      *into = arguments[++i];
      return true;
    };
    if (argument == "--main") {
      if (!value(&mainProgram)) return UsageError(err, "--main needs a path", help);
    } else if (build && argument == "--stub") {
      if (!value(&stubPath)) return UsageError(err, "--stub needs a file name", help);
    } else if (build && argument == "--language") {
      languages.emplace_back();
      if (!value(&languages.back())) return UsageError(err, "--language needs a file or a folder", help);
    } else if (build && argument == "--licence") {
      licences.emplace_back();
      if (!value(&licences.back())) return UsageError(err, "--licence needs LETTER=FILE", help);
      if (!LicenceArgumentOk(licences.back())) return LicenceUsageError(err, licences.back(), help);
    } else if (build && (argument == "--version" || argument == "--publisher")) {
      int which = argument == "--version" ? 0 : 1;
      if (!value(&givenTexts[which])) return UsageError(err, argument + " needs a text", help);
      textGiven[which] = true;
    } else if (argument == "-o" || argument == "--output") {
      if (!value(&output)) return UsageError(err, argument + " needs a file name", help);
    } else if (argument == "--depfile") {
      if (!value(&depfile)) return UsageError(err, "--depfile needs a file name", help);
    } else if (argument == "--quiet") {
      quiet = true;
    } else if (!argument.empty() && argument[0] == '-') {
      return UsageError(err, "unknown option " + argument, help);
    } else if (productDir.empty()) {
      productDir = argument;
    } else {
      return UsageError(err, "more than one product folder given", help);
    }
  }
  if (productDir.empty()) return UsageError(err, "no product folder given", help);
  if (mainProgram.empty()) return UsageError(err, "no main program given (--main)", help);
  if (build && stubPath.empty()) return UsageError(err, "no installer stub given (--stub)", help);
  if (output.empty()) return UsageError(err, build ? "no installer given (-o)" : "no payload file given (-o)", help);

  auto start = std::chrono::steady_clock::now();
  std::vector<uint8_t> stub;
  if (build && !pe::ReadFile(stubPath, &stub)) {
    err << "lmvrpack: " << stubPath << ": cannot be read\n";
    return 1;
  }
  std::vector<std::string> inputs;
  if (build) inputs.push_back(stubPath);
  LanguagePack languagePack;
  if (!languages.empty() || !licences.empty()) {
    pe::Image stubImage;
    std::vector<pe::Resource> stubResources;
    std::map<int, DialogTemplate> bases;
    std::string why;
    if (pe::Parse(stub, &stubImage, &why) && pe::ReadResources(stubImage, &stubResources, &why) &&
        BaseTemplatesOf(stubResources, &bases, &why)) {
      languagePack = ReadLanguages(languages, licences, bases, &inputs);
    } else {
      languagePack.refusals.push_back({stubPath, 0, why});
    }
    PrintProblems(err, languagePack.notes, "note: ");
  }
  ProductScan scan = ScanProduct(productDir, mainProgram);
  for (const Problem& note : scan.notes) err << "lmvrpack: note: " << note.file << ": " << note.reason << "\n";
  ProductTexts texts;
  if (build && scan.problems.empty()) {
    ProductTextsOfBuild(scan.files.front().source.string(), givenTexts, textGiven, &texts, &scan.problems, err);
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
  if (!depfile.empty()) {
    std::vector<uint8_t> text;
    std::string dependencies = DependencyText(output, scan, inputs);
    text.assign(dependencies.begin(), dependencies.end());
    if (!WriteFileAtomically(depfile, text, &error)) {
      err << "lmvrpack: " << error << "\n";
      return 1;
    }
  }
  if (!quiet) {
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

// `check` (language files, as build checks them) and `template` (lumivora.pot).
int Languages(const std::vector<std::string>& arguments, bool makeTemplate, std::ostream& out, std::ostream& err) {
  const char* help = makeTemplate ? kTemplateHelp : kCheckHelp;
  std::string stubPath, script, output;
  std::vector<std::string> languages, licences;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    bool hasValue = i + 1 < arguments.size();
    if (argument == "--stub" && hasValue) {
      stubPath = arguments[++i];
    } else if (argument == "--dialogs" && hasValue) {
      script = arguments[++i];
    } else if (makeTemplate && (argument == "-o" || argument == "--output") && hasValue) {
      output = arguments[++i];
    } else if (!makeTemplate && argument == "--licence" && hasValue) {
      licences.push_back(arguments[++i]);
      if (!LicenceArgumentOk(licences.back())) return LicenceUsageError(err, licences.back(), help);
    } else if (argument.empty() || argument[0] == '-' || makeTemplate) {
      return UsageError(err, "unexpected " + argument, help);
    } else {
      languages.push_back(argument);
    }
  }
  if (stubPath.empty() == script.empty()) return UsageError(err, "give the stub (--stub) or the script (--dialogs)", help);
  if (makeTemplate ? output.empty() : languages.empty()) {
    return UsageError(err, makeTemplate ? "no template file given (-o)" : "no language file given", help);
  }
  pe::Image image;
  std::vector<pe::Resource> resources;
  std::map<int, DialogTemplate> bases;
  std::string error, text;
  bool read = script.empty() ? pe::LoadFile(stubPath, &image, &error) && pe::ReadResources(image, &resources, &error) &&
                                   BaseTemplatesOf(resources, &bases, &error)
                             : ReadText(script, &text) && ReadDialogScript(text, &bases, &error);
  if (!read) {
    err << "lmvrpack: " << (script.empty() ? stubPath : script) << ": " << (error.empty() ? "cannot be read" : error) << "\n";
    return 1;
  }
  if (makeTemplate) {
    std::string pot = TranslationTemplate(bases);
    if (!WriteFileAtomically(output, std::vector<uint8_t>(pot.begin(), pot.end()), &error)) {
      err << "lmvrpack: " << error << "\n";
      return 1;
    }
    return 0;
  }
  std::vector<std::string> inputs;
  LanguagePack pack = ReadLanguages(languages, licences, bases, &inputs);
  PrintProblems(err, pack.notes, "note: ");
  PrintProblems(err, pack.refusals, "");
  if (!pack.refusals.empty()) return 1;
  out << "checked: nothing refused\n";
  return 0;
}

int Inspect(const std::vector<std::string>& arguments, bool list, std::ostream& out, std::ostream& err) {
  const char* help = list ? kListHelp : kVerifyHelp;
  if (arguments.size() != 1) return UsageError(err, "give exactly one file", help);
  std::vector<uint8_t> payload;
  bool fromImage = false;
  std::string error;
  if (!LoadPayload(arguments[0], &payload, &fromImage, &error)) {
    err << "lmvrpack: " << error << "\n";
    return 1;
  }
  PayloadReport report = CheckPayload(payload);
  out << arguments[0] << (fromImage ? ": installer, resource 512/301" : ": payload") << "\n";
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
    if (pe::LoadFile(arguments[0], &image, &error) && pe::ReadResources(image, &resources, &error)) {
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
  for (const std::string& problem : report.problems) err << "lmvrpack: " << arguments[0] << ": " << problem << "\n";
  if (!report.problems.empty()) return 1;
  out << "verified: all is well\n";
  return 0;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  if (arguments.empty()) return UsageError(err, "no command given", kUsage);
  const std::string& command = arguments[0];
  std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  const char* help = command == "build"    ? kBuildHelp
                     : command == "pack"   ? kPackHelp
                     : command == "list"   ? kListHelp
                     : command == "verify" ? kVerifyHelp
                     : command == "check"  ? kCheckHelp
                     : command == "template" ? kTemplateHelp
                                           : nullptr;
  if (command == "--help" || command == "-h" || command == "help") {
    out << kUsage;
    return 0;
  }
  if (help == nullptr) return UsageError(err, "unknown command " + command, kUsage);
  if (WantsHelp(rest)) {
    out << help;
    return 0;
  }
  if (command == "pack" || command == "build") return Pack(rest, command == "build", out, err);
  if (command == "check" || command == "template") return Languages(rest, command == "template", out, err);
  return Inspect(rest, command == "list", out, err);
}

}  // namespace lmvrpack
