// Writes the resource section of a PE32 or PE32+ image anew: the packing tool puts the
// payload into a copy of the installer stub this way. Portable C++ like the reader.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/pe_image/pe_image.h"

namespace pe {

// The bytes of a resource section that starts at `sectionRva`: the three-level tree
// (type, name, language; named entries before numbered ones, each group in ascending
// order, as the loader's search expects), then the data entries, the names and the
// data, each piece on an 8-byte boundary. The same resources give the same bytes.
std::vector<uint8_t> BuildResourceSection(const std::vector<Resource>& resources, uint32_t sectionRva);

// A copy of `image` whose resource section holds `resources` instead of what it
// held. Every other section keeps its bytes and place, except sections that follow
// the resource section: they may only be the base relocations, which are moved
// behind the new resource section (nothing else refers to them by address, and none
// of them may patch a byte at or after the resource section's start). The
// section sizes, SizeOfImage, SizeOfInitializedData, the resource and relocation
// directories and the checksum are set to match. Where the sections are page-aligned
// in memory, the resource section's file offset and size are made whole 4 KB pages
// (a loader may then map it from the file), FileAlignment unchanged. False with the
// reason in `error` when the image cannot be rebuilt so.
bool RebuildWithResources(const Image& image, const std::vector<Resource>& resources, std::vector<uint8_t>* out,
                          std::string* error);

// The PE checksum of `bytes` (the field at `checksumOffset` counted as zero): the
// 16-bit one's-complement sum of the file plus its length, as the loader of a
// driver or a system DLL checks it.
uint32_t ImageChecksum(const std::vector<uint8_t>& bytes, uint64_t checksumOffset);

}  // namespace pe
