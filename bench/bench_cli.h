#pragma once
// Runs the command in this process, as the copy benchmarks time it.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"

namespace tarnwell::bench {

// A fresh folder for one benchmark, whose home/Documents (holding a file,
// so that it counts) is where the command keeps its scratch documents, and
// whose tmp holds the command's run lock: a timing waits for no other run of
// the same user.
inline std::filesystem::path BenchFolder(const std::string& name) {
  auto dir = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "home" / "Documents");
  std::filesystem::create_directories(dir / "tmp");
  if (std::FILE* f = std::fopen((dir / "home" / "Documents" / "keep.txt").c_str(), "w")) std::fclose(f);
  setenv("HOME", (dir / "home").c_str(), 1);
  setenv("TMPDIR", (dir / "tmp").c_str(), 1);
  return dir;
}

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
