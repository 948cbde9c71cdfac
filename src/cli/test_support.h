#pragma once
// Shared by the command's tests: a run of `tarnwell` as a user types it,
// with the Normal template kept in the test's own folder.

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "engine/engine.h"

namespace tarnwell::cli::testing {

struct Result {
  int code;
  std::string out, err;
};

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

}  // namespace tarnwell::cli::testing
