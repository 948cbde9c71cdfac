#pragma once
// Guards the documents a run may write. Each is locked for the length of
// the run, so two runs never write over each other's work; a document that
// Word or LibreOffice has open (its owner file beside it says so) is not
// written behind its owner's back.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tarnwell::cli {

// Who has path open in another program, by a fresh owner file beside it:
// Word's "~$" file or LibreOffice's ".~lock.NAME#". The holder's name
// when the file gives one, else "someone"; nullopt when no one holds it.
std::optional<std::string> OwnerOf(const std::string& path);

class DocumentGuard {
 public:
  struct Options {
    bool wait = true;    // wait for another run's lock, else refuse
    bool force = false;  // write even where an owner file says it is open
    // A file whose lock every writing run takes first, "" for none.
    std::string run_lock{};
    bool quiet = false;  // no word of waiting (refusals are still said)
  };
  DocumentGuard() = default;
  ~DocumentGuard();
  DocumentGuard(const DocumentGuard&) = delete;
  DocumentGuard& operator=(const DocumentGuard&) = delete;

  // Locks every existing file of paths (in one order, so that two runs
  // never wait for each other) and removes what dead runs left beside
  // them. False, after saying why on err, when a file is held elsewhere.
  bool Take(const std::vector<std::string>& paths, const Options& options, std::ostream& err);

 private:
  std::vector<int> locks_;
};

}  // namespace tarnwell::cli
