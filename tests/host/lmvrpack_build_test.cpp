// lmvrpack build: the stub's resource section rebuilt around the payload, on a small
// stub image made here (the real stub is checked under Wine), its refusals, and the
// command with its files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/lmvrpack/command_line.h"
#include "tools/lmvrpack/installer_image.h"
#include "tools/pe_image/pe_image.h"
#include "tools/pe_image/resource_section.h"

namespace fs = std::filesystem;

namespace {

using pe::Write16;
using pe::Write32;

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
const uint32_t kOffsetOpt = 0x40 + 24, kTable = kOffsetOpt + 224;

// A stub in the installer's shape: .text (code and the exports), .rsrc, .reloc, in
// that order, as the linker lays out install-stub.exe. `importsAfterRelocations`
// adds a section behind .reloc that the import directory points into.
std::vector<uint8_t> MakeStub(const std::vector<pe::Resource>& resources, const std::string& module = "lmvr.ent",
                              bool importsAfterRelocations = false) {
  std::vector<uint8_t> rsrc = pe::BuildResourceSection(resources, kSectionRva[kRsrc]);
  uint16_t sections = importsAfterRelocations ? 4 : 3;
  std::vector<uint8_t> b(0x400, 0);
  b[0] = 'M', b[1] = 'Z';
  Write32(&b, 0x3C, 0x40);
  Write32(&b, 0x40, 0x00004550);
  Write16(&b, 0x44, 0x14C);
  Write16(&b, 0x46, sections);
  Write16(&b, 0x54, 224);
  Write16(&b, 0x56, 0x0102);
  const uint32_t o = kOffsetOpt;
  Write16(&b, o, 0x10B);
  Write32(&b, o + 8, 0x1000);  // SizeOfInitializedData: what the linker counted
  Write32(&b, o + 16, kSectionRva[kText]);
  Write32(&b, o + 28, 0x400000);
  Write32(&b, o + 32, 0x1000);
  Write32(&b, o + 36, 0x200);
  Write32(&b, o + 60, 0x400);
  Write16(&b, o + 68, 2);
  Write32(&b, o + 92, 16);
  // .text: code bytes, then the export directory and the module name.
  std::vector<uint8_t> text(0x200, 0xCC);
  std::fill(text.begin() + 0x100, text.end(), 0);
  Write32(&text, 0x100 + 12, kSectionRva[kText] + 0x180);
  Write32(&text, 0x100 + 16, 1);
  Write32(&text, 0x100 + 28, kSectionRva[kText] + 0x1A0);  // an empty function table
  std::copy(module.begin(), module.end(), text.begin() + 0x180);
  Write32(&b, o + 96, kSectionRva[kText] + 0x100);
  Write32(&b, o + 100, 40);
  // .reloc: one block for the code page.
  std::vector<uint8_t> reloc(0x200, 0);
  Write32(&reloc, 0, kSectionRva[kText]);
  Write32(&reloc, 4, 12);
  Write16(&reloc, 8, 0x3010);
  Write16(&reloc, 10, 0x3020);
  Write32(&b, o + 96 + 8 * 2, kSectionRva[kRsrc]);
  Write32(&b, o + 100 + 8 * 2, (uint32_t)rsrc.size());
  uint32_t relocRva = kSectionRva[kRsrc] + (uint32_t)((rsrc.size() + 0xFFF) / 0x1000 * 0x1000);
  Write32(&b, o + 96 + 8 * 5, relocRva);
  Write32(&b, o + 100 + 8 * 5, 12);
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
    Write32(&b, o + 96 + 8 * 1, relocRva + 0x1000);
    Write32(&b, o + 100 + 8 * 1, 20);
  }
  uint32_t end = 0;
  for (size_t i = 0; i < pieces.size(); ++i) {
    Piece& p = pieces[i];
    p.bytes.resize((p.bytes.size() + 0x1FF) / 0x200 * 0x200, 0);
    size_t s = kTable + 40 * i;
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

}  // namespace

TEST(LmvrpackBuild, TheStubKeepsItsResourcesCodeExportsAndRelocationsBesideThePayload) {
  std::vector<uint8_t> stub = MakeStub(StubResources());
  pe::Image before = Parse(stub);
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
    EXPECT_EQ(rsrc.rawSize % 0x200, 0u);
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

TEST(LmvrpackBuild, AStubThatHoldsAPayloadHasItReplacedAndTheSameInputsGiveTheSameBytes) {
  std::vector<uint8_t> stub = MakeStub(StubResources());
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

TEST(LmvrpackBuild, WhatIsNoUnsignedInstallerStubIsRefusedWithItsReason) {
  std::vector<uint8_t> good = MakeStub(StubResources());
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
  cases.push_back({"a text file", std::vector<uint8_t>(100, 'x'), "not a Windows image"});
  cases.push_back({"x86-64", changed(0x44, 0x8664, false), "not a 32-bit (PE32, i386) Windows GUI program"});
  cases.push_back({"a console program", changed(kOffsetOpt + 68, 3, false), "Windows GUI program"});
  cases.push_back({"a DLL", changed(0x56, 0x2102, false), "Windows GUI program"});
  cases.push_back({"another module", MakeStub(StubResources(), "other.dll"), "no export module \"lmvr.ent\""});
  cases.push_back({"a signed stub", changed(kOffsetOpt + 100 + 8 * 4, 0x800, true), "carries a signature"});
  cases.push_back({"imports behind the relocations", MakeStub(StubResources(), "lmvr.ent", true),
                   "section .idata follows the resource section and holds data directory 1"});
  for (const Case& c : cases) {
    std::vector<uint8_t> installer;
    std::string note, error;
    EXPECT_FALSE(Build(c.stub, kPayloads[0], &installer, &note, &error)) << c.what;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
  }
}

TEST(LmvrpackBuild, TheCommandWritesThePackedPayloadIntoTheStubOrNothing) {
  static int serial = 0;
  fs::path root =
      fs::temp_directory_path() / ("lmvrpack-build-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
  fs::remove_all(root);
  fs::create_directories(root / "product" / "ENGLISH");
  std::ofstream(root / "product" / "MAIN.EXE", std::ios::binary) << "MZ main program";
  std::ofstream(root / "product" / "ENGLISH" / "INDEX.HTM", std::ios::binary) << "<html>";
  std::vector<uint8_t> stubBytes = MakeStub(StubResources());
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
  std::ifstream depfile(installer + ".d");
  std::string dependencies((std::istreambuf_iterator<char>(depfile)), std::istreambuf_iterator<char>());
  EXPECT_NE(dependencies.find("stub.exe"), std::string::npos) << dependencies;

  // A refused stub or a missing --stub leave the installer as it was.
  fs::remove(installer);
  std::vector<uint8_t> signedStub = stubBytes;
  Write32(&signedStub, kOffsetOpt + 100 + 8 * 4, 0x800);
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
