#pragma once
// Runs the command in this process, as the copy benchmarks time it.

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"

namespace tarnwell::bench {

// The exit code; a failure is printed with the command's own words.
inline int RunCommand(const std::vector<std::string>& args) {
  std::vector<const char*> argv;
  for (auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  std::istringstream in;
  int code = cli::Run(static_cast<int>(argv.size()), argv.data(), out, err, in, false);
  if (code != 0) std::fprintf(stderr, "tarnwell failed (%d): %s\n", code, err.str().c_str());
  return code;
}

}  // namespace tarnwell::bench
