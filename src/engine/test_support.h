#pragma once
// Shared by the engine's tests: a scratch folder, documents with chosen
// styles, and error capture.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>

#include "engine/application.h"
#include "engine/document_model.h"
#include "host/host_error.h"
#include "host/word.h"

namespace tarnwell::engine::testing {

namespace fs = std::filesystem;

inline int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const host::HostError& e) {
    return e.number();
  }
  return 0;
}

inline constexpr const char* kStylesOpen =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">";

// A folder of its own for each test, removed afterwards.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("tw-engine-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    options_.normal_template = (dir_ / "Normal.dotm").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  host::Application Word() {
    if (!app_) app_ = Application::Create(options_);
    return host::Application(app_);
  }
  Application& Engine() {
    Word();
    return *app_;
  }

  // A blank document whose styles part holds body (w:style elements and
  // anything else) after the blank's own docDefaults.
  std::string WriteWithStyles(const std::string& name, const std::string& body) {
    auto pkg = BlankPackage(name);
    pkg.Set("word/styles.xml", std::string(kStylesOpen) + body + "</w:styles>");
    pkg.Save(Path(name));
    return Path(name);
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  Options options_;
  std::shared_ptr<Application> app_;
  fs::path dir_;
};

}  // namespace tarnwell::engine::testing
