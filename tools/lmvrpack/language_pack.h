// lmvrpack: languages into an installer. Each language file becomes the language's
// message table (RT_RCDATA 400 + LanguageIndex) and its variants of the five dialog
// templates (base id + LanguageIndex), after every check a translation must pass.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/lmvrpack/dialog_template.h"
#include "tools/lmvrpack/language_file.h"
#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

constexpr uint32_t kMessageTableType = 10;  // RT_RCDATA
constexpr uint32_t kMessageTableBase = 400;
constexpr uint32_t kDialogType = 5;          // RT_DIALOG
constexpr size_t kMaxTableEntries = 32;      // the installer's bound per table
const int kDialogBases[5] = {200, 210, 220, 230, 240};

// The English table compiled into the installer (and into this tool), in its order:
// key and CP1252 text.
std::vector<std::pair<std::string, std::string>> EnglishMessages();

// A vendor's licence for one language (--licence LETTER=FILE), in three blocks.
struct Licence {
  std::string path;
  char letter = 0;
  std::string blocks[3];
};
// Reads a plain UTF-8 text as a licence: CP1252, CR LF line ends, cut into three
// blocks at paragraph ends, as the installer joins them.
Licence ReadLicence(const std::string& path, char letter, const std::string& text, std::vector<FileProblem>* problems);

struct LanguagePack {
  std::vector<pe::Resource> resources;  // tables and variants, in a fixed order
  std::vector<FileProblem> refusals;    // nothing may be written when not empty
  std::vector<FileProblem> notes;       // texts left to English, stale English texts
};

// The five base templates of a stub's resources, by id. False, with the reason, when
// one is missing or not in the dialog font the width check knows.
bool BaseTemplatesOf(const std::vector<pe::Resource>& resources, std::map<int, DialogTemplate>* bases,
                     std::string* error);

// Checks every file against the English table and the base templates `bases` (by
// id) and makes the resources of the languages and licences.
LanguagePack PackLanguages(const std::vector<LanguageFile>& files, const std::vector<Licence>& licences,
                           const std::map<int, DialogTemplate>& bases);

}  // namespace lmvrpack
