// "lmvropt.ini" as the installer parses it, from arbitrary bytes: every line the
// parser accepts must lie inside the text and keep the list's invariants.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "options/installer_variables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly the bytes read, with nothing after them.
  std::vector<char> text(data, data + size);
  size_t position = 0;
  size_t lines = 0;
  OptionsLine line;
  while (NextOptionsLine(text.data(), text.size(), &position, &line)) {
    if (position > text.size() || ++lines > size + 1) std::abort();  // must always advance
    if (!line.usable) continue;
    if (line.nameLength == 0 || line.valueLength == 0) std::abort();
    if (line.nameStart + line.nameLength > size || line.valueStart + line.valueLength > size) std::abort();
    for (size_t i = 0; i < line.nameLength; ++i) {
      char c = text[line.nameStart + i];
      if (c == ' ' || c == '\t' || c == '=' || c == '\r' || c == '\n') std::abort();
    }
    for (size_t i = 0; i < line.valueLength; ++i) {
      char c = text[line.valueStart + i];
      if (c == '\r' || c == '\n') std::abort();
    }
    if (text[line.valueStart - 1] != '=') std::abort();
  }
  return 0;
}
