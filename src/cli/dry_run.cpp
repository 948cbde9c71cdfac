#include "cli/dry_run.h"

#include <stdlib.h>

#include <fstream>
#include <system_error>

#include "cli/session.h"

namespace tarnwell::cli {

namespace fs = std::filesystem;

DryRun::DryRun(const GlobalOptions& g) : g_(g) {
  // mkdtemp: a folder no one else can have chosen, readable by us alone.
  std::string pattern = (fs::temp_directory_path() / "tarnwell-dry-run-XXXXXX").string();
  if (!::mkdtemp(pattern.data()))
    throw fs::filesystem_error("cannot make a private folder for the dry run", pattern,
                               std::error_code(errno, std::generic_category()));
  root_ = pattern;
  fs::create_directory(root_ / "Documents");
  // The add-in takes a documents folder without files for none at all.
  std::ofstream(root_ / "Documents" / "dry-run.txt") << "A tarnwell dry run's documents folder.\n";
  g_.documents_folder = (root_ / "Documents").string();
  g_.dry_run = true;
  // The default Normal template is made when missing; the copy is too.
  g_.normal_template = fs::is_regular_file(g.normal_template) ? Stage(g.normal_template) : Place(g.normal_template);
}

DryRun::~DryRun() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

fs::path DryRun::NewSlot() {
  fs::path slot = root_ / std::to_string(real_.size());
  fs::create_directory(slot);
  return slot;
}

std::string DryRun::Place(const std::string& file) {
  fs::path copy = NewSlot() / fs::path(file).filename();
  real_.emplace_back(copy.string(), CanonicalPath(file));
  return copy.string();
}

std::string DryRun::Stage(const std::string& file) {
  // Named as the user gave it, not as the copy the run would have opened.
  if (!fs::is_regular_file(file))
    throw fs::filesystem_error("no such document", file, std::make_error_code(std::errc::no_such_file_or_directory));
  std::string copy = Place(file);
  // Read-only stays read-only: the run asks where to save as it would.
  fs::copy_file(file, copy);
  return copy;
}

std::string DryRun::Real(const std::string& path) const {
  const std::string mine = CanonicalPath(path);
  for (const auto& [copy, real] : real_)
    if (CanonicalPath(copy) == mine) return real;
  return path;
}

}  // namespace tarnwell::cli
