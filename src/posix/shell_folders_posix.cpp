#include "posix/shell_folders_posix.h"

#include <sys/stat.h>

#include "posix/xdg.h"

namespace tarnwell::posix {

std::string PosixSpecialFolders::Get(platform::WindowHandle, int32_t csidl) {
  std::string path;
  if (csidl == platform::kCsidlPersonal) {
    path = DocumentsDir();
  } else if (csidl == platform::kCsidlLocalAppData) {
    path = DataHome();
  }
  if (path.empty()) return {};
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
  return StripTrailingSlashes(path);
}

}  // namespace tarnwell::posix
