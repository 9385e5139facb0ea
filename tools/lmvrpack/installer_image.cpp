#include "tools/lmvrpack/installer_image.h"

#include <algorithm>

#include "payload/archive_format.h"
#include "payload/payload_digest.h"
#include "shell/product_texts.h"
#include "tools/pe_image/pe_image.h"
#include "tools/pe_image/resource_section.h"

namespace lmvrpack {

namespace {

// The export module name every installer stub carries.
const char kStubModuleName[] = "lmvr.ent";
// The installer is a 32-bit program; its 64-bit twin (a test vehicle for hosts that
// run no 32-bit code) is built from the same sources and packed the same way.
const char kAccepted[] = "accepted are PE32 i386 and PE32+ x86-64 Windows GUI programs";
constexpr uint16_t kSubsystemGui = 2;
constexpr uint16_t kImageIsDll = 0x2000;
constexpr uint32_t kUsEnglish = 0x0409;
constexpr size_t kSecurityDirectory = 4;

}  // namespace

bool BuildInstallerImage(const std::vector<uint8_t>& stub, const std::vector<uint8_t>& payload,
                         std::vector<uint8_t>* installer, std::string* note, std::string* error,
                         const std::vector<pe::Resource>& languages) {
  note->clear();
  pe::Image image;
  std::string why;
  if (!pe::Parse(stub, &image, &why)) {
    *error = "not an installer stub: not a Windows image (" + why + "); " + kAccepted;
    return false;
  }
  std::string format = pe::FormatName(image.magic) + " " + pe::MachineName(image.machine);
  bool knownFormat = (image.magic == pe::kPe32Magic && image.machine == pe::kMachineI386) ||
                     (image.magic == pe::kPe32PlusMagic && image.machine == pe::kMachineAmd64);
  if (!knownFormat) {
    *error = "not an installer stub: a " + format + " image; " + kAccepted;
    return false;
  }
  if ((image.characteristics & kImageIsDll) != 0 || image.subsystem != kSubsystemGui) {
    *error = "not an installer stub: a " + format + " " +
             ((image.characteristics & kImageIsDll) != 0 ? std::string("DLL")
                                                          : "program of subsystem " + std::to_string(image.subsystem)) +
             "; " + kAccepted;
    return false;
  }
  pe::Exports exports;
  if (!pe::ReadExports(image, &exports, &why) || exports.moduleName != kStubModuleName) {
    *error = std::string("not an installer stub: it has no export module \"") + kStubModuleName + "\"";
    return false;
  }
  if (image.directories.size() > kSecurityDirectory && image.directories[kSecurityDirectory].second != 0) {
    *error =
        "the stub carries a signature, which the new resource section would break: build from the unsigned "
        "stub and sign the installer afterwards";
    return false;
  }
  std::vector<pe::Resource> resources;
  if (!pe::ReadResources(image, &resources, &why)) {
    *error = "the stub's resources cannot be read: " + why;
    return false;
  }
  pe::Resource added;
  added.type = kPayloadResourceType;
  added.id = kPayloadResourceId;
  added.language = kUsEnglish;
  added.data = payload;
  // An installer used as the stub carries the texts of the product it was built for,
  // and its payload's digest, which would not match the new payload.
  resources.erase(std::remove_if(resources.begin(), resources.end(),
                                 [](const pe::Resource& r) {
                                   return r.typeName.empty() && r.idName.empty() &&
                                          ((r.type == kProductTextsResourceType && r.id == kProductTextsResourceId) ||
                                           (r.type == kPayloadResourceType && r.id == kPayloadDigestId));
                                 }),
                  resources.end());
  std::vector<pe::Resource> adding = languages;
  adding.push_back(std::move(added));
  std::string replaced;
  for (auto r = resources.begin(); r != resources.end();) {
    bool same = false;
    for (const pe::Resource& a : adding) same = same || (r->typeName.empty() && r->idName.empty() && r->type == a.type && r->id == a.id);
    if (!same) {
      ++r;
      continue;
    }
    bool isPayload = r->type == kPayloadResourceType && r->id == kPayloadResourceId;
    if (isPayload) *note = "the stub already holds a payload (" + std::to_string(r->data.size()) + " bytes); it is replaced";
    if (!isPayload) replaced += (replaced.empty() ? "" : ", ") + std::to_string(r->type) + "/" + std::to_string(r->id);
    r = resources.erase(r);
  }
  if (!replaced.empty()) {
    *note += std::string(note->empty() ? "" : "; ") + "the stub already holds the language resources " + replaced +
             "; they are replaced";
  }
  resources.insert(resources.end(), adding.begin(), adding.end());
  if (!pe::RebuildWithResources(image, resources, installer, &why)) {
    *error = "the stub cannot take the payload: " + why;
    return false;
  }
  return true;
}

}  // namespace lmvrpack
