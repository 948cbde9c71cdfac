#include "support/settings.h"

#include "support/globals.h"

namespace tarnwell::support {

void SaveAddInSetting(platform::Settings& settings, const std::string& section, const std::string& key,
                      const std::string& value) {
  settings.Save(kAddInTitle, section, key, value);
}

std::optional<std::string> GetAddInSetting(platform::Settings& settings, const std::string& section,
                                           const std::string& key) {
  return settings.Get(kAddInTitle, section, key);
}

void SaveDisplayOnConnect(platform::Settings& settings, bool displayed) {
  SaveAddInSetting(settings, kSettingsSection, kDisplayOnConnectKey, displayed ? "1" : "0");
}

std::optional<std::string> GetDisplayOnConnect(platform::Settings& settings) {
  return GetAddInSetting(settings, kSettingsSection, kDisplayOnConnectKey);
}

}  // namespace tarnwell::support
