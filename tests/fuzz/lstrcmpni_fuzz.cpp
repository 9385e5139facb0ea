// lstrcmpni on arbitrary bytes: only -1, 0 and 1, antisymmetric, reflexive, and no
// read past either string's terminator.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "exports/exported_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  uint32_t count;
  std::memcpy(&count, data, 4);
  data += 4;
  size -= 4;
  size_t split = size / 2;
  char* first = static_cast<char*>(std::malloc(split + 1));
  char* second = static_cast<char*>(std::malloc(size - split + 1));
  std::memcpy(first, data, split);
  first[split] = '\0';
  std::memcpy(second, data + split, size - split);
  second[size - split] = '\0';
  int32_t ab = lstrcmpni(first, second, count);
  int32_t ba = lstrcmpni(second, first, count);
  if (ab < -1 || ab > 1 || ab != -ba) std::abort();
  if (lstrcmpni(first, first, count) != 0) std::abort();
  std::free(first);
  std::free(second);
  return 0;
}
