#pragma once
// Word's cache-size registry values and the count of running Word processes.

#include <cstdint>
#include <string>

#include "host/value.h"
#include "platform/system.h"

namespace tarnwell::addin {

// Creates or opens keyName under root and writes one value. Nothing is
// reported: a key that cannot be opened, or a value that cannot be converted,
// leaves the registry as it was.
void WriteRegistryValue(platform::Registry& registry, platform::RegistryRoot root, const std::string& keyName,
                        const std::string& valueName, const host::Value& value, uint32_t valueType);

// Writes value into an open key: REG_SZ as ANSI text with one terminating
// NUL, REG_DWORD as four little-endian bytes. Returns the platform's result
// code; any other type writes nothing and returns 0. A value that cannot be
// converted raises HostError 13.
int32_t WriteRegistryData(platform::Registry& registry, platform::Registry::Key hKey, const std::string& valueName,
                          uint32_t valueType, const host::Value& value);

// The executable file of a Word process, in lower case.
inline constexpr const char* kWordExecutable = "winword.exe";

// How many running processes run "winword.exe" (this one included).
// Processes that cannot be opened are not counted.
int32_t fncCountProcess(platform::Processes& processes);

}  // namespace tarnwell::addin
