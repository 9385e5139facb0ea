// A small reader of PE images, PE32 (i386) and PE32+ (x86-64) alike, for the packing
// tool and the tests: headers, sections, the export and import directories and the
// resource tree.
// Portable C++: it reads the file's bytes and calls no system function.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pe {

struct Section {
  std::string name;
  uint32_t virtualAddress = 0;
  uint32_t virtualSize = 0;
  uint32_t rawOffset = 0;
  uint32_t rawSize = 0;
  uint32_t characteristics = 0;
};

struct Exports {
  std::string moduleName;
  uint32_t ordinalBase = 0;
  uint32_t functionCount = 0;
  uint32_t nameCount = 0;
  std::vector<uint32_t> functionRvas;            // index = ordinal - base
  std::vector<std::pair<std::string, uint32_t>> names;  // name, ordinal
};

struct Resource {
  uint32_t type = 0;        // numeric type, or 0 when named
  std::string typeName;     // name when the type is named
  uint32_t id = 0;          // numeric id, or 0 when named
  std::string idName;
  uint32_t language = 0;
  uint32_t codePage = 0;
  uint32_t dataRva = 0;
  uint32_t fileOffset = 0;  // where the data stands in the file
  std::vector<uint8_t> data;
};

struct Image {
  std::vector<uint8_t> bytes;
  uint16_t machine = 0;
  uint16_t characteristics = 0;
  uint16_t magic = 0;  // kPe32Magic or kPe32PlusMagic
  uint16_t subsystem = 0;
  uint16_t dllCharacteristics = 0;
  uint64_t imageBase = 0;  // 8 bytes wide in a PE32+ header
  uint32_t entryRva = 0;
  uint32_t timeDateStamp = 0;
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  uint32_t symbolTableOffset = 0;  // a COFF symbol table would follow the sections
  uint64_t optionalHeaderOffset = 0;
  uint64_t sectionTableOffset = 0;
  uint64_t dataDirectoryOffset = 0;  // where the first data directory stands in the file
  // The versions a loader checks before it runs the image.
  uint16_t majorOsVersion = 0, minorOsVersion = 0;
  uint16_t majorSubsystemVersion = 0, minorSubsystemVersion = 0;
  std::vector<Section> sections;
  // Data directories: rva and size, index as in the optional header.
  std::vector<std::pair<uint32_t, uint32_t>> directories;
};

constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint16_t kMachineI386 = 0x14C;
constexpr uint16_t kMachineAmd64 = 0x8664;

// "PE32" or "PE32+" by the optional header's magic, and the machine's name with its
// number ("i386", "x86-64", "ARM64 (machine 0xAA64)"): how messages name an image.
std::string FormatName(uint16_t magic);
std::string MachineName(uint16_t machine);

// Little-endian fields of an image's bytes; the offset must lie inside them.
uint16_t Read16(const std::vector<uint8_t>& bytes, uint64_t offset);
uint32_t Read32(const std::vector<uint8_t>& bytes, uint64_t offset);
void Write16(std::vector<uint8_t>* bytes, uint64_t offset, uint32_t value);
void Write32(std::vector<uint8_t>* bytes, uint64_t offset, uint32_t value);
uint64_t Read64(const std::vector<uint8_t>& bytes, uint64_t offset);
void Write64(std::vector<uint8_t>* bytes, uint64_t offset, uint64_t value);

// Parses the headers of `bytes`. False, with a reason in `error`, when it is neither
// a PE32 nor a PE32+ image (the reason names what it is when it can tell).
bool Parse(std::vector<uint8_t> bytes, Image* image, std::string* error);
bool LoadFile(const std::string& path, Image* image, std::string* error);
bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes);

// File offset of an RVA, or -1 when no section holds it.
int64_t OffsetOf(const Image& image, uint32_t rva);

bool ReadExports(const Image& image, Exports* exports, std::string* error);
// The DLL names of the import directory, in order.
bool ReadImportedModules(const Image& image, std::vector<std::string>* modules, std::string* error);

// One imported function: its module as the import directory names it, and its name
// ("#" and the number for one imported by ordinal).
struct Import {
  std::string module;
  std::string function;
};
// Every imported function, module by module in the directory's order.
bool ReadImports(const Image& image, std::vector<Import>* imports, std::string* error);
// Every resource of the three-level tree (type, name, language).
bool ReadResources(const Image& image, std::vector<Resource>* resources, std::string* error);
// The first resource with numeric type and id, or nullptr.
const Resource* FindNumericResource(const std::vector<Resource>& resources, uint32_t type, uint32_t id);

}  // namespace pe
