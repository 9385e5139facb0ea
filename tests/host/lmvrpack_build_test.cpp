// lmvrpack build: the stub's resource section rebuilt around the payload, on a small
// stub image made here in both formats a stub comes in (PE32 i386, and PE32+ x86-64
// for the 64-bit twin; the real stub is checked under Wine), its refusals, and the
// command with its files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "payload/archive_format.h"
#include "payload/payload_digest.h"
#include "payload/payload_stream.h"
#include "tools/lmvrpack/command_line.h"
#include "tools/lmvrpack/dialog_template.h"
#include "tools/lmvrpack/installer_image.h"
#include "tools/lmvrpack/product_texts.h"
#include "shell/product_texts.h"
#include "tools/pe_image/pe_image.h"
#include "tools/pe_image/resource_section.h"

namespace fs = std::filesystem;

namespace {

using pe::Write16;
using pe::Write32;
using pe::Write64;

// What differs between the two image formats a stub may have.
struct Format {
  const char* name;  // as test names give it
  const char* shown;  // as messages do
  uint16_t magic, machine;
  const char* machineName;
  uint16_t otherMachine;  // the other format's machine, which this one does not accept
  const char* otherMachineName;
  uint32_t optionalSize, directories;  // SizeOfOptionalHeader; where its data directories begin
  uint64_t imageBase;
  uint16_t relocationType;
  uint32_t relocationWidth, thunkWidth;
};
void PrintTo(const Format& f, std::ostream* out) { *out << f.shown; }
const Format kFormats[] = {
    {"PE32", "PE32", 0x10B, 0x14C, "i386", 0x8664, "x86-64", 224, 96, 0x400000, 3, 4, 4},
    {"PE32plus", "PE32+", 0x20B, 0x8664, "x86-64", 0x14C, "i386", 240, 112, 0x140000000ull, 10, 8, 8},
};

pe::Resource MakeResource(uint32_t type, uint32_t id, const std::string& bytes, const std::string& idName = "") {
  pe::Resource r;
  r.type = type;
  r.id = idName.empty() ? id : 0;
  r.idName = idName;
  r.language = 0x0409;
  r.data.assign(bytes.begin(), bytes.end());
  return r;
}

// The stub's own resources: an icon, a named one, a dialog in two languages.
std::vector<pe::Resource> StubResources() {
  std::vector<pe::Resource> resources = {MakeResource(3, 1, std::string(744, 'i')), MakeResource(14, 100, "group"),
                                         MakeResource(5, 200, "dialog"), MakeResource(5, 0, "named", "LICENCE")};
  resources.push_back(MakeResource(5, 200, "Dialog"));
  resources.back().language = 0x0407;
  return resources;
}

enum { kText, kRsrc, kReloc };
const uint32_t kSectionRva[] = {0x1000, 0x2000, 0x3000};
const uint32_t kOffsetOpt = 0x40 + 24;
uint32_t Directory(const Format& f, int index) { return kOffsetOpt + f.directories + 8 * index; }

// A stub in the installer's shape: .text (code, the imports and the exports), .rsrc,
// .reloc, in that order, as the linker lays out install-stub.exe.
// `importsAfterRelocations` adds a section behind .reloc that the import directory
// points into.
std::vector<uint8_t> MakeStub(const Format& f, const std::vector<pe::Resource>& resources,
                              const std::string& module = "lmvr.ent", bool importsAfterRelocations = false) {
  std::vector<uint8_t> rsrc = pe::BuildResourceSection(resources, kSectionRva[kRsrc]);
  uint16_t sections = importsAfterRelocations ? 4 : 3;
  std::vector<uint8_t> b(0x400, 0);
  b[0] = 'M', b[1] = 'Z';
  Write32(&b, 0x3C, 0x40);
  Write32(&b, 0x40, 0x00004550);
  Write16(&b, 0x44, f.machine);
  Write16(&b, 0x46, sections);
  Write16(&b, 0x54, f.optionalSize);
  Write16(&b, 0x56, 0x0102);
  const uint32_t o = kOffsetOpt;
  Write16(&b, o, f.magic);
  Write32(&b, o + 8, 0x1000);  // SizeOfInitializedData: what the linker counted
  Write32(&b, o + 16, kSectionRva[kText]);
  f.magic == 0x20B ? Write64(&b, o + 24, f.imageBase) : Write32(&b, o + 28, (uint32_t)f.imageBase);
  Write32(&b, o + 32, 0x1000);
  Write32(&b, o + 36, 0x200);
  Write32(&b, o + 60, 0x400);
  Write16(&b, o + 68, 2);
  Write32(&b, o + f.directories - 4, 16);
  // .text: code bytes, the import directory of one module with a function imported
  // by name and one by ordinal, then the export directory and the module name.
  std::vector<uint8_t> text(0x200, 0xCC);
  std::fill(text.begin() + 0x40, text.end(), 0);
  auto thunk = [&](uint32_t at, uint64_t value) {
    f.thunkWidth == 8 ? Write64(&text, at, value) : Write32(&text, at, (uint32_t)value);
  };
  Write32(&text, 0x40, kSectionRva[kText] + 0x80);
  Write32(&text, 0x40 + 12, kSectionRva[kText] + 0xC0);
  thunk(0x80, kSectionRva[kText] + 0xA0);
  thunk(0x80 + f.thunkWidth, (f.thunkWidth == 8 ? 1ull << 63 : 1ull << 31) | 17);
  std::string name = "ExitProcess", dll = "KERNEL32.dll";
  std::copy(name.begin(), name.end(), text.begin() + 0xA2);
  std::copy(dll.begin(), dll.end(), text.begin() + 0xC0);
  Write32(&b, Directory(f, 1), kSectionRva[kText] + 0x40);
  Write32(&b, Directory(f, 1) + 4, 40);
  Write32(&text, 0x100 + 12, kSectionRva[kText] + 0x180);
  Write32(&text, 0x100 + 16, 1);
  Write32(&text, 0x100 + 28, kSectionRva[kText] + 0x1A0);  // an empty function table
  std::copy(module.begin(), module.end(), text.begin() + 0x180);
  Write32(&b, Directory(f, 0), kSectionRva[kText] + 0x100);
  Write32(&b, Directory(f, 0) + 4, 40);
  // .reloc: one block for the code page, its last fixup ending where the page does.
  std::vector<uint8_t> reloc(0x200, 0);
  Write32(&reloc, 0, kSectionRva[kText]);
  Write32(&reloc, 4, 12);
  Write16(&reloc, 8, f.relocationType << 12 | 0x010);
  Write16(&reloc, 10, f.relocationType << 12 | (0x1000 - f.relocationWidth));
  Write32(&b, Directory(f, 2), kSectionRva[kRsrc]);
  Write32(&b, Directory(f, 2) + 4, (uint32_t)rsrc.size());
  uint32_t relocRva = kSectionRva[kRsrc] + (uint32_t)((rsrc.size() + 0xFFF) / 0x1000 * 0x1000);
  Write32(&b, Directory(f, 5), relocRva);
  Write32(&b, Directory(f, 5) + 4, 12);
  struct Piece {
    const char* name;
    uint32_t rva;
    std::vector<uint8_t> bytes;
    uint32_t virtualSize;
    uint32_t flags;
  };
  std::vector<Piece> pieces = {{".text", kSectionRva[kText], text, 0x1C0, 0x60000020},
                               {".rsrc", kSectionRva[kRsrc], rsrc, (uint32_t)rsrc.size(), 0xC0000040},
                               {".reloc", relocRva, reloc, 12, 0x42000040}};
  if (importsAfterRelocations) {
    pieces.push_back({".idata", relocRva + 0x1000, std::vector<uint8_t>(0x200, 0), 0x20, 0xC0000040});
    Write32(&b, Directory(f, 1), relocRva + 0x1000);
    Write32(&b, Directory(f, 1) + 4, 20);
  }
  uint32_t end = 0;
  for (size_t i = 0; i < pieces.size(); ++i) {
    Piece& p = pieces[i];
    p.bytes.resize((p.bytes.size() + 0x1FF) / 0x200 * 0x200, 0);
    size_t s = kOffsetOpt + f.optionalSize + 40 * i;
    std::copy(p.name, p.name + std::string(p.name).size(), b.begin() + s);
    Write32(&b, s + 8, p.virtualSize);
    Write32(&b, s + 12, p.rva);
    Write32(&b, s + 16, (uint32_t)p.bytes.size());
    Write32(&b, s + 20, (uint32_t)b.size());
    Write32(&b, s + 36, p.flags);
    b.insert(b.end(), p.bytes.begin(), p.bytes.end());
    end = p.rva + (p.virtualSize + 0xFFF) / 0x1000 * 0x1000;
  }
  Write32(&b, o + 56, end);
  return b;
}

pe::Image Parse(const std::vector<uint8_t>& bytes) {
  pe::Image image;
  std::string error;
  EXPECT_TRUE(pe::Parse(bytes, &image, &error)) << error;
  return image;
}

std::vector<pe::Resource> ResourcesOf(const pe::Image& image) {
  std::vector<pe::Resource> resources;
  std::string error;
  EXPECT_TRUE(pe::ReadResources(image, &resources, &error)) << error;
  return resources;
}

std::string Describe(const pe::Resource& r) {
  return std::to_string(r.type) + r.typeName + "/" + std::to_string(r.id) + r.idName + "/" +
         std::to_string(r.language) + ":" + std::string(r.data.begin(), r.data.end());
}

std::vector<std::string> Describe(const std::vector<pe::Resource>& resources) {
  std::vector<std::string> out;
  for (const pe::Resource& r : resources) out.push_back(Describe(r));
  std::sort(out.begin(), out.end());
  return out;
}

bool Build(const std::vector<uint8_t>& stub, const std::string& payload, std::vector<uint8_t>* installer,
           std::string* note, std::string* error) {
  return lmvrpack::BuildInstallerImage(stub, std::vector<uint8_t>(payload.begin(), payload.end()), installer, note,
                                       error);
}

// Payloads of the sizes of an empty archive's, the sample product's and the full
// product's (495 files, 1.28 MB compressed); odd lengths, so that the padding behind
// the data is exercised.
const std::vector<std::string> kPayloads = {std::string(17, 'e'), std::string(15039, 's'), std::string(1280247, 'b')};

// Every case runs once per format.
class LmvrpackBuild : public testing::TestWithParam<Format> {};
INSTANTIATE_TEST_SUITE_P(Formats, LmvrpackBuild, testing::ValuesIn(kFormats),
                         [](const testing::TestParamInfo<Format>& info) { return std::string(info.param.name); });

}  // namespace

TEST_P(LmvrpackBuild, TheStubKeepsItsResourcesCodeExportsAndRelocationsBesideThePayload) {
  const Format& f = GetParam();
  std::vector<uint8_t> stub = MakeStub(f, StubResources());
  pe::Image before = Parse(stub);
  EXPECT_EQ(before.imageBase, f.imageBase);
  for (const std::string& payload : kPayloads) {
    std::vector<uint8_t> installer;
    std::string note, error;
    ASSERT_TRUE(Build(stub, payload, &installer, &note, &error)) << error;
    EXPECT_EQ(note, "");
    pe::Image after = Parse(installer);
    std::vector<pe::Resource> resources = ResourcesOf(after);

    std::vector<pe::Resource> expected = StubResources();
    expected.push_back(MakeResource(512, 301, payload));
    EXPECT_EQ(Describe(resources), Describe(expected));
    const pe::Resource* found = pe::FindNumericResource(resources, 512, 301);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->language, 0x0409u);
    EXPECT_EQ(found->dataRva % 8, 0u);

    // Code and headers before the resource section unchanged; the relocations moved
    // whole behind it, their directory following them.
    ASSERT_EQ(after.sections.size(), 3u);
    const pe::Section& text = before.sections[kText];
    EXPECT_TRUE(std::equal(stub.begin() + text.rawOffset, stub.begin() + text.rawOffset + text.rawSize,
                           installer.begin() + text.rawOffset));
    const pe::Section& rsrc = after.sections[kRsrc];
    const pe::Section& reloc = after.sections[kReloc];
    EXPECT_EQ(rsrc.virtualSize, after.directories[2].second);
    EXPECT_GE(rsrc.rawSize, rsrc.virtualSize);
    // Whole pages of the file, so that Wine maps the payload rather than reading it,
    // within the stub's FileAlignment, which stays.
    EXPECT_EQ(rsrc.rawOffset % 0x1000, 0u);
    EXPECT_EQ(rsrc.rawSize % 0x1000, 0u);
    EXPECT_EQ(after.fileAlignment, 0x200u);
    EXPECT_EQ(reloc.virtualAddress, (rsrc.virtualAddress + rsrc.virtualSize + 0xFFF) / 0x1000 * 0x1000);
    EXPECT_EQ(reloc.rawOffset, rsrc.rawOffset + rsrc.rawSize);
    EXPECT_EQ(after.directories[5], std::make_pair(reloc.virtualAddress, 12u));
    EXPECT_TRUE(std::equal(stub.begin() + before.sections[kReloc].rawOffset,
                           stub.begin() + before.sections[kReloc].rawOffset + 0x200,
                           installer.begin() + reloc.rawOffset));
    EXPECT_EQ(installer.size(), (size_t)reloc.rawOffset + reloc.rawSize);
    pe::Exports exports;
    ASSERT_TRUE(pe::ReadExports(after, &exports, &error)) << error;
    EXPECT_EQ(exports.moduleName, "lmvr.ent");
    std::vector<pe::Import> imports;
    ASSERT_TRUE(pe::ReadImports(after, &imports, &error)) << error;
    std::vector<std::string> names;
    for (const pe::Import& i : imports) names.push_back(i.module + ":" + i.function);
    EXPECT_EQ(names, std::vector<std::string>({"KERNEL32.dll:ExitProcess", "KERNEL32.dll:#17"}));

    // The figures of the optional header follow the new sizes.
    auto u32 = [&](size_t o) {
      return installer[o] | installer[o + 1] << 8 | installer[o + 2] << 16 | installer[o + 3] << 24;
    };
    EXPECT_EQ((uint32_t)u32(kOffsetOpt + 56), reloc.virtualAddress + 0x1000) << "SizeOfImage";
    EXPECT_EQ((uint32_t)u32(kOffsetOpt + 8), 0x1000 + rsrc.rawSize - before.sections[kRsrc].rawSize)
        << "SizeOfInitializedData";
    EXPECT_EQ((uint32_t)u32(kOffsetOpt + 64), pe::ImageChecksum(installer, kOffsetOpt + 64));
    EXPECT_NE(u32(kOffsetOpt + 64), 0);
  }
}

TEST_P(LmvrpackBuild, AStubThatHoldsAPayloadHasItReplacedAndTheSameInputsGiveTheSameBytes) {
  std::vector<uint8_t> stub = MakeStub(GetParam(), StubResources());
  std::vector<uint8_t> first, again, rebuilt;
  std::string note, error;
  ASSERT_TRUE(Build(stub, kPayloads[2], &first, &note, &error)) << error;
  ASSERT_TRUE(Build(stub, kPayloads[2], &again, &note, &error)) << error;
  EXPECT_EQ(first, again);

  // Built from an installer (its payload the big one), then with the small payload:
  // the same as built from the stub, so nothing of the old payload stays behind.
  std::vector<uint8_t> fromStub;
  ASSERT_TRUE(Build(stub, kPayloads[1], &fromStub, &note, &error)) << error;
  ASSERT_TRUE(Build(first, kPayloads[1], &rebuilt, &note, &error)) << error;
  EXPECT_EQ(note, "the stub already holds a payload (1280247 bytes); it is replaced");
  EXPECT_EQ(rebuilt, fromStub);
}

TEST_P(LmvrpackBuild, WhatIsNoUnsignedInstallerStubIsRefusedWithItsReason) {
  const Format& f = GetParam();
  std::vector<uint8_t> good = MakeStub(f, StubResources());
  const uint32_t relocations = Parse(good).sections[kReloc].rawOffset;
  const std::string shown = f.shown, own = shown + " " + f.machineName, accepted = "; accepted are PE32 i386 and PE32+ x86-64 Windows GUI programs";
  struct Case {
    const char* what;
    std::vector<uint8_t> stub;
    const char* reason;
  };
  std::vector<Case> cases;
  auto changed = [&](size_t offset, uint32_t value, bool wide) {
    std::vector<uint8_t> b = good;
    wide ? Write32(&b, offset, value) : Write16(&b, offset, value);
    return b;
  };
  const std::string other = "a " + shown + " " + f.otherMachineName + " image" + accepted;
  const std::string arm = "a " + shown + " ARM64 (machine 0xAA64) image" + accepted;
  const std::string rom = "(a ROM image (optional header magic 0x107), neither PE32 nor PE32+)" + accepted;
  const std::string shortHeader = "(a " + shown + " image whose optional header is truncated (" +
                                  std::to_string(f.directories - 8) + " bytes, at least " +
                                  std::to_string(f.directories) + " needed))" + accepted;
  const std::string console = "a " + own + " program of subsystem 3" + accepted, dll = "a " + own + " DLL" + accepted;
  cases.push_back({"a text file", std::vector<uint8_t>(100, 'x'), "not a Windows image (no MZ header)"});
  cases.push_back({"the other format's machine", changed(0x44, f.otherMachine, false), other.c_str()});
  cases.push_back({"ARM64", changed(0x44, 0xAA64, false), arm.c_str()});
  cases.push_back({"a ROM image", changed(kOffsetOpt, 0x107, false), rom.c_str()});
  cases.push_back({"a short optional header", changed(0x54, f.directories - 8, false), shortHeader.c_str()});
  cases.push_back({"a cut optional header", std::vector<uint8_t>(good.begin(), good.begin() + kOffsetOpt + 100),
                   "optional header is truncated (the file ends inside it)"});
  cases.push_back({"a console program", changed(kOffsetOpt + 68, 3, false), console.c_str()});
  cases.push_back({"a DLL", changed(0x56, 0x2102, false), dll.c_str()});
  cases.push_back({"another module", MakeStub(f, StubResources(), "other.dll"), "no export module \"lmvr.ent\""});
  cases.push_back({"a signed stub", changed(Directory(f, 4) + 4, 0x800, true), "carries a signature"});
  cases.push_back({"imports behind the relocations", MakeStub(f, StubResources(), "lmvr.ent", true),
                   "section .idata follows the resource section and holds data directory 1"});
  cases.push_back({"a fixup reaching into the resource section",
                   changed(relocations + 10, f.relocationType << 12 | (0x1001 - f.relocationWidth), false),
                   "base relocations patch the resource section"});
  cases.push_back({"an unknown relocation type", changed(relocations + 8, 0x5010, false),
                   "the base relocations hold type 5, which this tool does not know"});
  for (const Case& c : cases) {
    std::vector<uint8_t> installer;
    std::string note, error;
    EXPECT_FALSE(Build(c.stub, kPayloads[0], &installer, &note, &error)) << c.what;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
  }
}

TEST_P(LmvrpackBuild, TheCommandWritesThePackedPayloadIntoTheStubOrNothing) {
  static int serial = 0;
  fs::path root =
      fs::temp_directory_path() / ("lmvrpack-build-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
  fs::remove_all(root);
  fs::create_directories(root / "product" / "ENGLISH");
  std::ofstream(root / "product" / "MAIN.EXE", std::ios::binary) << "MZ main program";
  std::ofstream(root / "product" / "ENGLISH" / "INDEX.HTM", std::ios::binary) << "<html>";
  for (auto [name, size] : {std::pair<std::string, size_t>{"A", 511}, {"r.txt", 4097}, {"ENGLISH/" + std::string(43, 'n'), 32769}, {"B", (1 << 21) + 1}}) {
    std::ofstream(root / "product" / name, std::ios::binary) << std::string(size, 'b');
  }
  std::vector<uint8_t> stubBytes = MakeStub(GetParam(), StubResources());
  std::ofstream(root / "stub.exe", std::ios::binary)
      .write((const char*)stubBytes.data(), (std::streamsize)stubBytes.size());
  auto run = [](const std::vector<std::string>& arguments, std::string* err) {
    std::ostringstream out, errors;
    int status = lmvrpack::RunCommandLine(arguments, out, errors);
    *err = errors.str();
    return status;
  };
  std::string err;
  std::string product = (root / "product").string(), installer = (root / "install.exe").string();
  ASSERT_EQ(run({"pack", product, "--main", "MAIN.EXE", "-o", (root / "payload.bin").string(), "--quiet"}, &err), 0);
  ASSERT_EQ(run({"build", product, "--main", "MAIN.EXE", "--stub", (root / "stub.exe").string(), "-o", installer,
                 "--depfile", installer + ".d", "--quiet"},
                &err),
            0)
      << err;
  std::vector<uint8_t> packed, built;
  ASSERT_TRUE(pe::ReadFile((root / "payload.bin").string(), &packed));
  ASSERT_TRUE(pe::ReadFile(installer, &built));
  std::vector<pe::Resource> resources = ResourcesOf(Parse(built));
  const pe::Resource* payload = pe::FindNumericResource(resources, 512, 301);
  ASSERT_NE(payload, nullptr);
  EXPECT_EQ(payload->data, packed) << "build packs the same bytes as pack";
  // What the installer takes from the digest (the longest name, the room by unit) is
  // what its own inflation of the payload gives.
  const pe::Resource* stored = pe::FindNumericResource(resources, 512, 303);
  PayloadDigest digest, inflated{};
  ASSERT_TRUE(stored != nullptr && DecodePayloadDigest(stored->data.data(), stored->data.size(), &digest) == 0);
  std::vector<unsigned char> chunk(kPayloadChunkSize), archive(1 << 23);
  static const uint8_t* unread;
  unread = payload->data.data() + 4;
  StreamFill fill = [](unsigned char* buffer, uint32_t count) {
    std::copy(unread, unread + count, buffer);
    unread += count;
    return 0;
  };
  ASSERT_EQ(StartPayloadStream((uint32_t)payload->data.size() - 4, chunk.data(), malloc, free, fill), 0);
  archive.resize(PullPayloadBytes(archive.data(), (uint32_t)archive.size()));
  EndPayloadStream();
  for (size_t at = kArchiveHeaderSize, size = 0; at < archive.size(); at += 1 + archive[at] + 4 + size) {
    size = ReadLittleEndian32(&archive[at + 1 + archive[at]]);
    inflated.longestName = std::max(inflated.longestName, (uint16_t)std::string((const char*)&archive[at + 1]).size());
    AddFileToRoom(&inflated.room, (uint32_t)size);
  }
  EXPECT_EQ(std::vector<uint64_t>(digest.room.bytes, digest.room.bytes + kRoomUnitCount),
            std::vector<uint64_t>(inflated.room.bytes, inflated.room.bytes + kRoomUnitCount));
  EXPECT_EQ(std::make_pair(digest.longestName, digest.room.files), std::make_pair(inflated.longestName, inflated.room.files));
  std::ifstream depfile(installer + ".d");
  std::string dependencies((std::istreambuf_iterator<char>(depfile)), std::istreambuf_iterator<char>());
  EXPECT_NE(dependencies.find("stub.exe"), std::string::npos) << dependencies;
  EXPECT_EQ(run({"verify", installer}, &err), 0) << err;
  EXPECT_EQ(run({"list", installer}, &err), 0) << err;
  EXPECT_EQ(run({"winget", installer, "--id", "A.B", "--url", "http://a/i.exe", "--out", (root / "none").string()}, &err),
            1);
  EXPECT_NE(err.find(GetParam().machine == pe::kMachineI386 ? "the installer names no version" : "for x86-64"),
            std::string::npos)
      << err;
  EXPECT_FALSE(fs::exists(root / "none"));
  // The main program has no version resource: the options give the texts.
  ASSERT_EQ(run({"build", product, "--main", "MAIN.EXE", "--stub", (root / "stub.exe").string(), "-o", installer,
                 "--version", "3.0 beta", "--publisher", "Fabrikam \xc3\xa9", "--quiet"},
                &err),
            0)
      << err;
  std::ostringstream listed, errors;
  EXPECT_EQ(lmvrpack::RunCommandLine({"verify", installer}, listed, errors), 0) << errors.str();
  EXPECT_NE(listed.str().find("version       3.0 beta\npublisher     Fabrikam \xc3\xa9\n"), std::string::npos)
      << listed.str();
  // Its winget manifest carries its own figures; the SHA-256 is the system tool's.
  fs::path manifests = root / "winget";
  std::vector<std::string> winget = {"winget", installer, "--id", "Fabrikam.Viewer", "--url",
                                     "https://downloads.example.com/install.exe", "--out", manifests.string()};
  if (GetParam().machine == pe::kMachineI386) {
    ASSERT_EQ(run(winget, &err), 0) << err;
    std::string sha256(64, ' ');
    FILE* tool = popen(("sha256sum '" + installer + "'").c_str(), "r");
    ASSERT_EQ(fread(&sha256[0], 1, 64, tool), 64u);
    pclose(tool);
    std::transform(sha256.begin(), sha256.end(), sha256.begin(), ::toupper);
    std::ifstream file(manifests / "Fabrikam.Viewer.installer.yaml");
    std::string text((std::istreambuf_iterator<char>(file)), {});
    text.erase(std::remove(text.begin(), text.end(), '\''), text.end());  // quoted or bare, as YAML reads them
    for (const std::string& line : std::vector<std::string>{"InstallerSha256: " + sha256, "PackageVersion: 3.0 beta",
                             "  Publisher: Fabrikam \xc3\xa9", "  ProductCode: Lumivora"}) {
      EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    }
    EXPECT_TRUE(fs::exists(manifests / "Fabrikam.Viewer.yaml") && fs::exists(manifests / "Fabrikam.Viewer.locale.en-US.yaml"));
  } else {
    EXPECT_EQ(run(winget, &err), 1);
    EXPECT_NE(err.find("a PE32+ image for x86-64, which needs to be PE32 for i386"), std::string::npos) << err;
  }
  EXPECT_EQ(run({"build", product, "--main", "MAIN.EXE", "--stub", (root / "stub.exe").string(), "-o", installer,
                 "--publisher", std::string(64, 'p')},
                &err),
            1);
  EXPECT_NE(err.find("--publisher: \"pppp"), std::string::npos) << err;

  // A refused stub or a missing --stub leave the installer as it was.
  fs::remove(installer);
  std::vector<uint8_t> signedStub = stubBytes;
  Write32(&signedStub, Directory(GetParam(), 4) + 4, 0x800);
  std::ofstream(root / "signed.exe", std::ios::binary)
      .write((const char*)signedStub.data(), (std::streamsize)signedStub.size());
  EXPECT_EQ(
      run({"build", product, "--main", "MAIN.EXE", "--stub", (root / "signed.exe").string(), "-o", installer}, &err),
      1);
  EXPECT_NE(err.find("signed.exe: the stub carries a signature"), std::string::npos) << err;
  EXPECT_EQ(run({"build", product, "--main", "MAIN.EXE", "-o", installer}, &err), 2);
  EXPECT_NE(err.find("no installer stub given (--stub)"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(installer));
  EXPECT_FALSE(fs::exists(installer + ".part"));
  fs::remove_all(root);
}

TEST_P(LmvrpackBuild, TheCommandPacksLanguagesAndLicencesOrRefusesThemAndWritesNothing) {
  fs::path root = fs::temp_directory_path() / ("lmvrpack-languages-" + std::to_string(getpid()) + GetParam().name);
  fs::remove_all(root);
  fs::create_directories(root / "product");
  std::ofstream(root / "product" / "MAIN.EXE", std::ios::binary) << "MZ main program";
  // The stub carries the installer's five base templates.
  std::ifstream script(std::string(LMVR_SOURCE_DIR) + "/resources/dialogs.rc");
  std::map<int, lmvrpack::DialogTemplate> bases;
  std::string error;
  ASSERT_TRUE(lmvrpack::ReadDialogScript(std::string(std::istreambuf_iterator<char>(script), {}), &bases, &error));
  std::vector<pe::Resource> resources = StubResources();
  resources.erase(std::remove_if(resources.begin(), resources.end(), [](const pe::Resource& r) { return r.id == 200; }),
                  resources.end());
  for (const auto& [id, dialog] : bases) {
    std::vector<uint8_t> bytes = lmvrpack::WriteDialogTemplate(dialog);
    resources.push_back(MakeResource(5, id, std::string(bytes.begin(), bytes.end())));
  }
  std::vector<uint8_t> stubBytes = MakeStub(GetParam(), resources);
  std::ofstream(root / "stub.exe", std::ios::binary).write((const char*)stubBytes.data(), (std::streamsize)stubBytes.size());
  std::ofstream(root / "licence.txt", std::ios::binary) << "Our own terms.\n\nNothing else.\n";
  std::string german = std::string(LMVR_SOURCE_DIR) + "/languages/de.po";
  std::string installer = (root / "install.exe").string();
  auto run = [&](std::vector<std::string> more, std::string* out) {
    std::vector<std::string> arguments = {"build", (root / "product").string(), "--main", "MAIN.EXE", "--stub",
                                          (root / "stub.exe").string(), "-o", installer};
    arguments.insert(arguments.end(), more.begin(), more.end());
    std::ostringstream printed, errors;
    int status = lmvrpack::RunCommandLine(arguments, printed, errors);
    *out = printed.str() + errors.str();
    return status;
  };
  std::string out;
  ASSERT_EQ(run({"--language", german, "--licence", "E=" + (root / "licence.txt").string(), "--quiet"}, &out), 0) << out;
  std::vector<uint8_t> first, again;
  ASSERT_TRUE(pe::ReadFile(installer, &first));
  std::ostringstream listed, errors;
  EXPECT_EQ(lmvrpack::RunCommandLine({"list", installer}, listed, errors), 0) << errors.str();
  EXPECT_NE(listed.str().find("languages     E English: built in, and table 400 (3 messages)\n"
                              "              G German: table 401 (17 messages, chosen for country 49), variants 201 "
                              "211 221 231 241\n"),
            std::string::npos)
      << listed.str();
  ASSERT_EQ(run({"--language", german, "--licence", "E=" + (root / "licence.txt").string(), "--quiet"}, &out), 0) << out;
  ASSERT_TRUE(pe::ReadFile(installer, &again));
  EXPECT_EQ(first, again);

  // One bad file among good ones: its file and line are named, and nothing is written.
  fs::remove(installer);
  fs::create_directories(root / "languages");
  std::ifstream in(german, std::ios::binary);
  std::string text(std::istreambuf_iterator<char>(in), {});
  text.replace(text.find("belegen %ld KB"), 14, "belegen %s KB");
  std::ofstream(root / "languages" / "de.po", std::ios::binary) << text;
  EXPECT_EQ(run({"--language", (root / "languages").string()}, &out), 1);
  EXPECT_NE(out.find("de.po:280: the placeholders of \"occupy\" are %s; the English text has %ld"), std::string::npos)
      << out;
  EXPECT_NE(out.find("the languages refused, no installer written"), std::string::npos) << out;
  EXPECT_EQ(run({"--licence", "G=" + (root / "licence.txt").string()}, &out), 1);
  EXPECT_NE(out.find("--licence G=: no language file for that letter is given"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(installer));
  fs::remove_all(root);
}

namespace {

// A node of a version resource as the resource compiler lays it out: wLength,
// wValueLength, wType, the key and its NUL, then value and children on 4-byte
// boundaries.
std::vector<uint8_t> VersionNode(const std::u16string& key, const std::u16string& text,
                                 const std::vector<std::vector<uint8_t>>& children = {}) {
  std::vector<uint8_t> b(6, 0);
  auto put = [&](const std::u16string& s) {
    for (char16_t c : s + u'\0') b.push_back((uint8_t)c), b.push_back((uint8_t)(c >> 8));
    b.resize((b.size() + 3) & ~size_t(3));
  };
  put(key);
  if (!text.empty()) put(text);
  for (const auto& child : children) b.insert(b.end(), child.begin(), child.end());
  Write16(&b, 0, (uint32_t)b.size());
  Write16(&b, 2, (uint32_t)(text.empty() ? 0 : text.size() + 1));
  Write16(&b, 4, 1);
  return b;
}
std::vector<uint8_t> VersionInfo(const std::u16string& version, const std::u16string& company) {
  return VersionNode(u"VS_VERSION_INFO", u"",
                     {VersionNode(u"StringFileInfo", u"",
                                  {VersionNode(u"040904E4", u"", {VersionNode(u"CompanyName", company),
                                                                  VersionNode(u"ProductVersion", version)})})});
}

}  // namespace

TEST(LmvrpackProductTexts, AreReadFromTheMainProgramsVersionResourceOrRefusedWithTheReason) {
  const Format& f = kFormats[0];
  lmvrpack::ProductTexts texts;
  std::string note, error;
  std::vector<pe::Resource> resources = StubResources();
  EXPECT_TRUE(lmvrpack::ProductTextsOfProgram(MakeStub(f, resources), &texts, &note, &error)) << error;
  EXPECT_EQ(note, "it has no version resource: the installer names no version or publisher");
  EXPECT_TRUE(lmvrpack::ProductTextsOfProgram(std::vector<uint8_t>(40, 'x'), &texts, &note, &error));
  EXPECT_NE(note.find("not a Windows image"), std::string::npos) << note;

  resources.push_back(MakeResource(16, 1, ""));
  auto read = [&](const std::vector<uint8_t>& block) {
    resources.back().data = block;
    note.clear();
    error.clear();
    return lmvrpack::ProductTextsOfProgram(MakeStub(f, resources), &texts, &note, &error);
  };
  ASSERT_TRUE(read(VersionInfo(u"2.1.0", u"Lumivora Software \u00a9"))) << error;
  EXPECT_EQ(texts.version, "2.1.0");
  EXPECT_EQ(texts.publisher, "Lumivora Software \xa9");
  EXPECT_EQ(note, "");

  std::vector<uint8_t> cut = VersionInfo(u"2.1.0", u"Lumivora");
  Write16(&cut, 0, (uint32_t)cut.size() + 8);
  EXPECT_FALSE(read(cut));
  EXPECT_NE(error.find("beyond its end"), std::string::npos) << error;
  EXPECT_FALSE(read(VersionNode(u"VS_VERSION", u"")));
  EXPECT_EQ(error, "the version resource does not begin with VS_VERSION_INFO");
  EXPECT_FALSE(read(VersionInfo(std::u16string(64, u'9'), u"")));
  EXPECT_NE(error.find("is longer than 63 characters"), std::string::npos) << error;
  EXPECT_FALSE(read(VersionInfo(u"2.1", u"\u2212")));
  EXPECT_NE(error.find("CompanyName holds a character"), std::string::npos) << error;
}

TEST(LmvrpackProductTexts, TheResourceReadsBackInTheInstallerAsWritten) {
  pe::Resource resource;
  EXPECT_FALSE(lmvrpack::ProductTextsResource({"", ""}, &resource)) << "no resource without texts";
  for (const lmvrpack::ProductTexts& given : std::vector<lmvrpack::ProductTexts>{
           {"2.1.0", "Lumivora Software"}, {"", "Lumivora Software"}, {std::string(63, 'v'), ""}}) {
    ASSERT_TRUE(lmvrpack::ProductTextsResource(given, &resource));
    EXPECT_EQ(resource.type, 512u);
    EXPECT_EQ(resource.id, 302u);
    char version[kProductTextSize], publisher[kProductTextSize];
    ProductTextsFromResource((const char*)resource.data.data(), resource.data.size(), version, publisher);
    EXPECT_EQ(version, given.version);
    EXPECT_EQ(publisher, given.publisher);
    lmvrpack::ProductTexts listed;
    std::vector<std::string> problems;
    EXPECT_TRUE(lmvrpack::ReadProductTexts({resource}, &listed, &problems));
    EXPECT_EQ(problems, std::vector<std::string>());
    EXPECT_EQ(listed.publisher, given.publisher);
  }
  // What the installer makes of a damaged resource: a text without its NUL or too long
  // reads as none.
  char version[kProductTextSize], publisher[kProductTextSize];
  const std::string damaged[] = {std::string("2.1.0\0Lumi", 10), std::string(64, 'v') + '\0' + "P" + '\0',
                                 std::string("2.1.0", 5)};
  const char* expected[][2] = {{"2.1.0", ""}, {"", "P"}, {"", ""}};
  for (size_t i = 0; i < 3; ++i) {
    ProductTextsFromResource(damaged[i].data(), damaged[i].size(), version, publisher);
    EXPECT_STREQ(version, expected[i][0]) << i;
    EXPECT_STREQ(publisher, expected[i][1]) << i;
  }
}
