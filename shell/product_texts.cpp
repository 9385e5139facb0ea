#include "shell/product_texts.h"

#include "common/bounded_text.h"

namespace {

// One text from data[*at, size): copied when its NUL comes within the resource and it
// fits; *at moves past the NUL. "" otherwise, and *at moves to the end.
void TakeText(const char* data, size_t size, size_t* at, char* out) {
  size_t end = *at;
  while (end < size && data[end] != '\0') ++end;
  out[0] = '\0';
  if (end < size && CopyBoundedN(out, kProductTextSize, data + *at, end - *at) != 0) out[0] = '\0';
  *at = end < size ? end + 1 : size;
}

}  // namespace

void ProductTextsFromResource(const char* data, size_t size, char* version, char* publisher) {
  size_t at = 0;
  TakeText(data, size, &at, version);
  TakeText(data, size, &at, publisher);
}
