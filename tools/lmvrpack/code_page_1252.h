// lmvrpack: Windows code page 1252, the ANSI code page of every installer text. A
// language file is UTF-8; the installer's tables hold CP1252 and its dialog templates
// UTF-16, so the tool converts between the three when it packs a language.
#pragma once
#include <cstdint>
#include <string>

namespace lmvrpack {

// `utf8` in CP1252. False when it is no valid UTF-8 or holds a character CP1252
// lacks; `error` then names the character (U+0153 "œ" is fine, U+2212 "−" is not).
bool Utf8ToCp1252(const std::string& utf8, std::string* cp1252, std::string* error);

// The Unicode character of a CP1252 byte, 0 for the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
uint16_t Cp1252ToUnicode(uint8_t byte);

// A CP1252 text in UTF-16, as dialog templates hold their texts, and back. The way
// back fails on a character CP1252 lacks.
std::u16string Cp1252ToUtf16(const std::string& cp1252);
bool Utf16ToCp1252(const std::u16string& utf16, std::string* cp1252);

// A CP1252 text in UTF-8, for what the tool prints.
std::string Cp1252ToUtf8(const std::string& cp1252);

}  // namespace lmvrpack
