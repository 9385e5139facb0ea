#include "dialogs/association_state.h"

int32_t AssociationState(const char* text) {
  if (text == nullptr) return 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p == ' ' || (*p >= 0x09 && *p <= 0x0D)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Unsigned arithmetic wraps where signed arithmetic would overflow.
  uint32_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
  if (negative) value = 0u - value;
  // The two's-complement reading of the 32 bits, without an implementation-defined cast.
  if (value <= 0x7FFFFFFFu) return static_cast<int32_t>(value);
  return -static_cast<int32_t>(~value) - 1;
}
