#include "tools/pe_image/pe_image.h"

#include <cstdio>

namespace pe {
namespace {

bool Has(const std::vector<uint8_t>& b, uint64_t offset, uint64_t size) {
  return offset <= b.size() && size <= b.size() - offset;
}

bool CString(const Image& image, uint32_t rva, std::string* out) {
  int64_t off = OffsetOf(image, rva);
  if (off < 0) return false;
  out->clear();
  for (uint64_t i = (uint64_t)off; i < image.bytes.size(); ++i) {
    if (image.bytes[i] == 0) return true;
    out->push_back((char)image.bytes[i]);
  }
  return false;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

}  // namespace

uint16_t Read16(const std::vector<uint8_t>& b, uint64_t o) { return (uint16_t)(b[o] | b[o + 1] << 8); }
uint32_t Read32(const std::vector<uint8_t>& b, uint64_t o) {
  return (uint32_t)b[o] | (uint32_t)b[o + 1] << 8 | (uint32_t)b[o + 2] << 16 | (uint32_t)b[o + 3] << 24;
}
uint64_t Read64(const std::vector<uint8_t>& b, uint64_t o) { return Read32(b, o) | (uint64_t)Read32(b, o + 4) << 32; }
void Write16(std::vector<uint8_t>* b, uint64_t o, uint32_t v) {
  (*b)[o] = (uint8_t)v;
  (*b)[o + 1] = (uint8_t)(v >> 8);
}
void Write32(std::vector<uint8_t>* b, uint64_t o, uint32_t v) {
  Write16(b, o, v & 0xFFFF);
  Write16(b, o + 2, v >> 16);
}
void Write64(std::vector<uint8_t>* b, uint64_t o, uint64_t v) {
  Write32(b, o, (uint32_t)v);
  Write32(b, o + 4, (uint32_t)(v >> 32));
}

std::string FormatName(uint16_t magic) {
  if (magic == kPe32Magic) return "PE32";
  if (magic == kPe32PlusMagic) return "PE32+";
  return "optional header magic " + Hex(magic);
}

std::string MachineName(uint16_t machine) {
  switch (machine) {
    case kMachineI386: return "i386";
    case kMachineAmd64: return "x86-64";
    case 0xAA64: return "ARM64 (machine 0xAA64)";
    case 0x1C4: return "ARM Thumb-2 (machine 0x1C4)";
    case 0x200: return "Itanium (machine 0x200)";
    default: return "machine " + Hex(machine);
  }
}

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  bytes->clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes->insert(bytes->end(), buf, buf + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool LoadFile(const std::string& path, Image* image, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadFile(path, &bytes)) {
    *error = "cannot read " + path;
    return false;
  }
  return Parse(std::move(bytes), image, error);
}

bool Parse(std::vector<uint8_t> bytes, Image* image, std::string* error) {
  image->bytes = std::move(bytes);
  const auto& b = image->bytes;
  if (!Has(b, 0, 64) || b[0] != 'M' || b[1] != 'Z') {
    *error = "no MZ header";
    return false;
  }
  uint32_t pe = Read32(b, 0x3C);
  if (!Has(b, pe, 24) || Read32(b, pe) != 0x00004550) {
    *error = "no PE signature";
    return false;
  }
  image->machine = Read16(b, pe + 4);
  uint16_t sectionCount = Read16(b, pe + 6);
  image->timeDateStamp = Read32(b, pe + 8);
  image->symbolTableOffset = Read32(b, pe + 12);
  uint16_t optionalSize = Read16(b, pe + 20);
  image->characteristics = Read16(b, pe + 22);
  uint64_t opt = pe + 24;
  if (!Has(b, opt, 2) || optionalSize < 2) {
    *error = "no optional header";
    return false;
  }
  image->magic = Read16(b, opt);
  bool plus = image->magic == kPe32PlusMagic;
  if (image->magic == 0x107) {
    *error = "a ROM image (optional header magic 0x107), neither PE32 nor PE32+";
    return false;
  }
  if (image->magic != kPe32Magic && !plus) {
    *error = FormatName(image->magic) + ", neither PE32 (0x10B) nor PE32+ (0x20B)";
    return false;
  }
  // PE32+ has no BaseOfData and widens ImageBase and the four stack and heap sizes
  // to 8 bytes, so its data directories begin 16 bytes further on.
  uint32_t directories = plus ? 112 : 96;
  if (optionalSize < directories || !Has(b, opt, optionalSize)) {
    *error = "a " + FormatName(image->magic) + " image whose optional header is truncated (" +
             (optionalSize < directories ? std::to_string(optionalSize) + " bytes, at least " +
                                               std::to_string(directories) + " needed"
                                         : "the file ends inside it") +
             ")";
    return false;
  }
  image->entryRva = Read32(b, opt + 16);
  image->imageBase = plus ? Read64(b, opt + 24) : Read32(b, opt + 28);
  image->sectionAlignment = Read32(b, opt + 32);
  image->fileAlignment = Read32(b, opt + 36);
  image->optionalHeaderOffset = opt;
  image->majorOsVersion = Read16(b, opt + 40);
  image->minorOsVersion = Read16(b, opt + 42);
  image->majorSubsystemVersion = Read16(b, opt + 48);
  image->minorSubsystemVersion = Read16(b, opt + 50);
  image->subsystem = Read16(b, opt + 68);
  image->dllCharacteristics = Read16(b, opt + 70);
  uint32_t dirCount = Read32(b, opt + directories - 4);
  image->dataDirectoryOffset = opt + directories;
  image->directories.clear();
  for (uint32_t i = 0; i < dirCount && directories + 8 * (uint64_t)(i + 1) <= optionalSize; ++i) {
    image->directories.emplace_back(Read32(b, image->dataDirectoryOffset + 8 * i),
                                    Read32(b, image->dataDirectoryOffset + 8 * i + 4));
  }
  uint64_t sec = opt + optionalSize;
  image->sectionTableOffset = sec;
  if (!Has(b, sec, 40ull * sectionCount)) {
    *error = "section table truncated";
    return false;
  }
  image->sections.clear();
  for (uint16_t i = 0; i < sectionCount; ++i) {
    uint64_t s = sec + 40ull * i;
    Section section;
    for (int k = 0; k < 8 && b[s + k] != 0; ++k) section.name.push_back((char)b[s + k]);
    section.virtualSize = Read32(b, s + 8);
    section.virtualAddress = Read32(b, s + 12);
    section.rawSize = Read32(b, s + 16);
    section.rawOffset = Read32(b, s + 20);
    section.characteristics = Read32(b, s + 36);
    image->sections.push_back(section);
  }
  return true;
}

int64_t OffsetOf(const Image& image, uint32_t rva) {
  for (const Section& s : image.sections) {
    uint32_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
    if (rva >= s.virtualAddress && rva - s.virtualAddress < span) {
      uint32_t delta = rva - s.virtualAddress;
      if (delta >= s.rawSize) return -1;  // in the zero-filled tail: not in the file
      return (int64_t)s.rawOffset + delta;
    }
  }
  return -1;
}

bool ReadExports(const Image& image, Exports* exports, std::string* error) {
  if (image.directories.empty() || image.directories[0].first == 0) {
    *error = "no export directory";
    return false;
  }
  const auto& b = image.bytes;
  int64_t dir = OffsetOf(image, image.directories[0].first);
  if (dir < 0 || !Has(b, (uint64_t)dir, 40)) {
    *error = "export directory outside the file";
    return false;
  }
  if (!CString(image, Read32(b, dir + 12), &exports->moduleName)) {
    *error = "export module name unreadable";
    return false;
  }
  exports->ordinalBase = Read32(b, dir + 16);
  exports->functionCount = Read32(b, dir + 20);
  exports->nameCount = Read32(b, dir + 24);
  int64_t functions = OffsetOf(image, Read32(b, dir + 28));
  int64_t names = OffsetOf(image, Read32(b, dir + 32));
  int64_t ordinals = OffsetOf(image, Read32(b, dir + 36));
  if (functions < 0 || !Has(b, (uint64_t)functions, 4ull * exports->functionCount) ||
      (exports->nameCount > 0 && (names < 0 || ordinals < 0 || !Has(b, (uint64_t)names, 4ull * exports->nameCount) ||
                                  !Has(b, (uint64_t)ordinals, 2ull * exports->nameCount)))) {
    *error = "export tables outside the file";
    return false;
  }
  exports->functionRvas.clear();
  for (uint32_t i = 0; i < exports->functionCount; ++i) exports->functionRvas.push_back(Read32(b, functions + 4 * i));
  exports->names.clear();
  for (uint32_t i = 0; i < exports->nameCount; ++i) {
    std::string name;
    if (!CString(image, Read32(b, names + 4 * i), &name)) {
      *error = "export name unreadable";
      return false;
    }
    exports->names.emplace_back(name, exports->ordinalBase + Read16(b, ordinals + 2 * i));
  }
  return true;
}

bool ReadImportedModules(const Image& image, std::vector<std::string>* modules, std::string* error) {
  modules->clear();
  if (image.directories.size() < 2 || image.directories[1].first == 0) return true;
  int64_t off = OffsetOf(image, image.directories[1].first);
  if (off < 0) {
    *error = "import directory outside the file";
    return false;
  }
  for (uint64_t d = (uint64_t)off; Has(image.bytes, d, 20); d += 20) {
    uint32_t nameRva = Read32(image.bytes, d + 12);
    if (nameRva == 0) return true;
    std::string name;
    if (!CString(image, nameRva, &name)) {
      *error = "import name unreadable";
      return false;
    }
    modules->push_back(name);
  }
  *error = "import directory truncated";
  return false;
}

bool ReadImports(const Image& image, std::vector<Import>* imports, std::string* error) {
  imports->clear();
  std::vector<std::string> modules;
  if (!ReadImportedModules(image, &modules, error)) return false;
  uint64_t descriptor = modules.empty() ? 0 : (uint64_t)OffsetOf(image, image.directories[1].first);
  for (const std::string& module : modules) {
    // The lookup table, or where a linker left none, the address table it was copied to.
    uint32_t table = Read32(image.bytes, descriptor);
    if (table == 0) table = Read32(image.bytes, descriptor + 16);
    descriptor += 20;
    int64_t off = OffsetOf(image, table);
    if (off < 0) {
      *error = "import table of " + module + " outside the file";
      return false;
    }
    // A PE32+ thunk is 8 bytes, its by-ordinal flag the top bit of those.
    bool plus = image.magic == kPe32PlusMagic;
    uint32_t width = plus ? 8 : 4;
    uint64_t byOrdinal = plus ? 1ull << 63 : 1ull << 31;
    for (uint64_t t = (uint64_t)off;; t += width) {
      if (!Has(image.bytes, t, width)) {
        *error = "import table of " + module + " truncated";
        return false;
      }
      uint64_t entry = plus ? Read64(image.bytes, t) : Read32(image.bytes, t);
      if (entry == 0) break;
      Import import{module, ""};
      if (entry & byOrdinal) {
        import.function = "#" + std::to_string(entry & 0xFFFFu);
      } else if (entry > 0xFFFFFFFFu || !CString(image, (uint32_t)entry + 2, &import.function)) {  // after the hint
        *error = "imported name of " + module + " unreadable";
        return false;
      }
      imports->push_back(import);
    }
  }
  return true;
}

namespace {

struct ResourceWalk {
  const Image& image;
  uint64_t base;  // file offset of the resource section's root directory
  std::vector<Resource>* out;
  std::string* error;
};

bool EntryName(const ResourceWalk& w, uint32_t nameField, uint32_t* id, std::string* name) {
  if ((nameField & 0x80000000u) == 0) {
    *id = nameField;
    return true;
  }
  uint64_t off = w.base + (nameField & 0x7FFFFFFFu);
  const auto& b = w.image.bytes;
  if (!Has(b, off, 2)) return false;
  uint16_t length = Read16(b, off);
  if (!Has(b, off + 2, 2ull * length)) return false;
  name->clear();
  for (uint16_t i = 0; i < length; ++i) name->push_back((char)Read16(b, off + 2 + 2 * i));
  *id = 0;
  return true;
}

bool Walk(const ResourceWalk& w, uint64_t dirOffset, int level, Resource current) {
  const auto& b = w.image.bytes;
  if (level > 2 || !Has(b, w.base + dirOffset, 16)) {
    *w.error = "resource directory malformed";
    return false;
  }
  uint64_t dir = w.base + dirOffset;
  uint32_t count = (uint32_t)Read16(b, dir + 12) + Read16(b, dir + 14);
  if (!Has(b, dir + 16, 8ull * count)) {
    *w.error = "resource directory truncated";
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t e = dir + 16 + 8ull * i;
    uint32_t nameField = Read32(b, e);
    uint32_t target = Read32(b, e + 4);
    Resource r = current;
    bool ok = level == 0   ? EntryName(w, nameField, &r.type, &r.typeName)
              : level == 1 ? EntryName(w, nameField, &r.id, &r.idName)
                           : (r.language = nameField, true);
    if (!ok) {
      *w.error = "resource name malformed";
      return false;
    }
    if (target & 0x80000000u) {
      if (!Walk(w, target & 0x7FFFFFFFu, level + 1, r)) return false;
      continue;
    }
    uint64_t data = w.base + target;
    if (!Has(b, data, 16)) {
      *w.error = "resource data entry truncated";
      return false;
    }
    r.dataRva = Read32(b, data);
    uint32_t size = Read32(b, data + 4);
    r.codePage = Read32(b, data + 8);
    int64_t off = OffsetOf(w.image, r.dataRva);
    if (off < 0 || !Has(b, (uint64_t)off, size)) {
      *w.error = "resource data outside the file";
      return false;
    }
    r.fileOffset = (uint32_t)off;
    r.data.assign(b.begin() + off, b.begin() + off + size);
    w.out->push_back(std::move(r));
  }
  return true;
}

}  // namespace

bool ReadResources(const Image& image, std::vector<Resource>* resources, std::string* error) {
  resources->clear();
  if (image.directories.size() < 3 || image.directories[2].first == 0) return true;
  int64_t root = OffsetOf(image, image.directories[2].first);
  if (root < 0) {
    *error = "resource directory outside the file";
    return false;
  }
  ResourceWalk w{image, (uint64_t)root, resources, error};
  return Walk(w, 0, 0, Resource());
}

const Resource* FindNumericResource(const std::vector<Resource>& resources, uint32_t type, uint32_t id) {
  for (const Resource& r : resources) {
    if (r.typeName.empty() && r.idName.empty() && r.type == type && r.id == id) return &r;
  }
  return nullptr;
}

}  // namespace pe
