#include "support/paths.h"

#include <algorithm>
#include <filesystem>
#include <utility>
#include <system_error>

namespace tarnwell::support {

std::string FallbackDocsFolder() {
#ifdef _WIN32
  return "C:\\";
#else
  std::error_code ec;
  auto temp = std::filesystem::temp_directory_path(ec);
  std::string folder = ec ? std::string("/tmp") : temp.string();
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
#endif
}

namespace {

// The bytes of the UTF-8 character starting at lead and the code units it
// takes in UTF-16. A stray byte counts as one of each, as a converter that
// replaces it would.
std::pair<std::size_t, std::size_t> Character(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return {4, 2};
  if (lead >= 0xE0) return {lead < 0xF0 ? 3u : 1u, 1};
  if (lead >= 0xC0) return {2, 1};
  return {1, 1};
}

}  // namespace

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    auto [bytes, n] = Character(static_cast<unsigned char>(utf8[i]));
    i += bytes;
    units += n;
  }
  return units;
}

std::string CutToUtf16(std::string_view utf8, std::size_t units) {
  std::size_t used = 0, i = 0;
  while (i < utf8.size()) {
    auto [bytes, n] = Character(static_cast<unsigned char>(utf8[i]));
    if (used + n > units) break;
    used += n;
    i = std::min(utf8.size(), i + bytes);
  }
  return std::string(utf8.substr(0, i));
}

}  // namespace tarnwell::support
