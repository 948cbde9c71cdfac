// Files, registry, processes, special folders and settings on Windows.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include "win32/com_util.h"
#include "win32/platform_win32.h"

namespace tarnwell::win32 {

namespace {

std::chrono::system_clock::time_point FromFileTime(const FILETIME& ft) {
  // FILETIME counts 100 ns from 1601; the Unix epoch is 11644473600 s later.
  uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  int64_t unix_100ns = static_cast<int64_t>(ticks) - 116444736000000000LL;
  return std::chrono::system_clock::time_point(
      std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::nanoseconds(unix_100ns * 100)));
}

std::string FolderOf(const std::wstring& path) {
  auto slash = path.find_last_of(L"\\/");
  return Narrow(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1));
}

std::wstring ModulePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(ThisModule(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::vector<platform::FileEntry> Win32Files::List(const std::string& folder) {
  std::vector<platform::FileEntry> out;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(folder + "*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return out;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    platform::FileEntry e;
    e.name = Narrow(name);
    e.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.hidden = (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    e.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    e.last_access = FromFileTime(data.ftLastAccessTime);
    out.push_back(std::move(e));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return out;
}

bool Win32Files::Delete(const std::string& path) { return DeleteFileW(Widen(path).c_str()) != 0; }

bool Win32Files::Copy(const std::string& from, const std::string& to) {
  return CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE) != 0;
}

bool Win32Files::Exists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Win32Files::OwnFolder() { return FolderOf(ModulePath()); }

HKEY Win32Registry::RootKey(platform::RegistryRoot root) {
  switch (root) {
    case platform::RegistryRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case platform::RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case platform::RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case platform::RegistryRoot::Users:
      return HKEY_USERS;
  }
  return nullptr;
}

platform::Registry::Key Win32Registry::CreateKey(platform::RegistryRoot root, const std::string& key_name) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(RootKey(root), Widen(key_name).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  return reinterpret_cast<Key>(key);
}

int32_t Win32Registry::SetValue(Key key, const std::string& value_name, uint32_t type,
                                const std::vector<uint8_t>& data) {
  // The data is already in its stored form (ANSI text with its NUL, or four
  // bytes), so the ANSI call writes it as it is.
  return RegSetValueExA(reinterpret_cast<HKEY>(key), value_name.c_str(), 0, type, data.data(),
                        static_cast<DWORD>(data.size()));
}

void Win32Registry::CloseKey(Key key) {
  if (key) RegCloseKey(reinterpret_cast<HKEY>(key));
}

std::vector<uint32_t> Win32Processes::Ids() {
  // Grows until the list no longer fills the buffer.
  std::vector<DWORD> ids(4);
  DWORD bytes = 0;
  for (;;) {
    DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!EnumProcesses(ids.data(), size, &bytes)) return {};
    if (bytes < size) break;
    ids.resize(ids.size() * 2);
  }
  return std::vector<uint32_t>(ids.begin(), ids.begin() + bytes / sizeof(DWORD));
}

std::optional<std::string> Win32Processes::ExecutablePath(uint32_t id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (!process) return std::nullopt;
  std::optional<std::string> path;
  HMODULE modules[50];
  DWORD needed = 0;
  if (EnumProcessModules(process, modules, sizeof(modules), &needed)) {
    wchar_t name[MAX_PATH] = {};
    DWORD n = GetModuleFileNameExW(process, modules[0], name, MAX_PATH);
    if (n > 0) path = Narrow(std::wstring_view(name, n));
  }
  CloseHandle(process);
  return path;
}

bool Win32Processes::CreateNamedMutex(const std::string& name) {
  // Never closed: held for the life of the process.
  return CreateMutexW(nullptr, FALSE, Widen(name).c_str()) != nullptr;
}

std::string Win32SpecialFolders::Get(platform::WindowHandle owner, int32_t csidl) {
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(reinterpret_cast<HWND>(owner), csidl, &pidl)) || !pidl) return "";
  wchar_t path[MAX_PATH] = {};
  std::string out;
  if (SHGetPathFromIDListW(pidl, path)) out = Narrow(path);
  CoTaskMemFree(pidl);
  // Some shells end a folder with its separator; callers add their own. A
  // drive's root keeps it.
  if (out.size() > 3 && out.back() == '\\') out.pop_back();
  return out;
}

void Win32Settings::Save(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& value) {
  std::wstring path = Widen(std::string(kRoot) + app + "\\" + section);
  std::wstring data = Widen(value);
  if (SetRegistryValue(HKEY_CURRENT_USER, path, Widen(key).c_str(), REG_SZ, data.c_str(),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS) {
    throw host::HostError(host::kErrPermissionDenied, "Cannot save the setting " + key);
  }
}

std::optional<std::string> Win32Settings::Get(const std::string& app, const std::string& section,
                                              const std::string& key) {
  auto value = ReadRegistryString(HKEY_CURRENT_USER, Widen(std::string(kRoot) + app + "\\" + section),
                                  Widen(key).c_str());
  if (!value) return std::nullopt;
  return Narrow(*value);
}

LONG SetRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
                      DWORD bytes) {
  HKEY k = nullptr;
  LONG rc = RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &k,
                            nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), bytes);
  RegCloseKey(k);
  return rc;
}

LONG DeleteRegistryTree(HKEY root, const std::wstring& key) {
  HKEY k = nullptr;
  LONG rc = RegOpenKeyExW(root, key.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &k);
  if (rc != ERROR_SUCCESS) return rc;
  // A key goes only once it has no subkeys; each pass takes the first left.
  wchar_t name[256];  // the longest key name is 255 characters
  for (;;) {
    DWORD length = 256;
    rc = RegEnumKeyExW(k, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) break;
    rc = DeleteRegistryTree(k, name);
    if (rc != ERROR_SUCCESS) break;
  }
  RegCloseKey(k);
  if (rc != ERROR_NO_MORE_ITEMS) return rc;
  return RegDeleteKeyW(root, key.c_str());
}

std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& key, const wchar_t* name) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, bytes = 0;
  LONG rc = RegQueryValueExW(k, name, nullptr, &type, nullptr, &bytes);
  std::wstring data;
  // Asked again while the value grows between the two calls.
  while (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
    data.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = bytes;
    rc = RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc == ERROR_MORE_DATA) {
      bytes = size;
      rc = ERROR_SUCCESS;
      continue;
    }
    data.resize(wcsnlen(data.c_str(), size / sizeof(wchar_t)));
    break;
  }
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  if (type == REG_SZ) return data;
  DWORD length = ExpandEnvironmentStringsW(data.c_str(), nullptr, 0);
  std::wstring expanded(length, L'\0');
  if (length == 0 || ExpandEnvironmentStringsW(data.c_str(), expanded.data(), length) == 0) return std::nullopt;
  expanded.resize(wcsnlen(expanded.c_str(), expanded.size()));
  return expanded;
}

}  // namespace tarnwell::win32
