#pragma once
// The add-in's per-user settings, kept under the add-in's title.

#include <optional>
#include <string>

#include "platform/system.h"

namespace tarnwell::support {

inline constexpr const char* kSettingsSection = "Settings";
// "1" once the dialog has been shown in a session, else "0"; written at
// disconnection and not read back by the add-in itself.
inline constexpr const char* kDisplayOnConnectKey = "DisplayOnConnect";

void SaveAddInSetting(platform::Settings& settings, const std::string& section, const std::string& key,
                      const std::string& value);
std::optional<std::string> GetAddInSetting(platform::Settings& settings, const std::string& section,
                                           const std::string& key);

void SaveDisplayOnConnect(platform::Settings& settings, bool displayed);
std::optional<std::string> GetDisplayOnConnect(platform::Settings& settings);

}  // namespace tarnwell::support
