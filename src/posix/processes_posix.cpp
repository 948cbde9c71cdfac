#include "posix/processes_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "posix/file_io.h"
#include "posix/xdg.h"

namespace tarnwell::posix {

namespace {

std::optional<uint32_t> ParseId(const char* name) {
  if (*name == '\0') return std::nullopt;
  uint64_t id = 0;
  for (const char* p = name; *p; ++p) {
    if (*p < '0' || *p > '9') return std::nullopt;
    id = id * 10 + static_cast<uint64_t>(*p - '0');
    if (id > UINT32_MAX) return std::nullopt;
  }
  return static_cast<uint32_t>(id);
}

}  // namespace

std::vector<uint32_t> PosixProcesses::Ids() {
  std::vector<uint32_t> ids;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("/proc"), closedir);
  if (!dir) return ids;
  while (const dirent* d = readdir(dir.get())) {
    if (auto id = ParseId(d->d_name)) ids.push_back(*id);
  }
  return ids;
}

std::optional<std::string> PosixProcesses::ExecutablePath(uint32_t id) {
  std::string path = ReadLink("/proc/" + std::to_string(id) + "/exe");
  if (path.empty()) return std::nullopt;
  // A program replaced on disk while running reads back with this mark.
  static const std::string kDeleted = " (deleted)";
  if (path.size() > kDeleted.size() && path.compare(path.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0 &&
      access(path.c_str(), F_OK) != 0) {
    path.resize(path.size() - kDeleted.size());
  }
  return path;
}

std::string PosixProcesses::MutexPath(const std::string& name) {
  std::string safe;
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                       c == '-' || c == '_';
    safe += plain ? c : '_';
  }
  return RuntimeDir() + "/tarnwell-" + safe + ".lock";
}

bool PosixProcesses::CreateNamedMutex(const std::string& name) {
  const std::string path = MutexPath(name);
  if (held_.count(path)) return true;
  // No links followed: in a shared /tmp another user could plant one.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  // A shared lock, as several instances may each hold the mutex open; a
  // refused lock still leaves the name taken, as an opened mutex would.
  while (flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EINTR) {
  }
  held_[path] = fd;
  return true;
}

}  // namespace tarnwell::posix
