// lmvrpack: the product's version and publisher, read from the main program's
// version resource (VS_VERSIONINFO: ProductVersion and CompanyName) or given on the
// command line, and handed to the installer as its resource 512/302 for the entry in
// the list of installed software.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

// Both in code page 1252, at most 63 characters each; "" when there is none.
struct ProductTexts {
  std::string version;
  std::string publisher;
};

// The texts of a VS_VERSIONINFO block's string tables, by key; of a key that comes in
// several tables, the first. False, with the reason, when the block is damaged.
bool ReadVersionStrings(const std::vector<uint8_t>& block, std::map<std::string, std::u16string>* strings,
                        std::string* error);

// The texts of the program `bytes`: its version resource's ProductVersion and
// CompanyName. A file that is no Windows image, or a program without a version
// resource, has none: `note` then says so. False, with the reason in `error`, when
// the image's resources or its version resource are damaged, or a text is too long
// or holds a character code page 1252 lacks.
bool ProductTextsOfProgram(const std::vector<uint8_t>& bytes, ProductTexts* texts, std::string* note,
                           std::string* error);

// A text given on the command line (UTF-8) in code page 1252. False, with the reason,
// when it cannot be converted or is longer than 63 characters.
bool ProductTextFromArgument(const std::string& utf8, std::string* cp1252, std::string* error);

// The resource 512/302 of `texts`; none (false) when both are empty.
bool ProductTextsResource(const ProductTexts& texts, pe::Resource* resource);

// The texts of an installer's resources, for list and verify: false when it carries
// no resource 512/302. Every fault of the resource goes to `problems`.
bool ReadProductTexts(const std::vector<pe::Resource>& resources, ProductTexts* texts,
                      std::vector<std::string>* problems);

}  // namespace lmvrpack
