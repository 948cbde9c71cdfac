#include "engine/file_watch.h"

#include <algorithm>
#include <cstdlib>

#ifdef __linux__
#include <limits.h>
#include <mutex>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace tarnwell::engine {

#ifdef __linux__

namespace {
constexpr unsigned kSelf = IN_DELETE_SELF | IN_MOVE_SELF;
constexpr unsigned kFileMask = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | kSelf;
constexpr unsigned kFolderMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | kSelf;
enum class Role { File, Folder, Above };
}  // namespace

struct FileWatch::Shared {
  std::mutex lock;
  int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  std::unordered_map<int, std::vector<std::pair<std::string, Role>>> by_watch;
  std::vector<FileWatch*> clients;

  bool Add(const std::string& target, unsigned mask, const std::string& path, Role role) {
    // Masks add up: one folder may be a file's own folder and above another.
    int wd = inotify_add_watch(fd, target.c_str(), mask | IN_MASK_ADD | IN_DONT_FOLLOW);
    if (wd < 0) return false;
    auto& users = by_watch[wd];
    if (std::find(users.begin(), users.end(), std::make_pair(path, role)) == users.end()) users.emplace_back(path, role);
    return true;
  }

  void Stale(const std::string& path) {
    for (FileWatch* c : clients) c->clean_.erase(path);
  }

  void Drain() {
    // Asking how much is waiting costs less than a read that finds nothing.
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) == 0 && waiting == 0) return;
    alignas(inotify_event) char buf[4096];
    for (;;) {
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n <= 0) return;
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        if (e->mask & IN_Q_OVERFLOW) {
          for (FileWatch* c : clients) c->clean_.clear();  // events were lost
          continue;
        }
        auto it = by_watch.find(e->wd);
        if (it == by_watch.end()) continue;
        const bool gone = (e->mask & (IN_IGNORED | IN_UNMOUNT | kSelf)) != 0;
        for (const auto& [path, role] : it->second) {
          std::string_view base = std::string_view(path).substr(path.rfind('/') + 1);
          if (gone || role == Role::File || (role == Role::Folder && e->len > 0 && base == e->name)) Stale(path);
        }
        if (e->mask & IN_IGNORED) by_watch.erase(it);
      }
    }
  }
};

FileWatch::Shared& FileWatch::shared() {
  static Shared* one = new Shared;  // never closed, see the header
  return *one;
}

FileWatch::FileWatch() {
  Shared& s = shared();
  std::lock_guard<std::mutex> hold(s.lock);
  s.clients.push_back(this);
}

FileWatch::~FileWatch() {
  Shared& s = shared();
  std::lock_guard<std::mutex> hold(s.lock);
  s.clients.erase(std::find(s.clients.begin(), s.clients.end(), this));
}

void FileWatch::Forget(const std::string& path) {
  std::lock_guard<std::mutex> hold(shared().lock);
  clean_.erase(path);
}

void FileWatch::Watch(const std::string& path) {
  Shared& s = shared();
  std::lock_guard<std::mutex> hold(s.lock);
  clean_.erase(path);
  if (s.fd < 0 || path.empty() || path[0] != '/') return;
  // A link on the way could be swapped without any watched name changing.
  char* real = ::realpath(path.c_str(), nullptr);
  bool direct = real && path == real;
  std::free(real);
  if (!direct) return;
  if (!s.Add(path, kFileMask, path, Role::File)) return;
  std::string dir = path.substr(0, path.rfind('/'));
  if (!s.Add(dir.empty() ? "/" : dir, kFolderMask, path, Role::Folder)) return;
  // A folder further up can only stop leading here by being moved or
  // deleted (a folder with something in it cannot be renamed over).
  while (dir.size() > 1) {
    dir = dir.substr(0, dir.rfind('/'));
    if (dir.empty()) break;
    if (!s.Add(dir, kSelf, path, Role::Above)) return;
  }
  clean_.insert(path);
}

bool FileWatch::Unchanged(const std::string& path) {
  Shared& s = shared();
  std::lock_guard<std::mutex> hold(s.lock);
  if (clean_.empty()) return false;
  s.Drain();
  return clean_.count(path) != 0;
}

#else

// Elsewhere every look goes to the file itself.
struct FileWatch::Shared {};
FileWatch::Shared& FileWatch::shared() {
  static Shared one;
  return one;
}
FileWatch::FileWatch() = default;
FileWatch::~FileWatch() = default;
void FileWatch::Forget(const std::string&) {}
void FileWatch::Watch(const std::string&) {}
bool FileWatch::Unchanged(const std::string&) { return false; }

#endif

}  // namespace tarnwell::engine
