#include "addin/modCountProcess.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "host/host_error.h"

namespace tarnwell::addin {

namespace {

// Windows-1252 bytes 0x80..0x9F and the characters they stand for; the
// other bytes of the code page are Latin-1 itself.
constexpr std::array<std::pair<char32_t, uint8_t>, 27> kWindows1252High = {{
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
}};

uint8_t AnsiByte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<uint8_t>(c);
  for (const auto& [ch, byte] : kWindows1252High) {
    if (ch == c) return byte;
  }
  return '?';  // what Windows writes for a character the code page lacks
}

// Our strings are UTF-8; the registry's ANSI text is one byte a character.
// Malformed UTF-8 turns into one '?' per bad byte.
std::vector<uint8_t> ToAnsi(const std::string& text) {
  std::vector<uint8_t> out;
  out.reserve(text.size() + 1);
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    char32_t c = len == 1 ? lead : len == 2 ? (lead & 0x1F) : len == 3 ? (lead & 0x0F) : (lead & 0x07);
    bool ok = len != 0 && i + len <= text.size();
    for (size_t k = 1; ok && k < len; ++k) {
      const auto cont = static_cast<unsigned char>(text[i + k]);
      ok = (cont & 0xC0) == 0x80;
      c = (c << 6) | (cont & 0x3F);
    }
    static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && c < kShortest[len]) ok = false;  // overlong forms hide characters
    if (!ok) {
      out.push_back('?');
      ++i;
      continue;
    }
    out.push_back(AnsiByte(c));
    i += len;
  }
  return out;
}

}  // namespace

void WriteRegistryValue(platform::Registry& registry, platform::RegistryRoot root, const std::string& keyName,
                        const std::string& valueName, const host::Value& value, uint32_t valueType) {
  const platform::Registry::Key key = registry.CreateKey(root, keyName);
  if (key == 0) return;
  try {
    WriteRegistryData(registry, key, valueName, valueType, value);
  } catch (const host::HostError&) {
    // A value of the wrong kind is as silent as a refused key.
  }
  registry.CloseKey(key);
}

int32_t WriteRegistryData(platform::Registry& registry, platform::Registry::Key hKey, const std::string& valueName,
                          uint32_t valueType, const host::Value& value) {
  switch (valueType) {
    case platform::kRegSz: {
      std::vector<uint8_t> data = ToAnsi(value.as_string());
      data.push_back(0);
      return registry.SetValue(hKey, valueName, valueType, data);
    }
    case platform::kRegDword: {
      const auto n = static_cast<uint32_t>(value.as_int());
      const std::vector<uint8_t> data = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                                         static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)};
      return registry.SetValue(hKey, valueName, valueType, data);
    }
    default:
      return 0;
  }
}

int32_t fncCountProcess(platform::Processes& processes) {
  int32_t count = 0;
  std::vector<uint32_t> ids;
  try {
    ids = processes.Ids();
  } catch (const std::exception&) {
    return 0;  // counting never fails; nothing listed is nothing counted
  }
  for (uint32_t id : ids) {
    std::optional<std::string> path;
    try {
      path = processes.ExecutablePath(id);
    } catch (const std::exception&) {
      continue;  // a process that ended meanwhile is one we cannot open
    }
    if (!path) continue;
    const size_t cut = path->find_last_of("\\/");
    std::string file = cut == std::string::npos ? *path : path->substr(cut + 1);
    std::transform(file.begin(), file.end(), file.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (file == kWordExecutable) ++count;
  }
  return count;
}

}  // namespace tarnwell::addin
