#pragma once
// Shared by the command's tests: a run of `tarnwell` as a user types it,
// with the Normal template kept in the test's own folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "engine/engine.h"
#include "posix/test_home.h"

namespace tarnwell::cli::testing {

struct Result {
  int code;
  std::string out, err;
};

// A folder of the test's own, its home, with a documents folder there (it
// counts once it holds a file), so parallel runs do not share scratch
// documents.
inline std::filesystem::path TestHome(const std::string& prefix) {
  namespace fs = std::filesystem;
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::temp_directory_path() /
                 (prefix + "-" + std::to_string(::getpid()) + "-" + test->test_suite_name() + "-" + test->name());
  fs::remove_all(dir);
  fs::create_directories(dir / "home" / "Documents");
  std::ofstream(dir / "home" / "Documents" / "notes.txt") << "mine";
  setenv("HOME", (dir / "home").c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
  return dir;
}

inline Result RunTarnwell(const std::filesystem::path& dir, const std::vector<std::string>& args,
                          const std::string& input = "", bool terminal = false) {
  // A Normal template named on the line must exist; Word makes only its own.
  const auto normal = dir / "Normal.dotx";
  if (!std::filesystem::exists(normal)) engine::WriteBlankDocument(normal.string());
  std::vector<std::string> all{"tarnwell", "--normal", normal.string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<const char*> argv;
  for (auto& a : all) argv.push_back(a.c_str());
  std::ostringstream out, err;
  std::istringstream in(input);
  int code = cli::Run(static_cast<int>(argv.size()), argv.data(), out, err, in, terminal);
  return {code, out.str(), err.str()};
}

// A test of the command in a home of its own.
class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = TestHome("tw-cli"); }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  Result Tarnwell(const std::vector<std::string>& args, const std::string& input = "", bool terminal = false) {
    return RunTarnwell(dir_, args, input, terminal);
  }
  std::filesystem::path dir_;
};

}  // namespace tarnwell::cli::testing
