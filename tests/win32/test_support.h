// Helpers shared by the Windows-side tests: scratch folders, registry clean-up and
// read-back, files, message-box capture and import patching.
#pragma once
#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

// A path inside the win32 build tree, as Wine sees it (Z:...).
std::string BuildPath(const std::string& relative);

// A fresh, empty folder under C:\lmvr-tests, removed with everything in it at the end.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

 private:
  std::string path_;
};

void RemoveTree(const std::string& path);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// Registry: the fixed keys of the product, removed before and after a test.
void DeleteRegistryTree(HKEY root, const std::string& path);
void DeleteProductKeys();
bool KeyExists(HKEY root, const std::string& path);
// The default (unnamed) value of HKEY_CLASSES_ROOT\key; "<missing>" when the key or
// the value is missing.
std::string ClassesDefault(const std::string& key);
// The records of installed files: the subkeys of HKEY_CLASSES_ROOT\Lumivora\installed.
std::set<std::string> InstalledRecords();
bool ReadNamedValue(HKEY root, const std::string& path, const std::string& name, std::string* value);
std::vector<std::string> SubkeyNames(HKEY root, const std::string& path);

// Records every top-level dialog (message boxes included) that is activated on this
// thread while it lives: its caption and the text of its static control 0xFFFF.
// Windows whose caption equals `closeCaption` are answered with IDOK at once.
class DialogWatcher {
 public:
  struct Seen {
    std::string caption;
    std::string text;
  };
  explicit DialogWatcher(const std::string& closeCaption = "Error");
  ~DialogWatcher();
  const std::vector<Seen>& seen() const { return seen_; }

  // Called for every activated dialog after it is recorded; may drive it.
  std::function<void(HWND)> onActivate;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  HHOOK hook_;
  std::string closeCaption_;
  std::vector<Seen> seen_;
  static DialogWatcher* current_;
};

// Replaces one imported function in the calling module's import table for the
// lifetime of the object, so that tests can count calls or inject failures.
class ImportPatch {
 public:
  ImportPatch(const char* module, const char* function, void* replacement);
  ~ImportPatch();
  bool ok() const { return slot_ != nullptr; }
  void* original() const { return original_; }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};

std::string WindowText(HWND window);

}  // namespace testing_support
