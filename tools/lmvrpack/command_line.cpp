#include "tools/lmvrpack/command_line.h"

#include "tools/lmvrpack/commands.h"
#include "tools/lmvrpack/language_file.h"

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
    "  winget INSTALLER --id PUBLISHER.PACKAGE --url URL [--license TEXT]\n"
    "         [--description TEXT] [--out DIR]  write the installer's winget manifest\n"
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

const char kWingetHelp[] =
    "usage: lmvrpack winget INSTALLER --id PUBLISHER.PACKAGE --url URL [--license TEXT]\n"
    "           [--description TEXT] [--out DIR]\n"
    "\n"
    "Writes winget's manifest of INSTALLER, a built installer, into DIR (by default the\n"
    "current folder; made when missing): ID.yaml (the version), ID.locale.en-US.yaml\n"
    "(the default locale) and ID.installer.yaml, at manifest version 1.10.0, as the\n"
    "winget community repository names them. The installer's SHA-256, its version and\n"
    "publisher (resource 512/302), the uninstall entry it writes, its switches\n"
    "(-silent, -dir=, -log=), exit statuses and file types come from the installer\n"
    "itself; the same installer gives the same files, byte for byte.\n"
    "\n"
    "  --id ID            the package identifier: two to eight parts separated by \".\",\n"
    "                     each 1 to 32 characters of ASCII without blanks or \\ / : * ? \" < > |\n"
    "  --url URL          where winget downloads the installer: http:// or https://\n"
    "  --license TEXT     the licence's name (3 to 512 characters), \"Proprietary\" if not given\n"
    "  --description TEXT the short description (3 to 256 characters)\n"
    "  --out DIR          the folder for the three files\n"
    "\n"
    "Refused, exit status 1, nothing written: an identifier or address winget's schema\n"
    "refuses; a file that is no i386 installer with a payload; an installer without a\n"
    "version or publisher (built from a main program without a version resource, and\n"
    "without --version and --publisher), or whose texts winget does not take.\n";

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

// --licence LETTER=FILE.
bool LicenceArgumentOk(const std::string& argument) {
  return argument.size() >= 3 && argument[1] == '=' && std::string(kLanguageLetters).find(argument[0]) != std::string::npos;
}
int LicenceUsageError(std::ostream& err, const std::string& argument, const char* help) {
  return UsageError(err, "--licence " + argument + ": give a letter of E G F S I P D, \"=\" and a file", help);
}

// The value that follows option `i`, into `into`; false when none follows.
bool Value(const std::vector<std::string>& arguments, size_t* i, std::string* into) {
  if (*i + 1 >= arguments.size()) return false;
  *into = arguments[++*i];
  return true;
}

// A word that is no known option: the command's one positional argument. 0 when it
// is taken, else the status of the usage error printed.
int Positional(const std::string& argument, std::string* into, const char* what, std::ostream& err,
               const char* help) {
  if (!argument.empty() && argument[0] == '-') return UsageError(err, "unknown option " + argument, help);
  if (!into->empty()) return UsageError(err, std::string("more than one ") + what + " given", help);
  *into = argument;
  return 0;
}

int Pack(const std::vector<std::string>& arguments, bool build, std::ostream& out, std::ostream& err) {
  const char* help = build ? kBuildHelp : kPackHelp;
  PackArguments a;
  a.build = build;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--main") {
      if (!Value(arguments, &i, &a.mainProgram)) return UsageError(err, "--main needs a path", help);
    } else if (build && argument == "--stub") {
      if (!Value(arguments, &i, &a.stubPath)) return UsageError(err, "--stub needs a file name", help);
    } else if (build && argument == "--language") {
      a.languages.emplace_back();
      if (!Value(arguments, &i, &a.languages.back())) return UsageError(err, "--language needs a file or a folder", help);
    } else if (build && argument == "--licence") {
      a.licences.emplace_back();
      if (!Value(arguments, &i, &a.licences.back())) return UsageError(err, "--licence needs LETTER=FILE", help);
      if (!LicenceArgumentOk(a.licences.back())) return LicenceUsageError(err, a.licences.back(), help);
    } else if (build && (argument == "--version" || argument == "--publisher")) {
      int which = argument == "--version" ? 0 : 1;
      if (!Value(arguments, &i, &a.givenTexts[which])) return UsageError(err, argument + " needs a text", help);
      a.textGiven[which] = true;
    } else if (argument == "-o" || argument == "--output") {
      if (!Value(arguments, &i, &a.output)) return UsageError(err, argument + " needs a file name", help);
    } else if (argument == "--depfile") {
      if (!Value(arguments, &i, &a.depfile)) return UsageError(err, "--depfile needs a file name", help);
    } else if (argument == "--quiet") {
      a.quiet = true;
    } else if (int status = Positional(argument, &a.productDir, "product folder", err, help)) {
      return status;
    }
  }
  if (a.productDir.empty()) return UsageError(err, "no product folder given", help);
  if (a.mainProgram.empty()) return UsageError(err, "no main program given (--main)", help);
  if (build && a.stubPath.empty()) return UsageError(err, "no installer stub given (--stub)", help);
  if (a.output.empty()) return UsageError(err, build ? "no installer given (-o)" : "no payload file given (-o)", help);
  return RunPack(a, out, err);
}

int Languages(const std::vector<std::string>& arguments, bool makeTemplate, std::ostream& out, std::ostream& err) {
  const char* help = makeTemplate ? kTemplateHelp : kCheckHelp;
  LanguageArguments a;
  a.makeTemplate = makeTemplate;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    bool hasValue = i + 1 < arguments.size();
    if (argument == "--stub" && hasValue) {
      a.stubPath = arguments[++i];
    } else if (argument == "--dialogs" && hasValue) {
      a.script = arguments[++i];
    } else if (makeTemplate && (argument == "-o" || argument == "--output") && hasValue) {
      a.output = arguments[++i];
    } else if (!makeTemplate && argument == "--licence" && hasValue) {
      a.licences.push_back(arguments[++i]);
      if (!LicenceArgumentOk(a.licences.back())) return LicenceUsageError(err, a.licences.back(), help);
    } else if (argument.empty() || argument[0] == '-' || makeTemplate) {
      return UsageError(err, "unexpected " + argument, help);
    } else {
      a.languages.push_back(argument);
    }
  }
  if (a.stubPath.empty() == a.script.empty()) {
    return UsageError(err, "give the stub (--stub) or the script (--dialogs)", help);
  }
  if (makeTemplate ? a.output.empty() : a.languages.empty()) {
    return UsageError(err, makeTemplate ? "no template file given (-o)" : "no language file given", help);
  }
  return RunLanguages(a, out, err);
}

int Inspect(const std::vector<std::string>& arguments, bool list, std::ostream& out, std::ostream& err) {
  const char* help = list ? kListHelp : kVerifyHelp;
  if (arguments.size() != 1) return UsageError(err, "give exactly one file", help);
  return RunInspect(arguments[0], list, out, err);
}

int Winget(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  WingetArguments a;
  struct Option {
    const char* name;
    std::string* into;
  };
  const Option options[] = {{"--id", &a.id},
                            {"--url", &a.url},
                            {"--license", &a.license},
                            {"--description", &a.description},
                            {"--out", &a.outDir}};
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const Option* option = nullptr;
    for (const Option& o : options) option = argument == o.name ? &o : option;
    if (option != nullptr) {
      if (!Value(arguments, &i, option->into)) return UsageError(err, argument + " needs a value", kWingetHelp);
    } else if (int status = Positional(argument, &a.installer, "installer", err, kWingetHelp)) {
      return status;
    }
  }
  if (a.installer.empty()) return UsageError(err, "no installer given", kWingetHelp);
  if (a.id.empty()) return UsageError(err, "no package identifier given (--id)", kWingetHelp);
  if (a.url.empty()) return UsageError(err, "no download address given (--url)", kWingetHelp);
  return RunWinget(a, out, err);
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
                     : command == "winget" ? kWingetHelp
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
  if (command == "winget") return Winget(rest, out, err);
  return Inspect(rest, command == "list", out, err);
}

}  // namespace lmvrpack
