#include "addin/modSearchForFiles.h"

#include <cctype>
#include <ctime>
#include <exception>
#include <string_view>
#include <vector>

#include "support/paths.h"

namespace tarnwell::addin {

namespace {

// The knowledge base article's address is left out: we do not know it for
// certain, and a wrong address is worse than none.
constexpr const char* kScratchWarningText =
    "Word's temporary scratch file is getting very large.  This can happen when you edit a large number of "
    "styles - please see Microsoft's KnowledgeBase article \"Creating Large Numbers of Styles Creates Huge "
    "Scratch File\" for more information.\r\n\r\n"
    "You should save your work, close Word and restart Word to clear the scratch file.";

std::string Lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Splits UTF-8 text into characters, so that "?" stands for one character
// of a name, not one byte.
std::vector<std::string_view> Characters(std::string_view s) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < s.size()) {
    size_t len = 1;
    while (i + len < s.size() && (static_cast<unsigned char>(s[i + len]) & 0xC0) == 0x80) ++len;
    out.push_back(s.substr(i, len));
    i += len;
  }
  return out;
}

bool SameCharacter(std::string_view a, std::string_view b) {
  if (a.size() == 1 && b.size() == 1) {
    return std::tolower(static_cast<unsigned char>(a[0])) == std::tolower(static_cast<unsigned char>(b[0]));
  }
  return a == b;
}

// What each routine looks for: a plain file named "*.tmp" whose name begins
// with one of the prefixes, in any case.
bool IsScratchFile(const platform::FileEntry& entry, std::initializer_list<std::string_view> prefixes) {
  if (entry.directory || !fncMatchSpec(entry.name, "*.tmp")) return false;
  const std::string head = Lower(std::string_view(entry.name).substr(0, 4));
  for (auto prefix : prefixes) {
    if (head == prefix) return true;
  }
  return false;
}

}  // namespace

bool fncMatchSpec(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*") return true;
  const auto n = Characters(name);
  const auto p = Characters(pattern);
  // Greedy match that backs up to the last "*" on a mismatch: linear in
  // practice and never exponential, whatever names a folder holds.
  size_t ni = 0, pi = 0;
  size_t star = std::string::npos, star_n = 0;
  while (ni < n.size()) {
    if (pi < p.size() && p[pi] == "*") {
      star = pi++;
      star_n = ni;
    } else if (pi < p.size() && (p[pi] == "?" || SameCharacter(p[pi], n[ni]))) {
      ++pi;
      ++ni;
    } else if (star != std::string::npos) {
      pi = star + 1;
      ni = ++star_n;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == "*") ++pi;
  return pi == p.size();
}

std::string fncAddBackslash(const std::string& path) {
  if (path.empty()) return path;
  const char last = path.back();
#ifdef _WIN32
  if (last == '\\' || last == '/') return path;
#else
  if (last == '/') return path;
#endif
  return path + support::kPathSeparator;
}

std::string fncTrimFixed(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string fncTempFolder(const std::string& folder) {
  static constexpr std::string_view kFrom = "Application Data";
  static constexpr std::string_view kTo = "Temp";
  std::string out;
  size_t pos = 0;
  for (size_t hit; (hit = folder.find(kFrom, pos)) != std::string::npos; pos = hit + kFrom.size()) {
    out.append(folder, pos, hit - pos);
    out.append(kTo);
  }
  out.append(folder, pos);
  return fncAddBackslash(out);
}

std::string fncLocalDay(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &t) != 0) return "";
#else
  if (!localtime_r(&t, &local)) return "";
#endif
  char buf[16];
  std::strftime(buf, sizeof buf, "%d/%m/%Y", &local);
  return buf;
}

void fncClearScratchFiles(platform::Platform& platform, const std::string& folder) {
  if (folder.empty()) return;  // scratch folder unknown: skip, see the header
  const std::string temp = fncTempFolder(folder);
  std::vector<platform::FileEntry> entries;
  try {
    entries = platform.files.List(temp);
  } catch (const std::exception&) {
    return;
  }
  for (const auto& entry : entries) {
    if (!IsScratchFile(entry, {"~wrs", "~wrf", "~wrc"})) continue;
    try {
      platform.files.Delete(temp + entry.name);
    } catch (const std::exception&) {
      // Left for the next start-up; the other files still go.
    }
  }
}

void fncCheckScratchFile(platform::Platform& platform, const std::string& folder) {
  if (folder.empty()) return;  // scratch folder unknown: skip, see the header
  try {
    const std::string temp = fncTempFolder(folder);
    const std::string today = fncLocalDay(platform.clock.Now());
    for (const auto& entry : platform.files.List(temp)) {
      if (!IsScratchFile(entry, {"~wrs"})) continue;
      // The scratch file Word is using cannot be deleted; meeting it means
      // Word is running with it, and the check ends there.
      if (!platform.files.Delete(temp + entry.name)) return;
      const auto low_size = static_cast<uint32_t>(entry.size & 0xFFFFFFFFu);
      if (low_size > kScratchFileLimit && !today.empty() && fncLocalDay(entry.last_access) == today) {
        platform.ui.MessageBox(kScratchWarningTitle, kScratchWarningText, platform::Icon::Exclamation,
                               platform::Buttons::OK);
      }
    }
  } catch (const std::exception&) {
    // Any failure ends the check without a word; it runs again next time.
  }
}

}  // namespace tarnwell::addin
