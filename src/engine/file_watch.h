#pragma once
// Tells, without looking the path up again, that nothing has touched a file
// since it was last looked at: the organizer asks for the same file twice
// per style copied, and a stat walks the whole path each time.

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tarnwell::engine {

class FileWatch {
 public:
  FileWatch();
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  // True only when the path has been watched since before it was last
  // looked at, and no change to the file, to its name in its folder or to
  // any folder on the way has been seen since. False says nothing: the
  // caller looks at the file itself.
  bool Unchanged(const std::string& path);
  // Starts watching; call before looking at the file, so that a change made
  // after the look is seen. Paths through links are never watched.
  void Watch(const std::string& path);
  void Forget(const std::string& path);

 private:
  // One watch for the process, never closed: closing waits for the kernel
  // to retire every watch, which costs more than a run saves. Each FileWatch
  // keeps what it knows to be clean; every event reaches all of them.
  struct Shared;
  static Shared& shared();
  std::unordered_set<std::string> clean_;
};

}  // namespace tarnwell::engine
