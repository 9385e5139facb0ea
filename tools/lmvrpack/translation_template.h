// lmvrpack: the template for new translations (lumivora.pot).
#pragma once
#include <map>
#include <string>

#include "tools/lmvrpack/dialog_template.h"

namespace lmvrpack {

// The template for translators (lumivora.pot): every message, caption and control
// text to translate, each with what it is and how much room it has.
std::string TranslationTemplate(const std::map<int, DialogTemplate>& bases);

}  // namespace lmvrpack
