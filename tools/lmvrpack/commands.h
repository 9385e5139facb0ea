// lmvrpack's commands, each given its arguments as command_line.cpp has read them.
// Every one returns the tool's exit status: 0 when all is well, 1 when what it was
// given is refused or has problems (each printed to `err` with its file).
#pragma once
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tools/lmvrpack/dialog_template.h"
#include "tools/lmvrpack/language_pack.h"
#include "tools/lmvrpack/product_texts.h"

namespace lmvrpack {

// pack, and build when `build` is set.
struct PackArguments {
  bool build = false;
  std::string productDir, mainProgram, stubPath, output, depfile;
  std::vector<std::string> languages, licences;  // --language, --licence LETTER=FILE
  std::string givenTexts[2];                     // --version, --publisher
  bool textGiven[2] = {false, false};
  bool quiet = false;
};
int RunPack(const PackArguments& arguments, std::ostream& out, std::ostream& err);

// check, and template when `makeTemplate` is set: from the stub or the dialog script.
struct LanguageArguments {
  bool makeTemplate = false;
  std::string stubPath, script, output;
  std::vector<std::string> languages, licences;
};
int RunLanguages(const LanguageArguments& arguments, std::ostream& out, std::ostream& err);

// list when `list` is set, else verify.
int RunInspect(const std::string& file, bool list, std::ostream& out, std::ostream& err);

struct WingetArguments {
  std::string installer, id, url, license, description;
  std::string outDir = ".";
};
int RunWinget(const WingetArguments& arguments, std::ostream& out, std::ostream& err);

// Shared by the commands.
bool ReadText(const std::string& path, std::string* text);
void PrintProblems(std::ostream& err, const std::vector<FileProblem>& problems, const char* kind);
void PrintTexts(std::ostream& out, const ProductTexts& texts);
// The languages of a build or a check: every file a --language names (a folder:
// each *.po in it, in name order) read and checked with the --licence texts against
// the base templates. The inputs read are added to `inputs` for the dependency file.
LanguagePack ReadLanguages(const std::vector<std::string>& given, const std::vector<std::string>& licenceArguments,
                           const std::map<int, DialogTemplate>& bases, std::vector<std::string>* inputs);

}  // namespace lmvrpack
