#pragma once
// A registry kept in files under $XDG_CONFIG_HOME/tarnwell/registry/: one
// folder per key (HKCU/Software/...), each key's values in its "@values"
// file as name, type and hex data, so the bytes written are the bytes kept.

#include <map>

#include "platform/system.h"

namespace tarnwell::posix {

class PosixRegistry : public platform::Registry {
 public:
  // Result codes, as Windows numbers them.
  static constexpr int32_t kOk = 0;
  static constexpr int32_t kFileNotFound = 2;
  static constexpr int32_t kAccessDenied = 5;
  static constexpr int32_t kInvalidHandle = 6;
  static constexpr int32_t kWriteFault = 29;
  static constexpr int32_t kDiskFull = 112;
  static constexpr int32_t kInvalidParameter = 87;
  static constexpr int32_t kBadPathname = 161;
  static constexpr int32_t kBadKey = 1010;  // the key's store is unreadable

  // Like the Windows registry, names match without regard to ASCII case
  // and keep the case they were created with. Creates missing parents.
  Key CreateKey(platform::RegistryRoot root, const std::string& key_name) override;
  // Writes nothing when the key's values file cannot be read back, rather
  // than replace values it could not parse.
  int32_t SetValue(Key key, const std::string& value_name, uint32_t type, const std::vector<uint8_t>& data) override;
  void CloseKey(Key key) override;

  struct Stored {
    uint32_t type = 0;
    std::vector<uint8_t> data;
  };
  // Reads a value back; nothing when the key or value is missing or its
  // store cannot be read. Never creates anything.
  std::optional<Stored> Read(platform::RegistryRoot root, const std::string& key_name,
                             const std::string& value_name);

  static std::string StoreDir();
  static constexpr size_t kMaxValuesFileBytes = 8u << 20;
  static constexpr size_t kMaxValueBytes = 1u << 20;

 private:
  std::map<Key, std::string> open_;  // handle -> key folder
  Key next_ = 1;
};

}  // namespace tarnwell::posix
