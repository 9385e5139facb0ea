// lmvrpack: an installer from a stub and a payload, the stub's resource section
// rebuilt with the payload as resource 512/301 beside the stub's own resources.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/pe_image/pe_image.h"

namespace lmvrpack {

// Writes into `installer` the image of `stub` (the bytes of install-stub.exe) with
// `payload` as resource 512/301, language 0x0409. Refuses, with the reason in
// `error`, a stub that is not a GUI program, PE32 i386 or PE32+ x86-64, exporting
// from "lmvr.ent", or that carries a signature; the reason names what the stub is.
// A payload the stub already holds is replaced; `note` then says so. `languages`
// (message tables and dialog variants, and the product's texts 512/302) are added
// beside the payload, each replacing a resource of the same type and id that the
// stub holds; product texts and a payload's digest (512/303) that a stub holds (an
// installer used as the stub) are dropped whether or not new ones come.
bool BuildInstallerImage(const std::vector<uint8_t>& stub, const std::vector<uint8_t>& payload,
                         std::vector<uint8_t>* installer, std::string* note, std::string* error,
                         const std::vector<pe::Resource>& languages = {});

}  // namespace lmvrpack
