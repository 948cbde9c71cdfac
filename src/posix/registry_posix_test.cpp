#include "posix/registry_posix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "posix/test_home.h"

namespace tarnwell::posix {
namespace {

namespace fs = std::filesystem;
using platform::kRegDword;
using platform::kRegSz;
using platform::RegistryRoot;

const std::string kOptions = "Software\\Microsoft\\Office\\11.0\\Word\\Options";

class Registry : public HomeTest {
 protected:
  PosixRegistry reg;
};

std::vector<uint8_t> Sz(const std::string& s) {
  std::vector<uint8_t> data(s.begin(), s.end());
  data.push_back(0);
  return data;
}

TEST_F(Registry, StringKeepsItsNulAndDwordIsFourBytes) {
  const auto key = reg.CreateKey(RegistryRoot::CurrentUser, kOptions);
  ASSERT_NE(key, 0u);
  EXPECT_EQ(reg.SetValue(key, "CacheSize", kRegSz, Sz("10000")), 0);
  EXPECT_EQ(reg.SetValue(key, "Count", kRegDword, {0x10, 0x27, 0, 0}), 0);
  reg.CloseKey(key);

  const auto sz = reg.Read(RegistryRoot::CurrentUser, kOptions, "CacheSize");
  ASSERT_TRUE(sz.has_value());
  EXPECT_EQ(sz->type, kRegSz);
  EXPECT_EQ(sz->data, (std::vector<uint8_t>{'1', '0', '0', '0', '0', 0}));
  const auto dword = reg.Read(RegistryRoot::CurrentUser, kOptions, "Count");
  ASSERT_TRUE(dword.has_value());
  EXPECT_EQ(dword->type, kRegDword);
  EXPECT_EQ(dword->data.size(), 4u);
  // Another root is another tree.
  EXPECT_FALSE(reg.Read(RegistryRoot::LocalMachine, kOptions, "CacheSize").has_value());
}

TEST_F(Registry, KeyCreatedWithParentsUnderTheConfigFolder) {
  EXPECT_EQ(PosixRegistry::StoreDir(), home / ".config/tarnwell/registry");
  const auto key = reg.CreateKey(RegistryRoot::CurrentUser, kOptions);
  ASSERT_NE(key, 0u);
  EXPECT_TRUE(fs::is_directory(home / ".config/tarnwell/registry/HKCU/Software/Microsoft/Office/11.0/Word/Options"));
  // Opening an existing key again gives a working, distinct handle.
  const auto again = reg.CreateKey(RegistryRoot::CurrentUser, kOptions);
  ASSERT_NE(again, 0u);
  EXPECT_NE(again, key);
  EXPECT_EQ(reg.SetValue(again, "CacheSize", kRegSz, Sz("1")), 0);
}

TEST_F(Registry, NamesMatchWithoutRegardToCase) {
  const auto a = reg.CreateKey(RegistryRoot::CurrentUser, "Software\\Vendor");
  ASSERT_EQ(reg.SetValue(a, "CacheSize", kRegSz, Sz("1")), 0);
  const auto b = reg.CreateKey(RegistryRoot::CurrentUser, "SOFTWARE\\vendor");
  ASSERT_EQ(reg.SetValue(b, "cachesize", kRegSz, Sz("22")), 0);
  const auto read = reg.Read(RegistryRoot::CurrentUser, "software\\VENDOR", "CACHESIZE");
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->data, Sz("22"));
  // One folder, in the case it was first created with.
  EXPECT_TRUE(fs::is_directory(home / ".config/tarnwell/registry/HKCU/Software/Vendor"));
  EXPECT_EQ(std::distance(fs::directory_iterator(home / ".config/tarnwell/registry/HKCU"), fs::directory_iterator()), 1);
}

TEST_F(Registry, KeyNamesCannotLeaveTheStore) {
  const auto key = reg.CreateKey(RegistryRoot::CurrentUser, "..\\..\\..\\escape/slash\\@values");
  ASSERT_NE(key, 0u);
  EXPECT_EQ(reg.SetValue(key, "v", kRegSz, Sz("x")), 0);
  EXPECT_FALSE(fs::exists(home / ".config/escape"));
  EXPECT_FALSE(fs::exists(home / "escape"));
  EXPECT_TRUE(reg.Read(RegistryRoot::CurrentUser, "..\\..\\..\\escape/slash\\@values", "v").has_value());
  EXPECT_FALSE(reg.Read(RegistryRoot::CurrentUser, "..\\..\\..\\escape/slash", "v").has_value());
}

TEST_F(Registry, RefusesBadNamesAndClosedKeys) {
  EXPECT_EQ(reg.CreateKey(RegistryRoot::CurrentUser, "Software\\\\Gap"), 0u);
  EXPECT_EQ(reg.CreateKey(RegistryRoot::CurrentUser, "\\Software"), 0u);
  EXPECT_EQ(reg.CreateKey(RegistryRoot::CurrentUser, std::string(256, 'k')), 0u);
  EXPECT_FALSE(fs::exists(home / ".config/tarnwell/registry/HKCU/Software"));
  EXPECT_EQ(reg.SetValue(0, "v", kRegSz, Sz("x")), PosixRegistry::kInvalidHandle);
  const auto key = reg.CreateKey(RegistryRoot::CurrentUser, "Software\\");
  ASSERT_NE(key, 0u);
  reg.CloseKey(key);
  EXPECT_EQ(reg.SetValue(key, "v", kRegSz, Sz("x")), PosixRegistry::kInvalidHandle);
  EXPECT_FALSE(reg.Read(RegistryRoot::CurrentUser, "Software", "v").has_value());
}

TEST_F(Registry, StoreThatCannotBeMadeGivesNoKey) {
  fs::create_directories(home / ".config/tarnwell");
  std::ofstream(home / ".config/tarnwell/registry") << "in the way";
  EXPECT_EQ(reg.CreateKey(RegistryRoot::CurrentUser, kOptions), 0u);
  EXPECT_FALSE(reg.Read(RegistryRoot::CurrentUser, kOptions, "CacheSize").has_value());
}

TEST_F(Registry, BrokenValuesFileIsNeitherReadNorReplaced) {
  const auto key = reg.CreateKey(RegistryRoot::CurrentUser, "Software\\T");
  ASSERT_NE(key, 0u);
  const std::string file = home / ".config/tarnwell/registry/HKCU/Software/T/@values";
  std::ofstream(file) << "CacheSize\t1\t3130303030zz\n";
  EXPECT_FALSE(reg.Read(RegistryRoot::CurrentUser, "Software\\T", "CacheSize").has_value());
  EXPECT_EQ(reg.SetValue(key, "Other", kRegSz, Sz("x")), PosixRegistry::kBadKey);
  EXPECT_EQ(Slurp(file), "CacheSize\t1\t3130303030zz\n");
}

TEST_F(Registry, ValueNamesWithControlCharactersRoundTrip) {
  const auto key = reg.CreateKey(RegistryRoot::Users, "S");
  const std::string name = "tab\there\nnew%line";
  ASSERT_EQ(reg.SetValue(key, name, 3, {}), 0);
  ASSERT_EQ(reg.SetValue(key, "", kRegSz, Sz("default")), 0);
  const auto odd = reg.Read(RegistryRoot::Users, "S", name);
  ASSERT_TRUE(odd.has_value());
  EXPECT_EQ(odd->type, 3u);
  EXPECT_TRUE(odd->data.empty());
  EXPECT_EQ(reg.Read(RegistryRoot::Users, "S", "")->data, Sz("default"));
}

}  // namespace
}  // namespace tarnwell::posix
