#include "tools/lmvrpack/language_file.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "tools/lmvrpack/code_page_1252.h"

namespace lmvrpack {

const char kLanguageLetters[8] = "EGFSIPD";

const char* LanguageNameOfIndex(int index) {
  static const char* const names[7] = {"English", "German", "French", "Spanish", "Italian", "Portuguese", "Dutch"};
  return index >= 0 && index < 7 ? names[index] : "?";
}

std::string ChoiceRuleText(ChoiceRule rule, uint16_t value) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", value);
  return rule == kByCountry ? "country " + std::to_string(value) : rule == kByLanguage ? std::string("language ") + hex : "none";
}

namespace {

// One quoted piece of a field and the line it stands on, so that a problem inside a
// long text names its line.
struct Piece {
  int line = 0;
  std::string utf8;
};

struct RawEntry {
  int line = 0;
  bool cFormat = false, fuzzy = false;
  bool hasContext = false, hasId = false, hasText = false;
  std::vector<Piece> context, id, text;
  int textLine = 0;
};

std::string Joined(const std::vector<Piece>& pieces) {
  std::string s;
  for (const Piece& p : pieces) s += p.utf8;
  return s;
}

// A PO string from `from` on: "...", with the escapes a C string has for the texts
// of the installer. Other escapes (an octal NUL among them) are refused.
bool Unquote(const std::string& line, size_t from, std::string* out, std::string* error) {
  out->clear();
  size_t i = line.find_first_not_of(" \t", from);
  if (i == std::string::npos || line[i] != '"') {
    *error = "a quoted string was expected";
    return false;
  }
  for (++i; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] != '\\') {
      out->push_back(line[i]);
      continue;
    }
    if (++i == line.size()) break;
    switch (line[i]) {
      case 'n': out->push_back('\n'); break;
      case 'r': out->push_back('\r'); break;
      case 't': out->push_back('\t'); break;
      case '"': out->push_back('"'); break;
      case '\\': out->push_back('\\'); break;
      default:
        *error = std::string("the escape \\") + line[i] + " is not one of \\n \\r \\t \\\" \\\\";
        return false;
    }
  }
  if (i >= line.size()) {
    *error = "the string has no closing quote";
    return false;
  }
  if (line.find_first_not_of(" \t", i + 1) != std::string::npos) {
    *error = "something follows the closing quote";
    return false;
  }
  return true;
}

std::vector<RawEntry> ReadEntries(const std::string& path, const std::string& text, std::vector<FileProblem>* problems) {
  std::vector<RawEntry> entries;
  RawEntry entry;
  std::vector<Piece>* open = nullptr;
  auto problem = [&](int line, const std::string& what) { problems->push_back({path, line, what}); };
  auto finish = [&] {
    if (entry.hasContext || entry.hasId) {
      if (!entry.hasText) problem(entry.line, "the entry has no msgstr");
      entries.push_back(entry);
    }
    entry = RawEntry();
    open = nullptr;
  };
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) continue;
    line.erase(0, start);
    if (line[0] == '#') {
      if (entry.hasText) finish();
      open = nullptr;
      if (line.compare(0, 2, "#,") == 0) {
        entry.cFormat = entry.cFormat || line.find("c-format") != std::string::npos;
        entry.fuzzy = entry.fuzzy || line.find("fuzzy") != std::string::npos;
      }
      continue;
    }
    std::string piece, error;
    if (line[0] == '"') {
      if (open == nullptr) {
        problem(number, "a string that follows no msgctxt, msgid or msgstr");
      } else if (!Unquote(line, 0, &piece, &error)) {
        problem(number, error);
      } else {
        open->push_back({number, piece});
      }
      continue;
    }
    std::string keyword = line.substr(0, line.find_first_of(" \t\""));
    if (keyword == "msgctxt" || keyword == "msgid") {
      if (entry.hasText) finish();
      bool context = keyword == "msgctxt";
      if (entry.hasId || (context && entry.hasContext)) problem(number, keyword + " out of place: the entry before has no msgstr");
      if (entry.line == 0) entry.line = number;
      (context ? entry.hasContext : entry.hasId) = true;
      open = context ? &entry.context : &entry.id;
    } else if (keyword == "msgstr") {
      if (!entry.hasId || entry.hasText) problem(number, "msgstr without its msgid");
      entry.hasText = true;
      entry.textLine = number;
      open = &entry.text;
    } else if (keyword == "msgid_plural" || keyword.compare(0, 7, "msgstr[") == 0) {
      problem(number, "plural forms are not used by the installer's texts");
      open = nullptr;
      continue;
    } else {
      problem(number, "\"" + keyword + "\" is no keyword of a PO file");
      open = nullptr;
      continue;
    }
    if (!Unquote(line, keyword.size(), &piece, &error)) {
      problem(number, error);
    } else {
      open->push_back({number, piece});
    }
  }
  finish();
  return entries;
}

// A field in CP1252, each piece converted on its own so that a character the code
// page lacks is named with its line.
std::string InCodePage(const std::string& path, const std::vector<Piece>& pieces, std::vector<FileProblem>* problems) {
  std::string out, converted, error;
  for (const Piece& p : pieces) {
    if (!Utf8ToCp1252(p.utf8, &converted, &error)) problems->push_back({path, p.line, error});
    out += converted;
  }
  return out;
}

void ReadHeader(const std::string& path, const RawEntry& header, LanguageFile* file, std::vector<FileProblem>* problems) {
  std::map<std::string, std::pair<std::string, int>> fields;
  for (const Piece& p : header.text) {
    std::istringstream lines(p.utf8);
    std::string line;
    while (std::getline(lines, line)) {
      size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      size_t value = line.find_first_not_of(' ', colon + 1);
      fields[line.substr(0, colon)] = {value == std::string::npos ? "" : line.substr(value), p.line};
    }
  }
  auto problem = [&](const char* field, const std::string& what) {
    auto f = fields.find(field);
    problems->push_back({path, f != fields.end() ? f->second.second : header.line, what});
  };
  auto contentType = fields.find("Content-Type");
  if (contentType != fields.end()) {
    std::string type = contentType->second.first;
    for (char& c : type) c = (char)std::tolower((unsigned char)c);
    if (type.find("charset=") != std::string::npos && type.find("charset=utf-8") == std::string::npos) {
      problem("Content-Type", "the file must be UTF-8 (Content-Type: text/plain; charset=UTF-8)");
    }
  }
  auto letter = fields.find("X-Lumivora-Letter");
  std::string letters = kLanguageLetters;
  if (letter == fields.end()) {
    problem("X-Lumivora-Letter", "the header has no X-Lumivora-Letter: the -language= letter of this language");
  } else if (letter->second.first == "E") {
    problem("X-Lumivora-Letter", "E is the installer's own English; its licence is replaced with --licence E=FILE");
  } else if (letter->second.first.size() != 1 || letters.find(letter->second.first[0]) == std::string::npos) {
    problem("X-Lumivora-Letter", "X-Lumivora-Letter \"" + letter->second.first + "\" is none of G F S I P D");
  } else {
    file->letter = letter->second.first[0];
    file->languageIndex = (int)letters.find(file->letter);
  }
  auto name = fields.find("X-Lumivora-Name");
  if (name != fields.end()) file->name = name->second.first;
  auto chosen = fields.find("X-Lumivora-Chosen-For");
  if (chosen == fields.end()) return;
  std::istringstream words(chosen->second.first);
  std::string kind, number, rest;
  words >> kind >> number >> rest;
  char* end = nullptr;
  unsigned long value = std::strtoul(number.c_str(), &end, kind == "language" ? 16 : 10);
  bool numberOk = !number.empty() && *end == '\0' && rest.empty();
  if (kind == "none" && number.empty()) {
    file->rule = kNeverChosen;
  } else if (kind == "country" && numberOk && value >= 1 && value <= 0xFFFF) {
    file->rule = kByCountry, file->ruleValue = (uint16_t)value;
  } else if (kind == "language" && numberOk && number.compare(0, 2, "0x") == 0 && value >= 1 && value <= 0x3FF) {
    file->rule = kByLanguage, file->ruleValue = (uint16_t)value;
  } else {
    problem("X-Lumivora-Chosen-For",
            "X-Lumivora-Chosen-For \"" + chosen->second.first +
                "\" is none of \"country N\" (a country code), \"language 0xNN\" (a primary language id) and \"none\"");
  }
}

}  // namespace

LanguageFile ReadLanguageFile(const std::string& path, const std::string& text, std::vector<FileProblem>* problems) {
  LanguageFile file;
  file.path = path;
  std::map<std::string, int> seen;
  bool headerRead = false;
  for (const RawEntry& raw : ReadEntries(path, text, problems)) {
    std::string context = Joined(raw.context);
    if (!raw.hasContext && Joined(raw.id).empty()) {
      if (!headerRead) ReadHeader(path, raw, &file, problems);
      headerRead = true;
      continue;
    }
    if (!raw.hasContext) {
      problems->push_back({path, raw.line, "the entry has no msgctxt: each text is found by its key"});
      continue;
    }
    auto [first, isNew] = seen.emplace(context, raw.line);
    if (!isNew) {
      problems->push_back({path, raw.line, "a second entry for \"" + context + "\" (the first is at line " +
                                               std::to_string(first->second) + ")"});
      continue;
    }
    Translation t;
    t.key = context;
    t.english = InCodePage(path, raw.id, problems);
    t.text = InCodePage(path, raw.text, problems);
    t.line = raw.line;
    t.textLine = raw.textLine;
    t.cFormat = raw.cFormat;
    t.fuzzy = raw.fuzzy;
    file.translations.push_back(std::move(t));
  }
  if (!headerRead) ReadHeader(path, RawEntry(), &file, problems);
  return file;
}

}  // namespace lmvrpack
