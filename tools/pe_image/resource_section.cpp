#include "tools/pe_image/resource_section.h"

#include <map>

namespace pe {
namespace {

constexpr size_t kResourceDirectory = 2;
constexpr size_t kSecurityDirectory = 4;
constexpr size_t kRelocationDirectory = 5;
constexpr uint32_t kInitializedData = 0x00000040;
constexpr uint32_t kPageSize = 0x1000;

// Base relocation types, and how many bytes each patches: HIGHLOW in PE32 images,
// DIR64 in PE32+ ones; the 16-bit halves of old tool chains are understood too.
constexpr uint32_t kRelocationAbsolute = 0;  // padding, patches nothing
constexpr uint32_t kRelocationHighAdjust = 4;
uint32_t RelocationWidth(uint32_t type) {
  switch (type) {
    case 1: case 2: case kRelocationHighAdjust: return 2;  // HIGH, LOW, HIGHADJ
    case 3: return 4;                                      // HIGHLOW
    case 10: return 8;                                     // DIR64
    default: return 0;
  }
}

uint64_t AlignUp(uint64_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }

// A type or a name of the tree: named entries sort before numbered ones.
struct Key {
  bool named = false;
  std::string name;
  uint32_t id = 0;
  bool operator<(const Key& other) const {
    if (named != other.named) return named;
    return named ? name < other.name : id < other.id;
  }
};

Key TypeKey(const Resource& r) { return r.typeName.empty() ? Key{false, "", r.type} : Key{true, r.typeName, 0}; }
Key NameKey(const Resource& r) { return r.idName.empty() ? Key{false, "", r.id} : Key{true, r.idName, 0}; }

using Languages = std::map<uint32_t, const Resource*>;
using Names = std::map<Key, Languages>;
using Tree = std::map<Key, Names>;

}  // namespace

std::vector<uint8_t> BuildResourceSection(const std::vector<Resource>& resources, uint32_t sectionRva) {
  Tree tree;
  for (const Resource& r : resources) tree[TypeKey(r)][NameKey(r)][r.language] = &r;

  // Sizes first: the directories (root, the types' directories, the names'
  // directories), the data entries, the names, then the data.
  size_t directories = 16 + 8 * tree.size();
  size_t leaves = 0;
  size_t nameBytes = 0;
  for (const auto& [type, names] : tree) {
    directories += 16 + 8 * names.size();
    if (type.named) nameBytes += 2 + 2 * type.name.size();
    for (const auto& [name, languages] : names) {
      directories += 16 + 8 * languages.size();
      leaves += languages.size();
      if (name.named) nameBytes += 2 + 2 * name.name.size();
    }
  }
  size_t leafStart = directories;
  size_t nameStart = leafStart + 16 * leaves;
  size_t dataStart = AlignUp(nameStart + nameBytes, 8);
  // The data is written in the tree's order, not the list's, each piece on an 8-byte
  // boundary: room for every piece padded is enough whatever the order.
  size_t total = dataStart;
  for (const Resource& r : resources) total += AlignUp(r.data.size(), 8);
  std::vector<uint8_t> out(total, 0);

  size_t nextDirectory = 0, nextLeaf = leafStart, nextName = nameStart, nextData = dataStart;
  auto directory = [&](size_t named, size_t numbered) {
    size_t at = nextDirectory;
    Write16(&out, at + 12, (uint32_t)named);
    Write16(&out, at + 14, (uint32_t)numbered);
    nextDirectory += 16 + 8 * (named + numbered);
    return at;
  };
  auto nameField = [&](const Key& key) -> uint32_t {
    if (!key.named) return key.id;
    size_t at = nextName;
    Write16(&out, at, (uint32_t)key.name.size());
    for (size_t i = 0; i < key.name.size(); ++i) Write16(&out, at + 2 + 2 * i, (uint8_t)key.name[i]);
    nextName += 2 + 2 * key.name.size();
    return 0x80000000u | (uint32_t)at;
  };
  auto countNamed = [](const auto& level) {
    size_t n = 0;
    for (const auto& entry : level) n += entry.first.named;
    return n;
  };

  // Breadth first: the root, then every type's directory, then every name's.
  size_t root = directory(countNamed(tree), tree.size() - countNamed(tree));
  std::vector<size_t> typeDirectories;
  size_t slot = root + 16;
  for (const auto& [type, names] : tree) {
    size_t at = directory(countNamed(names), names.size() - countNamed(names));
    Write32(&out, slot, nameField(type));
    Write32(&out, slot + 4, 0x80000000u | (uint32_t)at);
    slot += 8;
    typeDirectories.push_back(at);
  }
  size_t typeIndex = 0;
  for (const auto& [type, names] : tree) {
    slot = typeDirectories[typeIndex++] + 16;
    for (const auto& [name, languages] : names) {
      size_t at = directory(0, languages.size());
      Write32(&out, slot, nameField(name));
      Write32(&out, slot + 4, 0x80000000u | (uint32_t)at);
      slot += 8;
      size_t languageSlot = at + 16;
      for (const auto& [language, resource] : languages) {
        nextData = AlignUp(nextData, 8);
        Write32(&out, languageSlot, language);
        Write32(&out, languageSlot + 4, (uint32_t)nextLeaf);
        languageSlot += 8;
        Write32(&out, nextLeaf, sectionRva + (uint32_t)nextData);
        Write32(&out, nextLeaf + 4, (uint32_t)resource->data.size());
        Write32(&out, nextLeaf + 8, resource->codePage);
        nextLeaf += 16;
        std::copy(resource->data.begin(), resource->data.end(), out.begin() + nextData);
        nextData += resource->data.size();
      }
    }
  }
  out.resize(AlignUp(nextData, 8));
  return out;
}

uint32_t ImageChecksum(const std::vector<uint8_t>& bytes, uint64_t checksumOffset) {
  uint64_t sum = 0;
  for (uint64_t i = 0; i < bytes.size(); i += 2) {
    if (i == checksumOffset || i == checksumOffset + 2) continue;
    uint32_t word = bytes[i] | (i + 1 < bytes.size() ? (uint32_t)bytes[i + 1] << 8 : 0);
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return (uint32_t)(sum + bytes.size());
}

namespace {

// Whether a section after the resource section may move: it holds the base
// relocations and nothing else anything refers to by address.
bool Movable(const Image& image, size_t index, uint32_t firstMovedRva, std::string* error) {
  const Section& s = image.sections[index];
  uint32_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
  auto inside = [&](uint32_t rva) { return rva >= s.virtualAddress && rva - s.virtualAddress < span; };
  for (size_t d = 0; d < image.directories.size(); ++d) {
    if (d == kRelocationDirectory || image.directories[d].first == 0) continue;
    if (inside(image.directories[d].first)) {
      *error = "section " + s.name + " follows the resource section and holds data directory " + std::to_string(d) +
               "; only the base relocations may follow it";
      return false;
    }
  }
  const auto& reloc = image.directories[kRelocationDirectory];
  if (image.entryRva != 0 && inside(image.entryRva)) {
    *error = "section " + s.name + " follows the resource section and holds the entry point";
    return false;
  }
  if (reloc.first == 0 || !inside(reloc.first)) {
    *error = "section " + s.name + " follows the resource section and does not hold the base relocations";
    return false;
  }
  // Nothing the relocations patch may lie in or after the resource section.
  int64_t at = OffsetOf(image, reloc.first);
  if (at < 0 || (uint64_t)at + reloc.second > image.bytes.size()) {
    *error = "the base relocations lie outside the file";
    return false;
  }
  for (uint64_t block = (uint64_t)at; block + 8 <= (uint64_t)at + reloc.second;) {
    uint32_t page = Read32(image.bytes, block), size = Read32(image.bytes, block + 4);
    if (size < 8 || size > (uint64_t)at + reloc.second - block) {
      *error = "a block of the base relocations has a size of " + std::to_string(size);
      return false;
    }
    for (uint64_t e = block + 8; e + 2 <= block + size; e += 2) {
      uint32_t entry = Read16(image.bytes, e), type = entry >> 12;
      uint32_t width = RelocationWidth(type);
      if (type == kRelocationHighAdjust) e += 2;  // its second slot holds the low half, no address
      if (width == 0) {
        if (type == kRelocationAbsolute) continue;
        *error = "the base relocations hold type " + std::to_string(type) + ", which this tool does not know";
        return false;
      }
      if ((uint64_t)page + (entry & 0xFFF) + width > firstMovedRva) {
        *error = "base relocations patch the resource section or a section after it";
        return false;
      }
    }
    block += size;
  }
  return true;
}

}  // namespace

bool RebuildWithResources(const Image& image, const std::vector<Resource>& resources, std::vector<uint8_t>* out,
                          std::string* error) {
  const auto& b = image.bytes;
  if (image.directories.size() <= kRelocationDirectory) {
    *error = "the image has too few data directories";
    return false;
  }
  if (image.directories[kSecurityDirectory].second != 0) {
    *error = "the image carries a signature";
    return false;
  }
  if (image.symbolTableOffset != 0) {
    *error = "the image carries a symbol table; link it stripped";
    return false;
  }
  uint32_t sa = image.sectionAlignment, fa = image.fileAlignment;
  if (sa == 0 || fa == 0 || (sa & (sa - 1)) != 0 || (fa & (fa - 1)) != 0) {
    *error = "the image's section or file alignment is not a power of two";
    return false;
  }
  uint32_t rsrcRva = image.directories[kResourceDirectory].first;
  size_t r = 0;
  while (r < image.sections.size() && (rsrcRva == 0 || image.sections[r].virtualAddress != rsrcRva)) ++r;
  if (r == image.sections.size()) {
    *error = "the image has no resource section of its own";
    return false;
  }
  uint64_t fileEnd = 0, lastRaw = 0, lastVa = 0;
  for (const Section& s : image.sections) {
    if (s.virtualAddress < lastVa || (s.rawSize != 0 && s.rawOffset < lastRaw)) {
      *error = "the image's sections are not in ascending order";
      return false;
    }
    lastVa = s.virtualAddress;
    if (s.rawSize != 0) lastRaw = (uint64_t)s.rawOffset + s.rawSize;
    if (lastRaw > fileEnd) fileEnd = lastRaw;
  }
  if (fileEnd > b.size()) {
    *error = "the image is cut short";
    return false;
  }
  if (fileEnd < b.size()) {
    *error = std::to_string(b.size() - fileEnd) + " bytes follow the last section; they would be lost";
    return false;
  }
  const Section& rsrc = image.sections[r];
  for (size_t i = r + 1; i < image.sections.size(); ++i) {
    if (!Movable(image, i, rsrc.virtualAddress, error)) return false;
  }

  std::vector<uint8_t> content = BuildResourceSection(resources, rsrcRva);
  // The resource section, the payload in it, starts and ends on a page of the file, so
  // that a loader can map it from the file and read the payload as it is used: Wine
  // maps a section only from a page-aligned file offset and otherwise reads it whole
  // into memory when it loads the image. A page is a multiple of every smaller
  // FileAlignment, which stays as it is, so every loader reads the section where it
  // did; the bytes up to the page belong to no section. An image whose sections are
  // not page-aligned in memory is mapped flat, file offset = address, and keeps its
  // file alignment.
  uint32_t rawAlignment = sa >= kPageSize && fa < kPageSize ? kPageSize : fa;
  uint32_t rsrcOffset = (uint32_t)AlignUp(rsrc.rawOffset, rawAlignment);
  uint32_t newRawSize = (uint32_t)AlignUp(content.size(), rawAlignment);
  int64_t vaDelta = 0, rawDelta = 0;
  if (r + 1 < image.sections.size()) {
    const Section& next = image.sections[r + 1];
    vaDelta = (int64_t)AlignUp(rsrcRva + content.size(), sa) - next.virtualAddress;
    rawDelta = (int64_t)rsrcOffset + newRawSize - next.rawOffset;
  }

  out->assign(b.begin(), b.begin() + rsrc.rawOffset);
  out->resize(rsrcOffset, 0);
  out->insert(out->end(), content.begin(), content.end());
  out->resize((size_t)rsrcOffset + newRawSize, 0);
  uint64_t table = image.sectionTableOffset;
  Write32(out, table + 40 * r + 8, (uint32_t)content.size());
  Write32(out, table + 40 * r + 16, newRawSize);
  Write32(out, table + 40 * r + 20, rsrcOffset);
  uint64_t imageEnd = AlignUp(rsrcRva + content.size(), sa);
  for (size_t i = r + 1; i < image.sections.size(); ++i) {
    const Section& s = image.sections[i];
    uint32_t va = (uint32_t)(s.virtualAddress + vaDelta);
    Write32(out, table + 40 * i + 12, va);
    if (s.rawSize != 0) {
      uint32_t raw = (uint32_t)(s.rawOffset + rawDelta);
      Write32(out, table + 40 * i + 20, raw);
      out->resize(raw, 0);
      out->insert(out->end(), b.begin() + s.rawOffset, b.begin() + s.rawOffset + s.rawSize);
    }
    imageEnd = AlignUp((uint64_t)va + (s.virtualSize != 0 ? s.virtualSize : s.rawSize), sa);
  }

  uint64_t opt = image.optionalHeaderOffset;
  // SizeOfImage, SizeOfInitializedData and CheckSum stand at the same offsets in
  // PE32 and PE32+ headers; only the data directories differ.
  Write32(out, opt + 56, (uint32_t)imageEnd);  // SizeOfImage
  if (rsrc.characteristics & kInitializedData) {
    int64_t initialized = (int64_t)Read32(b, opt + 8) + newRawSize - rsrc.rawSize;
    Write32(out, opt + 8, (uint32_t)(initialized < 0 ? 0 : initialized));
  }
  uint64_t dirs = image.dataDirectoryOffset;
  Write32(out, dirs + 8 * kResourceDirectory, rsrcRva);
  Write32(out, dirs + 8 * kResourceDirectory + 4, (uint32_t)content.size());
  uint32_t relocRva = image.directories[kRelocationDirectory].first;
  if (relocRva >= rsrc.virtualAddress && r + 1 < image.sections.size()) {
    Write32(out, dirs + 8 * kRelocationDirectory, (uint32_t)(relocRva + vaDelta));
  }
  Write32(out, opt + 64, 0);
  Write32(out, opt + 64, ImageChecksum(*out, opt + 64));
  return true;
}

}  // namespace pe
