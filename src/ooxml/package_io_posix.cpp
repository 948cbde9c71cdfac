// Package files on POSIX systems: descriptors, fsync and rename.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <cstdlib>
#include <random>
#include <string_view>
#include <utility>

#include "host/host_error.h"
#include "ooxml/package_io.h"

namespace tarnwell::ooxml::io {
namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

int32_t NumberForOpenErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return host::kErrFileNotFound;
    case EACCES:
    case EPERM:
      return host::kErrPermissionDenied;
    case ENAMETOOLONG:
    case ELOOP:
      return host::kErrBadFileName;
    default:
      return host::kErrPathFileAccess;
  }
}

std::string ProblemForOpenErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return "the file does not exist.";
    case EACCES:
    case EPERM:
      return "permission denied; the file cannot be read.";
    default:
      return std::string("the file cannot be read (") + std::strerror(err) + ").";
  }
}

Fd OpenForReading(const std::string& path) {
  if (path.empty()) FailOpen(host::kErrBadFileName, path, "no file name was given.");
  // Non-blocking so that a FIFO named like a document cannot hang us.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    int err = errno;
    FailOpen(NumberForOpenErrno(err), path, ProblemForOpenErrno(err));
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) FailOpen(host::kErrPathFileAccess, path, std::strerror(errno));
  if (S_ISDIR(st.st_mode)) FailOpen(host::kErrPathFileAccess, path, "it is a folder, not a file.");
  if (!S_ISREG(st.st_mode)) FailOpen(host::kErrPathFileAccess, path, "it is not a regular file.");
  if (st.st_size == 0) FailOpen(host::kErrWordCannotOpenFile, path, "the file is empty.");
  int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

int32_t NumberForWriteErrno(int err) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return host::kErrDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
      return host::kErrPermissionDenied;
    case ENOENT:
    case ENOTDIR:
      return host::kErrPathNotFound;
    default:
      return host::kErrCannotSaveFile;
  }
}

std::string ProblemForWriteErrno(int err) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return "the disk is full.";
    case EACCES:
    case EPERM:
      return "permission denied; the folder cannot be written to.";
    case EROFS:
      return "the folder is on a read-only file system.";
    case ENOENT:
    case ENOTDIR:
      return "the folder does not exist.";
    default:
      return std::string("the file cannot be written (") + std::strerror(err) + ").";
  }
}

std::string RandomSuffix() {
  static thread_local std::mt19937_64 gen{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string s;
  for (int i = 0; i < 8; ++i) s += kDigits[gen() % 36];
  return s;
}

// The temporary file beside a document: ".~NAME.PID.RANDOM.tmp". The
// process id lets a later run tell a leftover of a dead run from the file a
// live one is writing.
std::string TempPrefix(const std::string& base) { return ".~" + base.substr(0, 120) + "."; }

// Removes the temporary file unless the save got as far as the rename.
class TempFile {
 public:
  TempFile(const std::string& target, const std::string& folder, const std::string& base, mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      // Cut so that a long file name still leaves room for the suffix.
      std::string candidate =
          folder + "/" + TempPrefix(base) + std::to_string(::getpid()) + "." + RandomSuffix() + ".tmp";
      int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      if (fd >= 0) {
        fd_ = fd;
        path_ = candidate;
        return;
      }
      if (errno != EEXIST) {
        int err = errno;
        FailSave(NumberForWriteErrno(err), target, ProblemForWriteErrno(err));
      }
    }
    FailSave(host::kErrCannotSaveFile, target, "no temporary file could be made beside it.");
  }
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  // Closes the file; errno is kept when it fails.
  bool Close() {
    int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0;
  }
  void Keep() { path_.clear(); }

 private:
  int fd_ = -1;
  std::string path_;
};

void WriteAll(int fd, const std::string& bytes, const std::string& target) {
  size_t done = 0;
  bool halfway = false;
  while (done < bytes.size()) {
    if (!halfway && done >= bytes.size() / 2) {
      halfway = true;
      KillPoint("writing");
    }
    // Two writes at least, so that a run killed "while writing" leaves a
    // half-written temporary file.
    size_t chunk = halfway ? bytes.size() - done : std::max<size_t>(bytes.size() / 2 - done, 1);
    ssize_t n = ::write(fd, bytes.data() + done, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      FailSave(NumberForWriteErrno(err), target, ProblemForWriteErrno(err));
    }
    done += static_cast<size_t>(n);
  }
}

}  // namespace

void RemoveLeftovers(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path p(path);
  std::string folder = p.parent_path().empty() ? "." : p.parent_path().string();
  const std::string prefix = TempPrefix(p.filename().string());
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (dirent* e = ::readdir(dir)) {
    std::string_view name(e->d_name);
    if (name.substr(0, prefix.size()) != prefix || name.size() < prefix.size() + 4 ||
        name.substr(name.size() - 4) != ".tmp")
      continue;
    std::string_view rest = name.substr(prefix.size());
    auto dot = rest.find('.');
    if (dot == 0 || dot == std::string_view::npos) continue;
    std::string pid_text(rest.substr(0, dot));
    if (pid_text.find_first_not_of("0123456789") != std::string::npos || pid_text.size() > 9) continue;
    pid_t pid = static_cast<pid_t>(std::stol(pid_text));
    // A live process may be writing it; only a dead run's file goes.
    if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    ::unlink((folder + "/" + std::string(name)).c_str());
  }
  ::closedir(dir);
}

InputFile InputFile::Open(const std::string& path) {
  InputFile file;
  file.handle_ = OpenForReading(path).release();
  return file;
}

InputFile::~InputFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

InputFile::InputFile(InputFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

int64_t InputFile::ReadAt(void* buffer, size_t size, uint64_t at) {
  return ::pread(static_cast<int>(handle_), buffer, size, static_cast<off_t>(at));
}

std::string InputFile::ReadProblem() { return std::strerror(errno); }

zip_t* InputFile::OpenZip(int* code) {
  zip_t* za = zip_fdopen(static_cast<int>(handle_), 0, code);
  // libzip owns the descriptor once it accepts it.
  if (za) handle_ = -1;
  return za;
}

void WriteWhole(const std::string& path, const std::function<std::string()>& serialize) {
  namespace fs = std::filesystem;

  // Saving through a link replaces the file it points at, not the link.
  std::string target = path;
  struct stat lst {};
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(path, ec);
    if (ec) FailSave(host::kErrPathFileAccess, path, "the link it names cannot be followed.");
    target = resolved.string();
  }

  fs::path target_path(target);
  std::string folder = target_path.parent_path().string();
  if (folder.empty()) folder = ".";
  std::string base = target_path.filename().string();
  if (base.empty() || base == "." || base == "..") FailSave(host::kErrBadFileName, path, "it names a folder.");

  struct stat folder_st {};
  if (::stat(folder.c_str(), &folder_st) != 0) {
    int err = errno;
    FailSave(NumberForWriteErrno(err), path, ProblemForWriteErrno(err));
  }
  if (!S_ISDIR(folder_st.st_mode)) FailSave(host::kErrPathNotFound, path, "the folder does not exist.");

  mode_t mode = 0666;  // narrowed by the umask for a new file
  bool replacing = false;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) FailSave(host::kErrPathFileAccess, path, "it is a folder.");
    if (!S_ISREG(st.st_mode)) FailSave(host::kErrPathFileAccess, path, "it is not a regular file.");
    // A file without write permission is read-only to us even where the
    // system would let this user replace it, as Word's read-only attribute.
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
      FailSave(host::kErrPermissionDenied, path, "the file is read-only.");
    }
    replacing = true;
    mode = st.st_mode & 07777;
  }

  std::string bytes = serialize();

  RemoveLeftovers(target);
  TempFile temp(path, folder, base, mode);
  WriteAll(temp.fd(), bytes, path);
  if (replacing) {
    // Keeps owner and group where the system allows it (as root, or for a
    // group we are in); elsewhere the file is ours, as any new file is.
    if (::fchown(temp.fd(), st.st_uid, st.st_gid) != 0) errno = 0;
    ::fchmod(temp.fd(), mode);
  }
  if (::fsync(temp.fd()) != 0) {
    int err = errno;
    FailSave(NumberForWriteErrno(err), path, ProblemForWriteErrno(err));
  }
  if (!temp.Close()) {
    int err = errno;
    FailSave(NumberForWriteErrno(err), path, ProblemForWriteErrno(err));
  }
  if (::rename(temp.path().c_str(), target.c_str()) != 0) {
    int err = errno;
    FailSave(err == EISDIR ? host::kErrPathFileAccess : NumberForWriteErrno(err), path,
             err == EISDIR ? "it is a folder." : ProblemForWriteErrno(err));
  }
  temp.Keep();
  // Makes the rename itself durable.
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  KillPoint("saved");
}

}  // namespace tarnwell::ooxml::io
