#pragma once
// Folder paths as the platform spells them.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwell::support {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The folder with one separator appended, as folder values are kept.
inline std::string WithSeparator(std::string folder) {
  folder += kPathSeparator;
  return folder;
}

// Where scratch documents go when the user's documents folder is missing or
// holds no files. Windows keeps the root of drive C. Elsewhere there is no
// such root a user may write to, so the system's temporary folder serves: it
// always exists, is writable, and the scratch documents are short-lived.
std::string FallbackDocsFolder();

// Paths are measured as Windows measures them, in UTF-16 code units, from
// UTF-8 text: a character beyond the Basic Multilingual Plane counts two.
std::size_t Utf16Length(std::string_view utf8);
// The longest start of text that fits in units code units; a character is
// never cut, a surrogate pair included.
std::string CutToUtf16(std::string_view utf8, std::size_t units);

}  // namespace tarnwell::support
