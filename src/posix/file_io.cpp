#include "posix/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwell::posix {

namespace {

// Closes on every path out, so an early return cannot leak the descriptor.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

int WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path, size_t max_bytes) {
  ReadResult r;
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    r.error = errno;
    return r;
  }
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) {
    r.error = errno;
    return r;
  }
  if (!S_ISREG(st.st_mode)) {
    r.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return r;
  }
  char buf[8192];
  for (;;) {
    const ssize_t n = read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      r.error = errno;
      r.text.clear();
      return r;
    }
    if (n == 0) break;
    // Checked while reading, as the file may grow after fstat.
    if (r.text.size() + static_cast<size_t>(n) > max_bytes) {
      r.error = EFBIG;
      r.text.clear();
      return r;
    }
    r.text.append(buf, static_cast<size_t>(n));
  }
  return r;
}

std::string ReadLink(const std::string& path) {
  std::string buf(256, '\0');
  for (;;) {
    const ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buf.size()) {
      buf.resize(static_cast<size_t>(n));
      return buf;
    }
    buf.resize(buf.size() * 2);  // possibly cut short: again with more room
  }
}

std::string TemporaryNameBeside(const std::string& path) {
  const auto cut = path.find_last_of('/');
  return (cut == std::string::npos ? std::string() : path.substr(0, cut + 1)) + ".tarnwell-XXXXXX";
}

int MakeFolders(const std::string& path) {
  if (path.empty()) return ENOENT;
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  const auto cut = path.find_last_of('/');
  if (cut != std::string::npos && cut > 0) {
    if (const int e = MakeFolders(path.substr(0, cut)); e != 0) return e;
  }
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  return 0;
}

int WriteFileAtomically(const std::string& path, const std::string& content) {
  const auto cut = path.find_last_of('/');
  if (cut == std::string::npos || cut + 1 == path.size()) return EINVAL;
  // The stores write the same values on every start; a file that already
  // holds them is left as it is rather than written and synced again.
  if (const ReadResult now = ReadWholeFile(path, content.size() + 1); now.error == 0 && now.text == content) return 0;
  if (cut > 0) {
    if (const int e = MakeFolders(path.substr(0, cut)); e != 0) return e;
  }
  std::string temp = TemporaryNameBeside(path);
  Fd fd(mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return errno;
  int e = WriteAll(fd.get(), content.data(), content.size());
  if (e == 0 && fsync(fd.get()) != 0) e = errno;
  if (close(fd.release()) != 0 && e == 0) e = errno;
  if (e == 0 && rename(temp.c_str(), path.c_str()) != 0) e = errno;
  if (e != 0) unlink(temp.c_str());
  return e;
}

}  // namespace tarnwell::posix
