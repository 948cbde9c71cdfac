#pragma once
// Timing and set-up shared by the benchmarks.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

#include "engine/engine.h"
#include "host/word.h"

namespace tarnwell::bench {

inline double Millis(const std::function<void()>& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

inline host::Application NewWord(const std::filesystem::path& dir) {
  engine::Options o;
  o.normal_template = (dir / "Normal.dotx").string();
  return host::Application(engine::CreateApplication(o));
}

}  // namespace tarnwell::bench
