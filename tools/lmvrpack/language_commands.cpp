// lmvrpack check and template, and the reading of language and licence files that
// build shares with them.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/lmvrpack/commands.h"
#include "tools/lmvrpack/payload_writer.h"
#include "tools/lmvrpack/translation_template.h"
#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

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

// check (language files, as build checks them) and template (lumivora.pot).
int RunLanguages(const LanguageArguments& a, std::ostream& out, std::ostream& err) {
  const std::string &stubPath = a.stubPath, &script = a.script, &output = a.output;
  const bool makeTemplate = a.makeTemplate;
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
  LanguagePack pack = ReadLanguages(a.languages, a.licences, bases, &inputs);
  PrintProblems(err, pack.notes, "note: ");
  PrintProblems(err, pack.refusals, "");
  if (!pack.refusals.empty()) return 1;
  out << "checked: nothing refused\n";
  return 0;
}

}  // namespace lmvrpack
