#pragma once
// Processes from /proc, and a named mutex as a held lock file.

#include <map>

#include "platform/system.h"

namespace tarnwell::posix {

class PosixProcesses : public platform::Processes {
 public:
  std::vector<uint32_t> Ids() override;
  // The target of /proc/<id>/exe; nothing for processes of other users and
  // kernel threads, whose link cannot be read.
  std::optional<std::string> ExecutablePath(uint32_t id) override;
  // Holds a shared flock on <runtime dir>/tarnwell-<name>.lock until the
  // process ends, so another program can test for a running Tarnwell by
  // trying an exclusive lock. False when the lock file cannot be opened.
  bool CreateNamedMutex(const std::string& name) override;

  // The lock file a mutex name maps to; other characters than letters,
  // digits, '.', '-' and '_' become '_'.
  static std::string MutexPath(const std::string& name);

 private:
  std::map<std::string, int> held_;  // lock path -> descriptor, never closed
};

}  // namespace tarnwell::posix
