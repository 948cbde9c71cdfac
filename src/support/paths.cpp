#include "support/paths.h"

#include <filesystem>
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

}  // namespace tarnwell::support
