#include "support/modGetCSIDLFolderPath.h"

#include "support/globals.h"
#include "support/paths.h"

namespace tarnwell::support {

std::string fncGetSpecialFolder(platform::Platform& platform, platform::WindowHandle hwndOwner,
                                int32_t csidl) {
  return platform.folders.Get(hwndOwner, csidl);
}

bool HasNormalFile(platform::Files& files, const std::string& folder) {
  for (const auto& entry : files.List(folder)) {
    if (!entry.directory && !entry.hidden) return true;
  }
  return false;
}

namespace {
// An unresolved folder is treated as missing outright: listing the bare
// separator would look at the root of the file system instead.
std::string ResolvedFolderWithFiles(platform::Platform& platform, platform::WindowHandle owner,
                                    int32_t csidl) {
  std::string found = fncGetSpecialFolder(platform, owner, csidl);
  if (found.empty()) return "";
  std::string folder = WithSeparator(found);
  return HasNormalFile(platform.files, folder) ? folder : "";
}
}  // namespace

void fncSetDocsFolder(platform::Platform& platform, platform::WindowHandle hwndOwner) {
  std::string folder = ResolvedFolderWithFiles(platform, hwndOwner, platform::kCsidlPersonal);
  gDocsFolder = folder.empty() ? FallbackDocsFolder() : folder;
}

void fncSetScratchFolder(platform::Platform& platform, platform::WindowHandle hwndOwner) {
  gScratchFolder = ResolvedFolderWithFiles(platform, hwndOwner, platform::kCsidlLocalAppData);
}

}  // namespace tarnwell::support
