// lmvrpack: the languages an installer carries, read back from its resources for
// list and verify.
#pragma once
#include <string>
#include <vector>

#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

// What an installer's language resources hold, for list and verify: one line per
// language it carries, and every problem found in them.
struct CarriedLanguages {
  std::vector<std::string> lines;
  std::vector<std::string> problems;
};
CarriedLanguages DescribeLanguages(const std::vector<pe::Resource>& resources);

}  // namespace lmvrpack
