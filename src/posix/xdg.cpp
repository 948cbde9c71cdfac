#include "posix/xdg.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace tarnwell::posix {

namespace {

std::string AbsoluteEnv(const char* name) {
  const char* v = std::getenv(name);
  // The base-directory rules say relative values are invalid and ignored.
  if (v == nullptr || v[0] != '/') return {};
  return StripTrailingSlashes(v);
}

// Reads one NAME="value" line of a user-dirs file: $HOME expanded, the
// backslash escapes undone. Nothing when the line is not of that form.
std::string UserDirValue(const std::string& line, const std::string& name, const std::string& home) {
  const std::string head = name + "=\"";
  if (line.compare(0, head.size(), head) != 0) return {};
  const auto close = line.rfind('"');
  if (close == std::string::npos || close < head.size()) return {};
  std::string raw = line.substr(head.size(), close - head.size());
  std::string out;
  if (raw.compare(0, 5, "$HOME") == 0 && (raw.size() == 5 || raw[5] == '/')) {
    out = home;
    raw.erase(0, 5);
  } else if (raw.empty() || raw[0] != '/') {
    return {};  // only absolute or $HOME-relative paths are allowed
  }
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
    out += raw[i];
  }
  return StripTrailingSlashes(out);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string HomeDir() {
  if (const char* h = std::getenv("HOME"); h != nullptr && h[0] != '\0') return StripTrailingSlashes(h);
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd pw{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr && found->pw_dir) {
    return StripTrailingSlashes(found->pw_dir);
  }
  return {};
}

std::string ConfigHome() {
  if (auto v = AbsoluteEnv("XDG_CONFIG_HOME"); !v.empty()) return v;
  const auto home = HomeDir();
  return home.empty() ? std::string{} : home + "/.config";
}

std::string DataHome() {
  if (auto v = AbsoluteEnv("XDG_DATA_HOME"); !v.empty()) return v;
  const auto home = HomeDir();
  return home.empty() ? std::string{} : home + "/.local/share";
}

std::string RuntimeDir() {
  if (auto v = AbsoluteEnv("XDG_RUNTIME_DIR"); !v.empty()) return v;
  return "/tmp";
}

std::string TarnwellConfigDir() {
  const auto config = ConfigHome();
  return config.empty() ? std::string{} : config + "/tarnwell";
}

std::string DocumentsDir() {
  const auto home = HomeDir();
  const auto config = ConfigHome();
  if (!config.empty()) {
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line, found;
    // The last assignment wins, as when the shell sources the file.
    while (std::getline(in, line)) {
      if (auto v = UserDirValue(line, "XDG_DOCUMENTS_DIR", home); !v.empty()) found = v;
    }
    // A documents folder set to the home folder itself means "disabled".
    if (!found.empty() && found != home && IsDirectory(found)) return found;
  }
  return home.empty() ? std::string{} : home + "/Documents";
}

}  // namespace tarnwell::posix
