#include "tools/lmvrpack/carried_languages.h"

#include <algorithm>
#include <set>

#include "tools/lmvrpack/language_pack.h"

namespace lmvrpack {

namespace {

// The problems of one table read back: its entries, and what is wrong with them.
std::vector<std::string> ReadTable(const std::vector<uint8_t>& data, int index, size_t* count) {
  std::vector<std::string> problems;
  const auto english = EnglishMessages();
  *count = 0;
  if (data.size() < 5 || data[0] > kByLanguage || data[1] != 0) {
    problems.push_back("its header is not a rule 0, 1 or 2 and a zero byte");
    return problems;
  }
  std::set<std::string> seen;
  size_t at = 4;
  while (at < data.size() && data[at] != 0) {
    if (data[at] != (uint8_t)kLanguageLetters[index]) {
      problems.push_back(std::string("an entry begins with ") + (char)data[at] + ", not with " + kLanguageLetters[index]);
    }
    size_t keyEnd = std::find(data.begin() + at + 1, data.end(), 0) - data.begin();
    size_t textEnd = keyEnd < data.size() ? std::find(data.begin() + keyEnd + 1, data.end(), 0) - data.begin() : keyEnd;
    if (textEnd >= data.size()) {
      problems.push_back("its last entry is cut short");
      return problems;
    }
    std::string key(data.begin() + at + 1, data.begin() + keyEnd);
    bool known = false;
    for (const auto& [k, text] : english) known = known || k == key;
    if (!known) problems.push_back("the key \"" + key + "\" is not in the English table");
    if (!seen.insert(key).second) problems.push_back("the key \"" + key + "\" comes twice");
    ++*count;
    at = textEnd + 1;
  }
  if (at >= data.size()) problems.push_back("it does not end with a zero byte");
  else if (at + 1 != data.size()) problems.push_back(std::to_string(data.size() - at - 1) + " bytes follow its end");
  if (*count > kMaxTableEntries) problems.push_back(std::to_string(*count) + " entries; the installer reads at most 32");
  return problems;
}

// What differs between a variant and its base beyond texts and frames.
std::string VariantDifference(const DialogTemplate& variant, const DialogTemplate& base) {
  if (variant.style != base.style || variant.controls.size() != base.controls.size()) {
    return "its style or number of controls differs from template " ;
  }
  for (size_t k = 0; k < base.controls.size(); ++k) {
    const DialogControl &v = variant.controls[k], &b = base.controls[k];
    if (v.id != b.id || v.style != b.style || v.controlClass.ordinal != b.controlClass.ordinal ||
        v.controlClass.name != b.controlClass.name) {
      return "control " + std::to_string(k + 1) + " differs in id, class or style from template ";
    }
  }
  return "";
}

}  // namespace

CarriedLanguages DescribeLanguages(const std::vector<pe::Resource>& resources) {
  CarriedLanguages out;
  std::map<int, DialogTemplate> bases;
  for (int id : kDialogBases) {
    const pe::Resource* found = pe::FindNumericResource(resources, kDialogType, (uint32_t)id);
    std::string why;
    if (found != nullptr && !ReadDialogTemplate(found->data, &bases[id], &why)) bases.erase(id);
  }
  for (int index = 0; index < 7; ++index) {
    std::string name = std::string(1, kLanguageLetters[index]) + " " + LanguageNameOfIndex(index);
    const pe::Resource* table = pe::FindNumericResource(resources, kMessageTableType, kMessageTableBase + index);
    std::string line = name + (index == 0 ? ": built in" : "");
    if (table != nullptr) {
      size_t count = 0;
      std::string id = std::to_string(kMessageTableBase + index);
      for (const std::string& problem : ReadTable(table->data, index, &count)) out.problems.push_back("table " + id + ": " + problem);
      line += (index == 0 ? ", and table " : ": table ") + id + " (" + std::to_string(count) + " messages" +
              (index == 0 || table->data[0] == kNeverChosen
                   ? ""
                   : ", chosen for " + ChoiceRuleText((ChoiceRule)table->data[0], (uint16_t)(table->data[2] | table->data[3] << 8))) +
              ")";
    }
    std::string variants;
    for (int base : kDialogBases) {
      const pe::Resource* found = index == 0 ? nullptr : pe::FindNumericResource(resources, kDialogType, base + index);
      if (found == nullptr) continue;
      variants += " " + std::to_string(base + index);
      DialogTemplate variant;
      std::string why;
      if (!ReadDialogTemplate(found->data, &variant, &why)) {
        out.problems.push_back("template " + std::to_string(base + index) + ": " + why);
      } else if (bases.count(base) && !VariantDifference(variant, bases[base]).empty()) {
        out.problems.push_back("template " + std::to_string(base + index) + ": " + VariantDifference(variant, bases[base]) +
                               std::to_string(base));
      }
    }
    if (!variants.empty()) line += (table != nullptr ? ", variants" : ": variants") + variants;
    if (table == nullptr && variants.empty() && index != 0) continue;
    if (table == nullptr && !variants.empty()) out.problems.push_back(name + " has variants but no message table");
    out.lines.push_back(line);
  }
  return out;
}

}  // namespace lmvrpack
