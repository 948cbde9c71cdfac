#include "addin/modCountProcess.h"

#include <gtest/gtest.h>

#include "engine/test_support.h"
#include "host/host_error.h"
#include "platform/fakes.h"

namespace tarnwell::addin {
namespace {

using platform::FakeRegistry;
using platform::RegistryRoot;
using Bytes = std::vector<uint8_t>;

// Counts closes, so that a key left open shows.
class ClosingRegistry : public FakeRegistry {
 public:
  int closes = 0;
  void CloseKey(Key key) override {
    ++closes;
    FakeRegistry::CloseKey(key);
  }
};

std::string OptionsKey(int version) {
  return "Software\\Microsoft\\Office\\" + std::to_string(version) + ".0\\Word\\Options";
}

const FakeRegistry::Stored* Stored(const FakeRegistry& registry, const std::string& key, const std::string& name) {
  const auto k = registry.keys.find(key);
  if (k == registry.keys.end()) return nullptr;
  const auto v = k->second.find(name);
  return v == k->second.end() ? nullptr : &v->second;
}

Bytes WrittenSz(const host::Value& value) {
  FakeRegistry registry;
  WriteRegistryValue(registry, RegistryRoot::CurrentUser, "K", "V", value, platform::kRegSz);
  const auto* s = Stored(registry, "HKCU\\K", "V");
  return s ? s->data : Bytes{0xEE};
}

// Connect writes three versions' keys; a refused one is skipped silently,
// and only what was opened is closed.
TEST(WriteRegistryValueTest, TextIsWrittenWithItsNulAndARefusedKeyIsSkipped) {
  ClosingRegistry registry;
  registry.refused_keys.insert("HKCU\\" + OptionsKey(10));
  for (int version : {10, 11}) {
    EXPECT_NO_THROW(WriteRegistryValue(registry, RegistryRoot::CurrentUser, OptionsKey(version), "CacheSize",
                                       "10000", platform::kRegSz));
  }
  EXPECT_EQ(Stored(registry, "HKCU\\" + OptionsKey(10), "CacheSize"), nullptr);
  const auto* stored = Stored(registry, "HKCU\\" + OptionsKey(11), "CacheSize");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->type, platform::kRegSz);
  EXPECT_EQ(stored->data, (Bytes{'1', '0', '0', '0', '0', 0}));
  EXPECT_EQ(registry.writes, std::vector<std::string>{"HKCU\\" + OptionsKey(11) + "\\CacheSize"});
  EXPECT_EQ(registry.closes, 1);
}

TEST(WriteRegistryValueTest, UnconvertibleValueWritesNothingButClosesTheKey) {
  ClosingRegistry registry;
  EXPECT_NO_THROW(WriteRegistryValue(registry, RegistryRoot::CurrentUser, "K", "V", "many", platform::kRegDword));
  EXPECT_TRUE(registry.writes.empty());
  EXPECT_EQ(registry.closes, 1);

  const auto key = registry.CreateKey(RegistryRoot::CurrentUser, "K");
  EXPECT_EQ(engine::testing::ErrorOf([&] { WriteRegistryData(registry, key, "V", platform::kRegDword, "many"); }),
            host::kErrTypeMismatch);
}

TEST(WriteRegistryDataTest, DwordIsFourLittleEndianBytesOtherTypesNothing) {
  FakeRegistry registry;
  const auto key = registry.CreateKey(RegistryRoot::CurrentUser, "K");
  EXPECT_EQ(WriteRegistryData(registry, key, "A", platform::kRegDword, int32_t{0x12345678}), 0);
  EXPECT_EQ(WriteRegistryData(registry, key, "B", platform::kRegDword, int32_t{-1}), 0);
  EXPECT_EQ(WriteRegistryData(registry, key, "C", platform::kRegDword, "10000"), 0);
  EXPECT_EQ(Stored(registry, "HKCU\\K", "A")->data, (Bytes{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(Stored(registry, "HKCU\\K", "A")->type, platform::kRegDword);
  EXPECT_EQ(Stored(registry, "HKCU\\K", "B")->data, (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Stored(registry, "HKCU\\K", "C")->data, (Bytes{0x10, 0x27, 0, 0}));
  for (uint32_t type : {0u, 2u, 3u, 7u, 11u})
    EXPECT_EQ(WriteRegistryData(registry, key, "V", type, "10000"), 0) << type;
  EXPECT_EQ(registry.writes.size(), 3u);
  // The platform's result code is passed back.
  registry.CloseKey(key);
  EXPECT_EQ(WriteRegistryData(registry, key, "V", platform::kRegSz, "x"), 6);
}

TEST(WriteRegistryDataTest, TextIsAnsiWithOneByteACharacter) {
  EXPECT_EQ(WrittenSz(""), (Bytes{0}));
  EXPECT_EQ(WrittenSz(int32_t{42}), (Bytes{'4', '2', 0}));
  EXPECT_EQ(WrittenSz("Caf\xC3\xA9"), (Bytes{'C', 'a', 'f', 0xE9, 0}));  // e acute
  EXPECT_EQ(WrittenSz("\xE2\x82\xAC"), (Bytes{0x80, 0}));                 // euro sign
  EXPECT_EQ(WrittenSz("\xE6\x97\xA5"), (Bytes{'?', 0}));                  // not in the code page
  EXPECT_EQ(WrittenSz("a\xFF"
                      "b"),
            (Bytes{'a', '?', 'b', 0}));  // malformed byte
  EXPECT_EQ(WrittenSz("\xC0\xAF"), (Bytes{'?', '?', 0}));  // overlong "/"
  EXPECT_EQ(WrittenSz("\xE2\x82"), (Bytes{'?', '?', 0}));  // cut short
}

class ThrowingProcesses : public platform::FakeProcesses {
 public:
  std::optional<std::string> ExecutablePath(uint32_t id) override {
    if (id == 99) throw std::runtime_error("gone");
    return FakeProcesses::ExecutablePath(id);
  }
};

TEST(FncCountProcessTest, CountsWordExecutablesIgnoringCaseAndFolder) {
  ThrowingProcesses processes;
  processes.running = {
      {4, "C:\\Program Files\\Microsoft Office\\OFFICE11\\WINWORD.EXE"},
      {8, "C:\\Other\\WinWord.exe"},
      {12, std::nullopt},  // another user's Word: cannot be opened
      {16, "C:\\Tools\\notwinword.exe"},
      {20, "C:\\winword.exe\\excel.exe"},
      {24, "C:\\Office\\winword.exe.old"},
      {28, "/opt/office/WINWORD.exe"},
      {32, "winword.exe"},
      {99, "C:\\winword.exe"},  // ends while being read
  };
  EXPECT_EQ(fncCountProcess(processes), 4);
  processes.running = {{1, "C:\\Windows\\explorer.exe"}, {2, std::nullopt}};
  EXPECT_EQ(fncCountProcess(processes), 0);
  processes.running.clear();
  EXPECT_EQ(fncCountProcess(processes), 0);
}

}  // namespace
}  // namespace tarnwell::addin
