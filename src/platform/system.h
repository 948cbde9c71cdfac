#pragma once
// Operating-system services other than the user interface. Each has a POSIX
// and a Windows implementation and an in-memory fake that records its use.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace tarnwell::platform {

// Files and folders. Paths are the platform's own; folder arguments end with
// a separator.
struct FileEntry {
  std::string name;
  bool directory = false;
  bool hidden = false;  // hidden or system: not a "normal" file
  uint64_t size = 0;
  std::chrono::system_clock::time_point last_access{};
};

class Files {
 public:
  virtual ~Files() = default;
  // The entries of a folder (not "." or ".."); empty when it cannot be read.
  virtual std::vector<FileEntry> List(const std::string& folder) = 0;
  // False when the file could not be deleted (in use, read-only, missing).
  virtual bool Delete(const std::string& path) = 0;
  virtual bool Copy(const std::string& from, const std::string& to) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // The folder of the add-in or program itself, with a trailing separator.
  virtual std::string OwnFolder() = 0;
};

// Predefined registry roots, as Windows numbers them.
enum class RegistryRoot : uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
};
// The short name Windows tools give a root ("HKCU"); "" for none.
inline std::string RegistryRootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot: return "HKCR";
    case RegistryRoot::CurrentUser: return "HKCU";
    case RegistryRoot::LocalMachine: return "HKLM";
    case RegistryRoot::Users: return "HKU";
  }
  return {};
}
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegDword = 4;

class Registry {
 public:
  virtual ~Registry() = default;
  using Key = uint64_t;  // 0 is no key
  // Creates or opens a key; 0 on failure.
  virtual Key CreateKey(RegistryRoot root, const std::string& key_name) = 0;
  // Writes raw value data of a registry type; returns the platform's result
  // code (0 for success).
  virtual int32_t SetValue(Key key, const std::string& value_name, uint32_t type,
                           const std::vector<uint8_t>& data) = 0;
  virtual void CloseKey(Key key) = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;
  virtual std::vector<uint32_t> Ids() = 0;
  // The executable's full path, or nothing when the process cannot be opened.
  virtual std::optional<std::string> ExecutablePath(uint32_t id) = 0;
  // Creates (or opens) a named mutex that stays held for the process's life.
  virtual bool CreateNamedMutex(const std::string& name) = 0;
};

class SpecialFolders {
 public:
  virtual ~SpecialFolders() = default;
  // The folder for a CSIDL number, without a trailing separator; "" on failure.
  virtual std::string Get(WindowHandle owner, int32_t csidl) = 0;
};
inline constexpr int32_t kCsidlPersonal = 5;
inline constexpr int32_t kCsidlLocalAppData = 28;

// The per-user application settings store (string values).
class Settings {
 public:
  virtual ~Settings() = default;
  virtual void Save(const std::string& app, const std::string& section, const std::string& key,
                    const std::string& value) = 0;
  virtual std::optional<std::string> Get(const std::string& app, const std::string& section,
                                         const std::string& key) = 0;
};

// Time, waits and the message loop. Waits pump messages while they last.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::system_clock::time_point Now() = 0;
  virtual void WaitSeconds(int32_t seconds) = 0;
  virtual void Sleep(int32_t milliseconds) = 0;
  virtual void PumpMessages() = 0;
};

// Everything the core may ask of the platform, handed down by the home.
struct Platform {
  Ui& ui;
  Files& files;
  Registry& registry;
  Processes& processes;
  SpecialFolders& folders;
  Settings& settings;
  Clock& clock;
};

}  // namespace tarnwell::platform
