#pragma once
// Folder paths as the platform spells them.

#include <string>

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

}  // namespace tarnwell::support
