#pragma once
// A run that changes no file of the user's: the documents, the Normal
// template and the documents folder are copies in a private folder, made
// afresh and removed afterwards, and the report names the real files.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli/commands.h"

namespace tarnwell::cli {

class DryRun {
 public:
  // Copies the Normal template (when there is one) and makes an empty
  // documents folder. Throws std::filesystem::filesystem_error.
  explicit DryRun(const GlobalOptions& g);
  ~DryRun();
  DryRun(const DryRun&) = delete;
  DryRun& operator=(const DryRun&) = delete;

  // The options the run is played with: private Normal template and
  // documents folder.
  const GlobalOptions& options() const { return g_; }

  // A private copy of the file, under its own name (a folder each, so two
  // files of one name do not meet). A missing file stays missing.
  std::string Stage(const std::string& file);
  // Where a file the run would write elsewhere goes instead, under its own name.
  std::string Place(const std::string& file);

  // The real file a private path stands for; other paths as they are.
  std::string Real(const std::string& path) const;

 private:
  std::filesystem::path NewSlot();
  std::filesystem::path root_;
  GlobalOptions g_;
  std::vector<std::pair<std::string, std::string>> real_;  // private, real
};

}  // namespace tarnwell::cli
