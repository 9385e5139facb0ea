#include "tools/lmvrpack/code_page_1252.h"

#include <cstdio>

namespace lmvrpack {

namespace {

// 0x80 to 0x9F; every other byte is its own Unicode character.
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The CP1252 byte of a Unicode character, or -1.
int ByteOf(uint32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return (int)character;
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == character) return 0x80 + i;
  }
  return -1;
}

}  // namespace

uint16_t Cp1252ToUnicode(uint8_t byte) { return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte; }

bool Utf8ToCp1252(const std::string& utf8, std::string* cp1252, std::string* error) {
  cp1252->clear();
  for (size_t i = 0; i < utf8.size();) {
    uint8_t lead = (uint8_t)utf8[i];
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    uint32_t character = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool valid = length != 0 && i + length <= utf8.size();
    for (size_t k = 1; valid && k < length; ++k) {
      uint8_t next = (uint8_t)utf8[i + k];
      valid = (next & 0xC0) == 0x80;
      character = character << 6 | (next & 0x3F);
    }
    // Overlong forms and surrogates are no UTF-8.
    const uint32_t smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!valid || character < smallest[length] || (character >= 0xD800 && character <= 0xDFFF) || character > 0x10FFFF) {
      *error = "the text is not valid UTF-8";
      return false;
    }
    int byte = ByteOf(character);
    if (byte < 0) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", (unsigned)character);
      *error = std::string("the character ") + code + " \"" + utf8.substr(i, length) + "\" is not in code page 1252";
      return false;
    }
    cp1252->push_back((char)byte);
    i += length;
  }
  return true;
}

std::u16string Cp1252ToUtf16(const std::string& cp1252) {
  std::u16string out;
  for (char c : cp1252) out.push_back((char16_t)Cp1252ToUnicode((uint8_t)c));
  return out;
}

bool Utf16ToCp1252(const std::u16string& utf16, std::string* cp1252) {
  cp1252->clear();
  for (char16_t c : utf16) {
    int byte = ByteOf(c);
    if (byte < 0) return false;
    cp1252->push_back((char)byte);
  }
  return true;
}

std::string Cp1252ToUtf8(const std::string& cp1252) {
  std::string out;
  for (char c : cp1252) {
    uint32_t u = Cp1252ToUnicode((uint8_t)c);
    if (u < 0x80) {
      out.push_back((char)u);
    } else if (u < 0x800) {
      out.push_back((char)(0xC0 | u >> 6));
      out.push_back((char)(0x80 | (u & 0x3F)));
    } else {
      out.push_back((char)(0xE0 | u >> 12));
      out.push_back((char)(0x80 | (u >> 6 & 0x3F)));
      out.push_back((char)(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

}  // namespace lmvrpack
