#pragma once
// The per-user settings store: an INI file, one "[app/section]" per section
// and "key=value" lines, in $XDG_CONFIG_HOME/tarnwell/settings.ini.

#include "platform/system.h"

namespace tarnwell::posix {

class PosixSettings : public platform::Settings {
 public:
  // Rewrites the whole file atomically. Throws host::HostError naming the
  // file when it cannot be read back first (too large, unreadable) or cannot
  // be written; the old file then stays as it was.
  void Save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override;
  // Nothing when the file, the section or the key is missing, or the file
  // cannot be read.
  std::optional<std::string> Get(const std::string& app, const std::string& section,
                                 const std::string& key) override;

  static std::string FilePath();
  // Larger files are not ours: refused rather than read into memory.
  static constexpr size_t kMaxFileBytes = 1 << 20;
};

}  // namespace tarnwell::posix
