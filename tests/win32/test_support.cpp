#include "test_support.h"

#include <cstring>

namespace testing_support {

std::string BuildPath(const std::string& relative) { return std::string(LMVR_BUILD_DIR) + "/" + relative; }

ScratchDir::ScratchDir(const std::string& name) {
  CreateDirectoryA("C:\\lmvr-tests", nullptr);
  path_ = "C:\\lmvr-tests\\" + name + "-" + std::to_string(GetCurrentProcessId());
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(path.c_str());
}

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  char buf[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(f, buf, sizeof buf, &got, nullptr)) && got > 0) bytes->append(buf, got);
  CloseHandle(f);
  return ok;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size();
  CloseHandle(f);
  return ok;
}

void DeleteRegistryTree(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  for (const std::string& child : SubkeyNames(root, path)) DeleteRegistryTree(root, path + "\\" + child);
  RegCloseKey(key);
  RegDeleteKeyA(root, path.c_str());
}

void DeleteProductKeys() {
  DeleteRegistryTree(HKEY_CLASSES_ROOT, "Lumivora");
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumivora");
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool ReadNamedValue(HKEY root, const std::string& path, const std::string& name, std::string* value) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = 0;
  const char* valueName = name.empty() ? nullptr : name.c_str();
  LONG status = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
  if (status == ERROR_SUCCESS) {
    std::string data(size, '\0');
    status = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    data.resize(size);
    if (!data.empty() && data.back() == '\0') data.pop_back();
    *value = data;
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

std::string ClassesDefault(const std::string& key) {
  std::string value = "<missing>";
  ReadNamedValue(HKEY_CLASSES_ROOT, key, "", &value);
  return value;
}

std::set<std::string> InstalledRecords() {
  std::vector<std::string> names = SubkeyNames(HKEY_CLASSES_ROOT, "Lumivora\\installed");
  return std::set<std::string>(names.begin(), names.end());
}

std::vector<std::string> SubkeyNames(HKEY root, const std::string& path) {
  std::vector<std::string> names;
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  RegCloseKey(key);
  return names;
}

std::string WindowText(HWND window) {
  char text[4096];
  int n = GetWindowTextA(window, text, sizeof text);
  return std::string(text, n > 0 ? n : 0);
}

DialogWatcher* DialogWatcher::current_ = nullptr;

DialogWatcher::DialogWatcher(const std::string& closeCaption) : closeCaption_(closeCaption) {
  current_ = this;
  hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

DialogWatcher::~DialogWatcher() {
  UnhookWindowsHookEx(hook_);
  current_ = nullptr;
}

LRESULT CALLBACK DialogWatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
  DialogWatcher* self = current_;
  if (code == HCBT_ACTIVATE && self != nullptr) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0) {
      Seen seen;
      seen.caption = WindowText(window);
      HWND text = GetDlgItem(window, 0xFFFF);
      if (text != nullptr) seen.text = WindowText(text);
      self->seen_.push_back(seen);
      if (seen.caption == self->closeCaption_) PostMessageA(window, WM_COMMAND, IDOK, 0);
      if (self->onActivate) self->onActivate(window);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

ImportPatch::ImportPatch(const char* module, const char* function, void* replacement) {
  BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return;
  for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name != 0; ++desc) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + desc->Name), module) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) != 0) continue;
      slot_ = reinterpret_cast<void**>(&slots->u1.Function);
      DWORD old;
      VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
      original_ = *slot_;
      *slot_ = replacement;
      return;
    }
  }
}

ImportPatch::~ImportPatch() {
  if (slot_ != nullptr) *slot_ = original_;
}

}  // namespace testing_support
