#include "tools/lmvrpack/command_line.h"

#include <chrono>
#include <fstream>
#include <iomanip>

#include "payload/archive_format.h"
#include "tools/lmvrpack/installer_image.h"
#include "tools/lmvrpack/payload_check.h"
#include "tools/lmvrpack/payload_writer.h"
#include "tools/lmvrpack/product_scan.h"
#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

namespace {

const char kUsage[] =
    "usage: lmvrpack COMMAND [ARGUMENTS]\n"
    "\n"
    "  build PRODUCT_DIR --main PATH --stub STUB -o INSTALLER\n"
    "                                            make an installer for a product folder\n"
    "  pack PRODUCT_DIR --main PATH -o PAYLOAD   pack a product folder into a payload\n"
    "  list FILE                                 list the entries of a payload or installer\n"
    "  verify FILE                               check a payload or installer\n"
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
    "usage: lmvrpack build PRODUCT_DIR --main PATH --stub STUB -o INSTALLER [--depfile FILE] [--quiet]\n"
    "\n"
    "Packs PRODUCT_DIR as pack does (the same rules, the same payload bytes) and writes\n"
    "INSTALLER: a copy of STUB (install-stub.exe) with the payload as its resource\n"
    "512/301, beside the stub's own resources. The image keeps its code, exports and\n"
    "relocations; its sizes and checksum are set anew.\n"
    "\n"
    "  --main PATH      the main program, relative to PRODUCT_DIR (see pack --help)\n"
    "  --stub STUB      the installer stub; it must be unsigned (sign the installer)\n"
    "  -o INSTALLER     the installer to write (replaced only when building succeeds)\n"
    "  --depfile FILE   also write a Make-style dependency file naming the stub and\n"
    "                   every file and directory of the product read\n"
    "  --quiet          print nothing when all is well\n"
    "\n"
    "Refused, exit status 1: a product folder that pack refuses; a stub that is not a\n"
    "Windows GUI program exporting from \"lmvr.ent\", PE32 for i386 or PE32+ for x86-64\n"
    "(the 64-bit twin); a signed stub. A stub that already holds a payload is used\n"
    "with the payload replaced, and a note says so.\n";

const char kListHelp[] =
    "usage: lmvrpack list FILE\n"
    "\n"
    "Lists the entries of FILE, a payload or a built installer (its resource 512/301):\n"
    "size, stored name and installed path of each, then FileCount, ArchiveTotal and the\n"
    "sizes. Checks everything as verify does; exit status 0 only when all is well.\n";

const char kVerifyHelp[] =
    "usage: lmvrpack verify FILE\n"
    "\n"
    "Checks FILE, a payload or a built installer (its resource 512/301): the length\n"
    "field, the zlib stream to its end including its Adler-32 check, every entry's name\n"
    "and length, ArchiveTotal, that nothing follows the last entry, and that every\n"
    "entry's directory has its parent created by an earlier entry. Prints the figures\n"
    "and every problem found; exit status 0 only when there is none.\n";

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

// Packs a product folder into a payload file (`pack`) or into an installer made from
// a stub (`build`, when `build` is true): one path, so both give the same payload.
int Pack(const std::vector<std::string>& arguments, bool build, std::ostream& out, std::ostream& err) {
  const char* help = build ? kBuildHelp : kPackHelp;
  std::string productDir, mainProgram, stubPath, output, depfile;
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
  ProductScan scan = ScanProduct(productDir, mainProgram);
  for (const Problem& note : scan.notes) err << "lmvrpack: note: " << note.file << ": " << note.reason << "\n";
  if (!scan.problems.empty()) {
    for (const Problem& problem : scan.problems) err << "lmvrpack: " << problem.file << ": " << problem.reason << "\n";
    err << "lmvrpack: " << productDir << " refused, no " << (build ? "installer" : "payload") << " written\n";
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
    std::string note;
    if (!BuildInstallerImage(stub, payload.bytes, &installer, &note, &error)) {
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
    std::string dependencies = DependencyText(output, scan, build ? stubPath : std::string());
    text.assign(dependencies.begin(), dependencies.end());
    if (!WriteFileAtomically(depfile, text, &error)) {
      err << "lmvrpack: " << error << "\n";
      return 1;
    }
  }
  if (!quiet) {
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out << "packed " << payload.fileCount << " entries of " << productDir << " into " << output << "\n";
    if (build) out << "installer     " << installer.size() << " bytes, from the stub " << stubPath << "\n";
    out << "ArchiveTotal  " << payload.archiveTotal << "\n";
    out << "archive       " << payload.archiveSize << " bytes inflated\n";
    out << "compressed    " << payload.bytes.size() - kPayloadLengthFieldSize << " bytes\n";
    out << "took          " << std::fixed << std::setprecision(3) << seconds << " s\n" << std::defaultfloat;
  }
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
  return Inspect(rest, command == "list", out, err);
}

}  // namespace lmvrpack
