#include "tools/lmvrpack/winget_manifest.h"

#include <cctype>

#include "common/exit_status.h"
#include "shell/registry_texts.h"

namespace lmvrpack {

namespace {

const char kManifestVersion[] = "1.10.0";
const char kDefaultLicense[] = "Proprietary";
const char kDefaultDescription[] = "An image viewer for Windows";

// The installer's exit statuses that winget knows a meaning of. Status 2, any other
// error, has no response of its own: winget reports it as a failure with its number.
struct ReturnCode {
  int status;
  const char* response;
};
const ReturnCode kReturnCodes[] = {
    {kExitLeft, "cancelledByUser"}, {kExitFileHeld, "fileInUse"}, {kExitBadSwitch, "invalidParameter"},
    {kExitNoRoom, "diskFull"},      {kExitBusy, "installInProgress"},
};

// The characters winget's identifier and version patterns refuse:
// \ / : * ? " < > | and the control characters.
bool IsRefusedInName(unsigned char c) {
  return c < 0x20 || std::string("\\/:*?\"<>|").find((char)c) != std::string::npos;
}

// Characters a single-quoted YAML text cannot carry: C0 and C1 controls, DEL.
bool HasControlCharacter(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = (unsigned char)text[i];
    if (c < 0x20 || c == 0x7F) return true;
    if (c == 0xC2 && i + 1 < text.size() && (unsigned char)text[i + 1] >= 0x80 && (unsigned char)text[i + 1] <= 0x9F) {
      return true;
    }
  }
  return false;
}

// The number of characters of a UTF-8 text, as the schema's lengths count them.
size_t Characters(const std::string& text) {
  size_t count = 0;
  for (char c : text) count += ((unsigned char)c & 0xC0) != 0x80;
  return count;
}

bool CheckText(const std::string& text, const char* field, size_t least, size_t most, std::string* error) {
  if (HasControlCharacter(text)) {
    *error = std::string(field) + " \"" + text + "\" holds a control character";
  } else if (Characters(text) < least || Characters(text) > most) {
    *error = std::string(field) + " \"" + text + "\" must have " + std::to_string(least) + " to " +
             std::to_string(most) + " characters";
  } else {
    return true;
  }
  return false;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

// A text as a YAML scalar: bare where no reader can take it for anything but text
// (a word of letters, digits, blanks, ".", "_" and "-" that begins with a letter and
// is none of YAML's truth or null words), else single-quoted.
std::string Scalar(const std::string& text) {
  static const char* const kWords[] = {"y", "n", "yes", "no", "on", "off", "true", "false", "null"};
  bool bare = !text.empty() && std::isalpha((unsigned char)text[0]) && text.back() != ' ';
  for (char c : text) bare = bare && (std::isalnum((unsigned char)c) || std::string(" ._-").find(c) != std::string::npos);
  std::string lower;
  for (char c : text) lower += (char)std::tolower((unsigned char)c);
  for (const char* word : kWords) bare = bare && lower != word;
  return bare ? text : Quoted(text);
}

std::string Header(const char* type) {
  return std::string("# Created with lmvrpack from the installer's own figures\n") +
         "# yaml-language-server: $schema=https://aka.ms/winget-manifest." + type + "." + kManifestVersion +
         ".schema.json\n\n";
}

std::string Footer(const char* type) {
  return std::string("ManifestType: ") + type + "\nManifestVersion: " + kManifestVersion + "\n";
}

}  // namespace

bool CheckWingetIdentifier(const std::string& id, std::string* error) {
  // Two to eight parts separated by ".", each 1 to 32 characters without blanks and
  // without the characters a file name cannot hold; 128 at most in all. Only ASCII
  // here: the identifier also names the manifest's files.
  size_t parts = 1, partLength = 0;
  bool ok = !id.empty() && id.size() <= 128;
  for (char c : id) {
    unsigned char u = (unsigned char)c;
    if (c == '.') {
      ok = ok && partLength > 0;
      ++parts;
      partLength = 0;
    } else {
      ok = ok && u < 0x80 && !std::isspace(u) && !IsRefusedInName(u) && ++partLength <= 32;
    }
  }
  if (ok && partLength > 0 && parts >= 2 && parts <= 8) return true;
  *error = "--id \"" + id + "\" is no winget identifier: give Publisher.Package, two to eight parts separated by \".\", "
           "each 1 to 32 characters of ASCII without blanks or \\ / : * ? \" < > |";
  return false;
}

bool CheckWingetUrl(const std::string& url, std::string* error) {
  std::string scheme;
  for (size_t i = 0; i < url.size() && i < 8; ++i) scheme += (char)std::tolower((unsigned char)url[i]);
  size_t after = scheme.compare(0, 7, "http://") == 0 ? 7 : scheme.compare(0, 8, "https://") == 0 ? 8 : 0;
  if (after != 0 && url.size() > after && url.size() <= 2048 && !HasControlCharacter(url)) return true;
  *error = "--url \"" + url + "\" is no address winget downloads from: it must begin with http:// or https://, "
           "have at most 2048 characters and no control character";
  return false;
}

bool MakeWingetManifest(const WingetFigures& figures, std::vector<WingetFile>* files, std::string* error) {
  files->clear();
  std::string license = figures.license.empty() ? kDefaultLicense : figures.license;
  std::string description = figures.description.empty() ? kDefaultDescription : figures.description;
  bool versionOk = !figures.version.empty() && figures.version.size() <= 128 && !HasControlCharacter(figures.version);
  for (char c : figures.version) versionOk = versionOk && !IsRefusedInName((unsigned char)c);
  if (!versionOk) {
    *error = "the installer's version \"" + figures.version + "\" is none winget takes (1 to 128 characters, "
             "none of \\ / : * ? \" < > |)";
    return false;
  }
  bool shaOk = figures.sha256.size() == 64;
  for (char c : figures.sha256) shaOk = shaOk && std::isxdigit((unsigned char)c);
  if (!shaOk || !CheckWingetIdentifier(figures.id, error) || !CheckWingetUrl(figures.url, error) ||
      !CheckText(figures.publisher, "the installer's publisher", 2, 256, error) ||
      !CheckText(license, "--license", 3, 512, error) || !CheckText(description, "--description", 3, 256, error)) {
    if (!shaOk) *error = "the installer's SHA-256 \"" + figures.sha256 + "\" is not 64 hexadecimal digits";
    return false;
  }
  // The uninstall entry as the installer writes it: its key's last part is what
  // winget calls the product code.
  std::string key = kUninstallKey;
  std::string productCode = key.substr(key.rfind('\\') + 1);
  // Versions are always quoted, so that "2.10" stays a version and not the number 2.1.
  std::string identity = "PackageIdentifier: " + Scalar(figures.id) + "\nPackageVersion: " + Quoted(figures.version) +
                         "\n";

  std::string version = Header("version") + identity + "DefaultLocale: en-US\n" + Footer("version");

  std::string locale = Header("defaultLocale") + identity + "PackageLocale: en-US\nPublisher: " +
                       Scalar(figures.publisher) + "\nPackageName: " + Scalar(kUninstallDisplayName) +
                       "\nLicense: " + Scalar(license) + "\nShortDescription: " + Scalar(description) + "\n" +
                       Footer("defaultLocale");

  std::string installer = Header("installer") + identity +
                          "InstallerType: exe\nScope: machine\nInstallModes:\n- interactive\n- silent\n"
                          "- silentWithProgress\nInstallerSwitches:\n  Silent: '-silent'\n"
                          "  SilentWithProgress: '-silent'\n  InstallLocation: '-dir=\"<INSTALLPATH>\"'\n"
                          "  Log: '-log=\"<LOGPATH>\"'\nExpectedReturnCodes:\n";
  for (const ReturnCode& code : kReturnCodes) {
    installer += "- InstallerReturnCode: " + std::to_string(code.status) + "\n  ReturnResponse: " + code.response + "\n";
  }
  installer += "UpgradeBehavior: install\nFileExtensions:\n";
  for (const char* extension : kAssociatedExtensions) installer += "- " + std::string(extension + 1) + "\n";
  installer += "ElevationRequirement: elevatesSelf\nAppsAndFeaturesEntries:\n- DisplayName: " +
               Scalar(kUninstallDisplayName) + "\n  Publisher: " + Scalar(figures.publisher) +
               "\n  DisplayVersion: " + Quoted(figures.version) + "\n  ProductCode: " + Scalar(productCode) +
               "\nInstallers:\n- Architecture: x86\n  InstallerUrl: " + Scalar(figures.url) +
               "\n  InstallerSha256: " + Scalar(figures.sha256) + "\n" + Footer("installer");

  files->push_back({figures.id + ".yaml", version});
  files->push_back({figures.id + ".locale.en-US.yaml", locale});
  files->push_back({figures.id + ".installer.yaml", installer});
  return true;
}

}  // namespace lmvrpack
