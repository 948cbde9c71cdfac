// Every input a fuzzer once crashed on, kept in fuzz/regressions/<target>/,
// and every hand-made seed in fuzz/seeds/<target>/ runs through its target
// in the ordinary build, so a fix stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fuzz/targets.h"

namespace tarnwell::fuzz {
namespace {

namespace fs = std::filesystem;

TEST(FuzzRegressions, EveryKeptInputRunsThroughItsTarget) {
  const fs::path root = TARNWELL_FUZZ_DIR;
  int ran = 0;
  for (const char* kept : {"regressions", "seeds"}) {
    for (const auto& target : kTargets) {
      const auto dir = root / kept / target.name;
      if (!fs::is_directory(dir)) continue;
      for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream f(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << f.rdbuf();
        const auto s = bytes.str();
        SCOPED_TRACE(entry.path().string());
        EXPECT_NO_THROW(target.run(reinterpret_cast<const uint8_t*>(s.data()), s.size()));
        ++ran;
      }
    }
  }
  EXPECT_GT(ran, 0) << "no kept inputs under " << root;
}

}  // namespace
}  // namespace tarnwell::fuzz
