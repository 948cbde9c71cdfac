#include "posix/settings_posix.h"

#include <cerrno>
#include <cstring>
#include <sstream>

#include "host/host_error.h"
#include "posix/file_io.h"
#include "posix/xdg.h"

namespace tarnwell::posix {

namespace {

// Names and values may hold any byte. Backslash escapes keep the few that
// mean something to the format (line breaks, '=', '/', brackets, comment
// marks) from being read as structure.
std::string Escape(const std::string& s, const char* specials) {
  std::string out;
  for (const char c : s) {
    if (c == '\0') {
      out += "\\0";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\\' || std::strchr(specials, c) != nullptr) {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out;
}

// Unescapes s up to the first unescaped `stop` (or the end); *end gets the
// position of that stop, npos when there is none.
std::string Unescape(const std::string& s, size_t from, std::optional<char> stop, size_t* end) {
  std::string out;
  size_t i = from;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\\' && i + 1 < s.size()) {
      const char n = s[++i];
      out += n == 'n' ? '\n' : n == 'r' ? '\r' : n == '0' ? '\0' : n;
    } else if (c == stop) {
      break;
    } else {
      out += c;
    }
  }
  if (end) *end = i < s.size() ? i : std::string::npos;
  return out;
}

struct Section {
  std::string app, name;
  std::vector<std::pair<std::string, std::string>> entries;
};

// Replaces the key's value, or adds the key at the end.
void SetEntry(Section& s, std::string key, std::string value) {
  for (auto& [k, v] : s.entries) {
    if (k == key) {
      v = std::move(value);
      return;
    }
  }
  s.entries.emplace_back(std::move(key), std::move(value));
}

std::vector<Section> Parse(const std::string& text) {
  std::vector<Section> sections;
  std::istringstream in(text);
  std::string line;
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t current = kNone;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      current = kNone;  // a broken header: its lines belong to no section
      if (line.back() != ']') continue;
      const std::string inner = line.substr(1, line.size() - 2);
      size_t slash = 0;
      std::string app = Unescape(inner, 0, '/', &slash);
      if (slash == std::string::npos) continue;
      std::string name = Unescape(inner, slash + 1, std::nullopt, nullptr);
      // A section named twice (a hand edit) is read as one.
      for (size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].app == app && sections[i].name == name) current = i;
      }
      if (current == kNone) {
        sections.push_back(Section{std::move(app), std::move(name), {}});
        current = sections.size() - 1;
      }
      continue;
    }
    if (current == kNone) continue;
    size_t eq = 0;
    std::string key = Unescape(line, 0, '=', &eq);
    if (eq == std::string::npos) continue;
    SetEntry(sections[current], std::move(key), Unescape(line, eq + 1, std::nullopt, nullptr));
  }
  return sections;
}

std::string Serialise(const std::vector<Section>& sections) {
  std::string out;
  for (const auto& s : sections) {
    if (!out.empty()) out += '\n';
    out += '[' + Escape(s.app, "/[];#") + '/' + Escape(s.name, "/[];#") + "]\n";
    for (const auto& [k, v] : s.entries) out += Escape(k, "=[;#") + '=' + Escape(v, "") + '\n';
  }
  return out;
}

}  // namespace

std::string PosixSettings::FilePath() {
  const auto dir = TarnwellConfigDir();
  return dir.empty() ? std::string{} : dir + "/settings.ini";
}

std::optional<std::string> PosixSettings::Get(const std::string& app, const std::string& section,
                                              const std::string& key) {
  const auto path = FilePath();
  if (path.empty()) return std::nullopt;
  const auto file = ReadWholeFile(path, kMaxFileBytes);
  if (file.error != 0) return std::nullopt;
  for (const auto& s : Parse(file.text)) {
    if (s.app != app || s.name != section) continue;
    for (const auto& [k, v] : s.entries) {
      if (k == key) return v;
    }
  }
  return std::nullopt;
}

void PosixSettings::Save(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& value) {
  const auto path = FilePath();
  if (path.empty()) {
    throw host::HostError(host::kErrPathNotFound, "Cannot store settings: no home folder is known");
  }
  const auto file = ReadWholeFile(path, kMaxFileBytes);
  // Rewriting a file we could not read would lose whatever it holds.
  if (file.error != 0 && file.error != ENOENT) {
    const std::string why = file.error == EFBIG ? "larger than 1 MB, not a settings file" : std::strerror(file.error);
    throw host::HostError(host::kErrPathFileAccess, "Cannot read the settings file " + path + ": " + why);
  }
  auto sections = Parse(file.text);
  Section* target = nullptr;
  for (auto& s : sections) {
    if (s.app == app && s.name == section) target = &s;
  }
  if (target == nullptr) {
    sections.push_back(Section{app, section, {}});
    target = &sections.back();
  }
  SetEntry(*target, key, value);
  if (const int e = WriteFileAtomically(path, Serialise(sections)); e != 0) {
    throw host::HostError(e == ENOSPC ? host::kErrDiskFull : host::kErrPathFileAccess,
                          "Cannot write the settings file " + path + ": " + std::strerror(e));
  }
}

}  // namespace tarnwell::posix
