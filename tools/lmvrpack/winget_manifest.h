// lmvrpack: winget's multi-file manifest of a built installer (the version, the
// default locale en-US and the installer file, at manifest version 1.10.0), each
// field within what winget's published schema for that version accepts. Deciding
// code: the figures come in, the three texts go out.
#pragma once
#include <string>
#include <vector>

namespace lmvrpack {

// What a manifest is made of, all UTF-8. `id`, `url`, `license` and `description`
// are the vendor's; the rest are the installer's own.
struct WingetFigures {
  std::string id;           // Publisher.Package
  std::string url;          // where winget downloads the installer from
  std::string license;      // "Proprietary" when not given
  std::string description;  // the short description
  std::string version;      // the uninstall entry's DisplayVersion
  std::string publisher;    // and its Publisher
  std::string sha256;       // of the installer's bytes, hexadecimal
};

struct WingetFile {
  std::string name;  // as the winget community repository names it
  std::string text;
};

// Checks of the vendor's identifier and download address as winget's schema checks
// them; false with the reason.
bool CheckWingetIdentifier(const std::string& id, std::string* error);
bool CheckWingetUrl(const std::string& url, std::string* error);

// The three files, version file first. False, with the reason naming the field, when
// a figure is one winget's schema refuses; `files` is then left empty.
bool MakeWingetManifest(const WingetFigures& figures, std::vector<WingetFile>* files, std::string* error);

}  // namespace lmvrpack
