#include "tools/lmvrpack/product_texts.h"

#include <algorithm>

#include "shell/product_texts.h"
#include "tools/lmvrpack/code_page_1252.h"

namespace lmvrpack {

namespace {

constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kUsEnglish = 0x0409;
constexpr size_t kLongestText = kProductTextSize - 1;

// One node of a version resource: wLength, wValueLength, wType, the key in UTF-16
// with its NUL, the value on a 4-byte boundary, then the children, each on one.
struct VersionNode {
  std::u16string key;
  size_t valueStart = 0;  // offsets into the block
  size_t end = 0;
};

uint16_t Word(const std::vector<uint8_t>& b, size_t at) { return (uint16_t)(b[at] | b[at + 1] << 8); }
size_t Aligned(size_t at) { return (at + 3) & ~(size_t)3; }

bool ReadNode(const std::vector<uint8_t>& block, size_t at, size_t limit, VersionNode* node, std::string* error) {
  if (at + 6 > limit) {
    *error = "the version resource is cut short";
    return false;
  }
  size_t length = Word(block, at);
  if (length < 6 || at + length > limit) {
    *error = "a block of the version resource claims " + std::to_string(length) + " bytes, beyond its end";
    return false;
  }
  node->end = at + length;
  node->key.clear();
  size_t k = at + 6;
  for (; k + 1 < node->end && Word(block, k) != 0; k += 2) node->key += (char16_t)Word(block, k);
  if (k + 1 >= node->end) {
    *error = "a key of the version resource is not ended";
    return false;
  }
  node->valueStart = std::min(Aligned(k + 2), node->end);
  return true;
}

// The children of the node at `at` whose value is `valueBytes` long.
std::vector<VersionNode> Children(const std::vector<uint8_t>& block, const VersionNode& parent, size_t valueBytes,
                                  std::string* error) {
  std::vector<VersionNode> children;
  size_t at = Aligned(parent.valueStart + valueBytes);
  while (at + 6 <= parent.end) {
    VersionNode child;
    if (!ReadNode(block, at, parent.end, &child, error)) return {};
    children.push_back(child);
    at = Aligned(child.end);
  }
  return children;
}

bool Convert(const std::u16string& text, const char* what, std::string* cp1252, std::string* error) {
  if (!Utf16ToCp1252(text, cp1252)) {
    *error = std::string("the ") + what + " holds a character that Windows code page 1252 lacks";
    return false;
  }
  if (cp1252->size() > kLongestText) {
    *error = std::string("the ") + what + " \"" + Cp1252ToUtf8(*cp1252) + "\" is longer than " +
             std::to_string(kLongestText) + " characters";
    return false;
  }
  return true;
}

}  // namespace

bool ReadVersionStrings(const std::vector<uint8_t>& block, std::map<std::string, std::u16string>* strings,
                        std::string* error) {
  strings->clear();
  error->clear();
  VersionNode root;
  if (!ReadNode(block, 0, block.size(), &root, error)) return false;
  if (root.key != u"VS_VERSION_INFO") {
    *error = "the version resource does not begin with VS_VERSION_INFO";
    return false;
  }
  for (const VersionNode& info : Children(block, root, Word(block, 2), error)) {
    if (info.key != u"StringFileInfo") continue;
    for (const VersionNode& table : Children(block, info, 0, error)) {
      for (const VersionNode& entry : Children(block, table, 0, error)) {
        // The text runs from the value to its NUL or the block's end: compilers
        // disagree whether wValueLength counts characters or bytes.
        std::u16string text;
        for (size_t at = entry.valueStart; at + 1 < entry.end && Word(block, at) != 0; at += 2) {
          text += (char16_t)Word(block, at);
        }
        std::string key;
        for (char16_t c : entry.key) key += c < 0x80 ? (char)c : '?';
        strings->emplace(key, text);
      }
    }
  }
  return error->empty();
}

bool ProductTextsOfProgram(const std::vector<uint8_t>& bytes, ProductTexts* texts, std::string* note,
                           std::string* error) {
  *texts = ProductTexts();
  note->clear();
  pe::Image parsed;
  std::vector<pe::Resource> resources;
  std::string why;
  if (!pe::Parse(bytes, &parsed, &why)) {
    *note = "not a Windows image (" + why + "): the installer names no version or publisher";
    return true;
  }
  if (!pe::ReadResources(parsed, &resources, &why)) {
    *error = "its resources cannot be read: " + why;
    return false;
  }
  const pe::Resource* version = pe::FindNumericResource(resources, kVersionType, 1);
  if (version == nullptr) {
    *note = "it has no version resource: the installer names no version or publisher";
    return true;
  }
  std::map<std::string, std::u16string> strings;
  if (!ReadVersionStrings(version->data, &strings, error)) return false;
  return Convert(strings["ProductVersion"], "ProductVersion", &texts->version, error) &&
         Convert(strings["CompanyName"], "CompanyName", &texts->publisher, error);
}

bool ProductTextFromArgument(const std::string& utf8, std::string* cp1252, std::string* error) {
  if (!Utf8ToCp1252(utf8, cp1252, error)) return false;
  if (cp1252->size() > kLongestText) {
    *error = "\"" + utf8 + "\" is longer than " + std::to_string(kLongestText) + " characters";
    return false;
  }
  return true;
}

bool ProductTextsResource(const ProductTexts& texts, pe::Resource* resource) {
  if (texts.version.empty() && texts.publisher.empty()) return false;
  resource->type = kProductTextsResourceType;
  resource->id = kProductTextsResourceId;
  resource->language = kUsEnglish;
  resource->data.assign(texts.version.begin(), texts.version.end());
  resource->data.push_back(0);
  resource->data.insert(resource->data.end(), texts.publisher.begin(), texts.publisher.end());
  resource->data.push_back(0);
  return true;
}

bool ReadProductTexts(const std::vector<pe::Resource>& resources, ProductTexts* texts,
                      std::vector<std::string>* problems) {
  *texts = ProductTexts();
  const pe::Resource* found = pe::FindNumericResource(resources, kProductTextsResourceType, kProductTextsResourceId);
  if (found == nullptr) return false;
  const std::vector<uint8_t>& data = found->data;
  auto first = std::find(data.begin(), data.end(), 0);
  auto second = first == data.end() ? data.end() : std::find(first + 1, data.end(), 0);
  if (second == data.end()) {
    problems->push_back("resource 512/302 does not hold two texts, each ended by a zero byte");
    return true;
  }
  if (second + 1 != data.end()) problems->push_back("bytes follow the two texts of resource 512/302");
  texts->version.assign(data.begin(), first);
  texts->publisher.assign(first + 1, second);
  for (const std::string* text : {&texts->version, &texts->publisher}) {
    if (text->size() > kLongestText) {
      problems->push_back("resource 512/302: \"" + Cp1252ToUtf8(*text) + "\" is longer than " +
                          std::to_string(kLongestText) + " characters; the installer writes none");
    }
  }
  return true;
}

}  // namespace lmvrpack
