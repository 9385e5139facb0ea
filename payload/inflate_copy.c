/* The copies zlib's inflate makes (every inflated byte into its window, stored
 * blocks into the output): a word at a time. zlib built without a C runtime copies
 * them a byte at a time, which cost the installer about as much as the rest of the
 * inflating. inflate.c calls this in place of zmemcpy (third_party/zlib). */
#include <stddef.h>

void lmvr_copy_bytes(unsigned char* to, const unsigned char* from, unsigned count) {
  for (; count >= sizeof(size_t); count -= sizeof(size_t), to += sizeof(size_t), from += sizeof(size_t)) {
    size_t word;
    __builtin_memcpy(&word, from, sizeof word);
    __builtin_memcpy(to, &word, sizeof word);
  }
  for (; count != 0; --count) *to++ = *from++;
}
