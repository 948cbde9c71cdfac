#pragma once
// Files and folders through the POSIX file system.

#include "platform/system.h"

namespace tarnwell::posix {

class PosixFiles : public platform::Files {
 public:
  // Dot files and anything that is neither a regular file nor a folder
  // (sockets, devices, dangling links) count as hidden: not "normal" files.
  std::vector<platform::FileEntry> List(const std::string& folder) override;
  bool Delete(const std::string& path) override;
  // Copies into a temporary file beside the target and renames it over the
  // target, so a failed copy leaves no partial file behind.
  bool Copy(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override;
  // The folder of the running program, from /proc/self/exe.
  std::string OwnFolder() override;
};

}  // namespace tarnwell::posix
