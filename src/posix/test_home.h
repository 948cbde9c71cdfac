#pragma once
// For tests: points HOME at a fresh temporary folder and clears the XDG_*
// variables for the life of the object, restoring all of them afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace tarnwell::posix {

class TestHome {
 public:
  TestHome() {
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
      const char* v = getenv(name);
      saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
      unsetenv(name);
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnwell-home-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    setenv("HOME", root_.c_str(), 1);
  }
  ~TestHome() {
    std::error_code ec;
    // Tests may leave read-only folders behind; open them up to remove them.
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec)) std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, ec);
    }
    std::filesystem::remove_all(root_, ec);
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  TestHome(const TestHome&) = delete;
  TestHome& operator=(const TestHome&) = delete;

  bool ok() const { return !root_.empty(); }
  const std::string& path() const { return root_; }
  std::string operator/(const std::string& rel) const { return root_ + "/" + rel; }

 private:
  std::string root_;
  std::map<std::string, std::optional<std::string>> saved_;
};

// A test with a home of its own.
class HomeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home.ok()); }
  TestHome home;
};

inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace tarnwell::posix
