#include "posix/files_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "posix/file_io.h"

namespace tarnwell::posix {

namespace {

std::chrono::system_clock::time_point FromTimespec(const timespec& ts) {
  using namespace std::chrono;
  return system_clock::time_point(duration_cast<system_clock::duration>(seconds(ts.tv_sec) + nanoseconds(ts.tv_nsec)));
}

bool CopyContent(int in, int out) {
  char buf[65536];
  for (;;) {
    const ssize_t n = read(in, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = write(out, buf + done, static_cast<size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += w;
    }
  }
}

}  // namespace

std::vector<platform::FileEntry> PosixFiles::List(const std::string& folder) {
  std::vector<platform::FileEntry> entries;
  std::string base = folder.empty() ? std::string("./") : folder;
  if (base.back() != '/') base += '/';
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(base.c_str()), closedir);
  if (!dir) return entries;
  while (const dirent* d = readdir(dir.get())) {
    const std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    platform::FileEntry e;
    e.name = name;
    struct stat st {};
    const std::string path = base + name;
    // Links are followed so a linked file lists as that file; a dangling
    // link is listed by its own record.
    if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0) continue;
    e.directory = S_ISDIR(st.st_mode);
    e.hidden = name[0] == '.' || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
    e.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    e.last_access = FromTimespec(st.st_atim);
    entries.push_back(std::move(e));
  }
  return entries;
}

bool PosixFiles::Delete(const std::string& path) { return !path.empty() && unlink(path.c_str()) == 0; }

bool PosixFiles::Copy(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty() || to.back() == '/') return false;
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st {};
  if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(in);
    return false;
  }
  std::string temp = TemporaryNameBeside(to);
  const int out = mkostemp(temp.data(), O_CLOEXEC);
  if (out < 0) {
    close(in);
    return false;
  }
  bool ok = CopyContent(in, out) && fchmod(out, st.st_mode & 0777) == 0 && fsync(out) == 0;
  close(in);
  ok = close(out) == 0 && ok;
  ok = ok && rename(temp.c_str(), to.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

bool PosixFiles::Exists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0;
}

std::string PosixFiles::OwnFolder() {
  const std::string exe = ReadLink("/proc/self/exe");
  const auto cut = exe.find_last_of('/');
  if (cut == std::string::npos) return "./";
  return exe.substr(0, cut + 1);
}

}  // namespace tarnwell::posix
