#include "posix/registry_posix.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <sstream>

#include "posix/file_io.h"
#include "posix/xdg.h"

namespace tarnwell::posix {

using platform::RegistryRoot;

namespace {

constexpr char kValuesFile[] = "@values";
constexpr size_t kMaxKeyComponent = 255;

// Bytes that would be read as path structure ('/', a leading '.'), that
// would collide with the values file ('@') or break a line become %XX.
std::string Encode(const std::string& s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7F || c == '%' || c == '/' || c == '@' || (i == 0 && c == '.')) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Decode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    if (i + 2 >= s.size()) return std::nullopt;
    const int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The subfolder of parent that holds the key `name`, matched without
// regard to case; "" when there is none.
std::string FindSubkey(const std::string& parent, const std::string& name) {
  const std::string exact = parent + "/" + Encode(name);
  if (IsFolder(exact)) return exact;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(parent.c_str()), closedir);
  if (!dir) return {};
  while (const dirent* d = readdir(dir.get())) {
    const std::string entry = d->d_name;
    if (entry == "." || entry == ".." || entry == kValuesFile) continue;
    const auto decoded = Decode(entry);
    if (decoded && SameName(*decoded, name) && IsFolder(parent + "/" + entry)) return parent + "/" + entry;
  }
  return {};
}

int32_t FromErrno(int e) {
  switch (e) {
    case EACCES:
    case EPERM:
    case EROFS:
      return PosixRegistry::kAccessDenied;
    case ENOSPC:
    case EDQUOT:
      return PosixRegistry::kDiskFull;
    case ENOENT:
      return PosixRegistry::kFileNotFound;
    case ENAMETOOLONG:
    case ENOTDIR:
      return PosixRegistry::kBadPathname;
    default:
      return PosixRegistry::kWriteFault;
  }
}

// Finds (or, with create, makes) the folder of a key. Sets *error to a
// result code when it returns "".
std::string KeyFolder(RegistryRoot root, const std::string& key_name, bool create, int32_t* error) {
  const auto store = PosixRegistry::StoreDir();
  const auto root_name = platform::RegistryRootName(root);
  if (store.empty() || root_name.empty()) {
    *error = PosixRegistry::kInvalidHandle;
    return {};
  }
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(key_name);
  while (std::getline(in, part, '\\')) parts.push_back(part);
  for (const auto& p : parts) {
    // Windows refuses empty components ("a\\\\b", a leading backslash)
    // and components over 255 characters.
    if (p.empty()) {
      *error = PosixRegistry::kBadPathname;
      return {};
    }
    if (p.size() > kMaxKeyComponent) {
      *error = PosixRegistry::kInvalidParameter;
      return {};
    }
  }
  std::string folder = store + "/" + root_name;
  if (create) {
    if (const int e = MakeFolders(folder); e != 0) {
      *error = FromErrno(e);
      return {};
    }
  } else if (!IsFolder(folder)) {
    *error = PosixRegistry::kFileNotFound;
    return {};
  }
  for (const auto& p : parts) {
    auto next = FindSubkey(folder, p);
    if (next.empty()) {
      if (!create) {
        *error = PosixRegistry::kFileNotFound;
        return {};
      }
      next = folder + "/" + Encode(p);
      if (mkdir(next.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = FromErrno(errno);
        return {};
      }
    }
    folder = std::move(next);
  }
  return folder;
}

using Values = std::vector<std::pair<std::string, PosixRegistry::Stored>>;

// One line per value: encoded name, type in decimal, data in hex.
std::optional<Values> ParseValues(const std::string& text) {
  Values values;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const auto tab1 = line.find('\t');
    const auto tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) return std::nullopt;
    const auto name = Decode(line.substr(0, tab1));
    const std::string type_text = line.substr(tab1 + 1, tab2 - tab1 - 1);
    const std::string hex = line.substr(tab2 + 1);
    if (!name || type_text.empty() || type_text.size() > 10 || hex.size() % 2 != 0) return std::nullopt;
    uint64_t type = 0;
    for (const char c : type_text) {
      if (c < '0' || c > '9') return std::nullopt;
      type = type * 10 + static_cast<uint64_t>(c - '0');
    }
    if (type > UINT32_MAX) return std::nullopt;
    PosixRegistry::Stored stored{static_cast<uint32_t>(type), {}};
    for (size_t i = 0; i < hex.size(); i += 2) {
      const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
      if (hi < 0 || lo < 0) return std::nullopt;
      stored.data.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    values.emplace_back(*name, std::move(stored));
  }
  return values;
}

std::string SerialiseValues(const Values& values) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (const auto& [name, stored] : values) {
    out += Encode(name) + '\t' + std::to_string(stored.type) + '\t';
    for (const uint8_t b : stored.data) {
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
    out += '\n';
  }
  return out;
}

// The values of a key folder; an empty list when it has none yet.
std::optional<Values> LoadValues(const std::string& folder) {
  const auto file = ReadWholeFile(folder + "/" + kValuesFile, PosixRegistry::kMaxValuesFileBytes);
  if (file.error == ENOENT) return Values{};
  if (file.error != 0) return std::nullopt;
  return ParseValues(file.text);
}

}  // namespace

std::string PosixRegistry::StoreDir() {
  const auto dir = TarnwellConfigDir();
  return dir.empty() ? std::string{} : dir + "/registry";
}

platform::Registry::Key PosixRegistry::CreateKey(RegistryRoot root, const std::string& key_name) {
  int32_t error = kOk;
  auto folder = KeyFolder(root, key_name, true, &error);
  if (folder.empty()) return 0;
  const Key key = next_++;
  open_[key] = std::move(folder);
  return key;
}

int32_t PosixRegistry::SetValue(Key key, const std::string& value_name, uint32_t type,
                                const std::vector<uint8_t>& data) {
  const auto it = open_.find(key);
  if (it == open_.end()) return kInvalidHandle;
  if (data.size() > kMaxValueBytes) return kInvalidParameter;
  auto values = LoadValues(it->second);
  if (!values) return kBadKey;
  bool replaced = false;
  for (auto& [name, stored] : *values) {
    if (SameName(name, value_name)) {
      name = value_name;
      stored = Stored{type, data};
      replaced = true;
      break;
    }
  }
  if (!replaced) values->emplace_back(value_name, Stored{type, data});
  if (const int e = WriteFileAtomically(it->second + "/" + kValuesFile, SerialiseValues(*values)); e != 0) {
    return FromErrno(e);
  }
  return kOk;
}

void PosixRegistry::CloseKey(Key key) { open_.erase(key); }

std::optional<PosixRegistry::Stored> PosixRegistry::Read(RegistryRoot root, const std::string& key_name,
                                                         const std::string& value_name) {
  int32_t error = kOk;
  const auto folder = KeyFolder(root, key_name, false, &error);
  if (folder.empty()) return std::nullopt;
  const auto values = LoadValues(folder);
  if (!values) return std::nullopt;
  for (const auto& [name, stored] : *values) {
    if (SameName(name, value_name)) return stored;
  }
  return std::nullopt;
}

}  // namespace tarnwell::posix
