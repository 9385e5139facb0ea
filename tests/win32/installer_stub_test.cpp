// install.exe against the stub it was built from by lmvrpack build: the same image
// with one resource more, which the loader finds.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"
#include "tools/pe_image/pe_image.h"

using testing_support::BuildPath;

namespace {

struct Loaded {
  pe::Image image;
  std::vector<pe::Resource> resources;
};

Loaded Load(const std::string& name) {
  Loaded loaded;
  std::string error;
  EXPECT_TRUE(pe::LoadFile(BuildPath(name), &loaded.image, &error)) << name << ": " << error;
  EXPECT_TRUE(pe::ReadResources(loaded.image, &loaded.resources, &error)) << name << ": " << error;
  return loaded;
}

bool SameResource(const pe::Resource& a, const pe::Resource& b) {
  return a.type == b.type && a.typeName == b.typeName && a.id == b.id && a.idName == b.idName &&
         a.language == b.language && a.codePage == b.codePage && a.data == b.data;
}

std::vector<uint8_t> SectionBytes(const pe::Image& image, const pe::Section& s) {
  return std::vector<uint8_t>(image.bytes.begin() + s.rawOffset, image.bytes.begin() + s.rawOffset + s.rawSize);
}

}  // namespace

TEST(InstallerStub, TheInstallerIsTheStubWithThePayloadBesideItsOwnResources) {
  Loaded stub = Load("install-stub.exe");
  Loaded installer = Load("install.exe");
  EXPECT_EQ(pe::FindNumericResource(stub.resources, 512, 301), nullptr) << "the stub carries no payload";
  // Beside the payload, its digest and the version and publisher of the sample program.
  ASSERT_EQ(installer.resources.size(), stub.resources.size() + 3);
  for (const pe::Resource& own : stub.resources) {
    bool kept = std::any_of(installer.resources.begin(), installer.resources.end(),
                            [&](const pe::Resource& r) { return SameResource(r, own); });
    EXPECT_TRUE(kept) << "resource " << own.type << "/" << own.id << " changed or lost";
  }
  const pe::Resource* payload = pe::FindNumericResource(installer.resources, 512, 301);
  ASSERT_NE(payload, nullptr);
  EXPECT_EQ(payload->language, 0x0409u);
  const pe::Resource* digest = pe::FindNumericResource(installer.resources, 512, 303);
  ASSERT_NE(digest, nullptr);
  EXPECT_EQ(digest->language, 0x0409u);
  const pe::Resource* texts = pe::FindNumericResource(installer.resources, 512, 302);
  ASSERT_NE(texts, nullptr);
  EXPECT_EQ(std::string(texts->data.begin(), texts->data.end()), std::string("2.1.0\0Lumivora Software\0", 24));

  // Every section but the resources keeps its bytes; the relocations may have moved.
  ASSERT_EQ(installer.image.sections.size(), stub.image.sections.size());
  for (size_t i = 0; i < stub.image.sections.size(); ++i) {
    const pe::Section& before = stub.image.sections[i];
    const pe::Section& after = installer.image.sections[i];
    EXPECT_EQ(after.name, before.name);
    if (before.name == ".rsrc") continue;
    EXPECT_EQ(SectionBytes(installer.image, after), SectionBytes(stub.image, before)) << before.name;
    if (before.name != ".reloc") {
      EXPECT_EQ(after.virtualAddress, before.virtualAddress) << before.name;
    }
  }
  EXPECT_EQ(installer.image.entryRva, stub.image.entryRva);
}

TEST(InstallerStub, TheLoaderFindsThePayloadInTheBuiltInstaller) {
  Loaded installer = Load("install.exe");
  const pe::Resource* payload = pe::FindNumericResource(installer.resources, 512, 301);
  ASSERT_NE(payload, nullptr);
  // Loaded as the system loads a module, checksum and sizes included.
  HMODULE module = LoadLibraryExA(BuildPath("install.exe").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(module, nullptr) << GetLastError();
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(301), MAKEINTRESOURCEA(512));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(module, found), payload->data.size());
  const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  ASSERT_NE(bytes, nullptr);
  EXPECT_TRUE(std::equal(payload->data.begin(), payload->data.end(), bytes));
  EXPECT_NE(FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(200), 0x0409), nullptr)
      << "the dialog templates are still found by language";
  FreeLibrary(module);
}
