// lmvrpack: SHA-256 (FIPS 180-4), the digest by which winget checks a downloaded
// installer. Portable C++; the tool needs no cryptographic library for it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace lmvrpack {

// The SHA-256 of `bytes` as 64 upper-case hexadecimal digits.
std::string Sha256Hex(const std::vector<uint8_t>& bytes);

}  // namespace lmvrpack
