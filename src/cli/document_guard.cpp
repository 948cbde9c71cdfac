#include "cli/document_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "ooxml/package_io.h"

namespace tarnwell::cli {

namespace fs = std::filesystem;

namespace {

// An owner file older than this is taken for one a crash left behind.
constexpr auto kOwnerFileLifetime = std::chrono::hours(24 * 7);

std::string ReadSmallFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::string bytes(4096, '\0');
  f.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(f.gcount()));
  return bytes;
}

bool Printable(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return c >= 0x20 && c != 0x7f; });
}

// Word's owner file begins with the length of the user's name, then the name.
std::string WordHolder(const std::string& bytes) {
  if (bytes.empty()) return "";
  size_t n = static_cast<unsigned char>(bytes[0]);
  if (n == 0 || bytes.size() < 1 + n) return "";
  auto name = bytes.substr(1, n);
  return Printable(name) ? name : "";
}

// LibreOffice's lock file: "full name,host,user,time,profile;".
std::string LibreOfficeHolder(const std::string& bytes) {
  auto field = [&](size_t index) {
    size_t start = 0;
    for (size_t i = 0; i < index && start != std::string::npos; ++i) {
      start = bytes.find(',', start);
      if (start != std::string::npos) ++start;
    }
    if (start == std::string::npos) return std::string();
    return bytes.substr(start, bytes.find_first_of(",;", start) - start);
  };
  for (size_t i : {0, 2})
    if (auto name = field(i); Printable(name)) return name;
  return "";
}

struct OwnerFile {
  fs::path path;
  const char* program;
  std::string (*holder)(const std::string&);
};

std::vector<OwnerFile> OwnerFilesOf(const fs::path& doc) {
  const auto folder = doc.parent_path();
  const auto name = doc.filename().string();
  std::vector<OwnerFile> files{{folder / ("~$" + name), "Word", WordHolder}};
  // Word keeps the owner file's name short: "~$" takes the place of the
  // first character of a 7-character stem and of the first two of longer ones.
  const auto stem = doc.stem().string().size();
  if (stem >= 7) files.push_back({folder / ("~$" + name.substr(stem == 7 ? 1 : 2)), "Word", WordHolder});
  files.push_back({folder / (".~lock." + name + "#"), "LibreOffice", LibreOfficeHolder});
  return files;
}

const OwnerFile* FreshOwnerFile(const std::vector<OwnerFile>& files) {
  const auto now = fs::file_time_type::clock::now();
  for (const auto& f : files) {
    std::error_code ec;
    auto written = fs::last_write_time(f.path, ec);
    if (ec || !fs::is_regular_file(f.path, ec)) continue;
    if (now - written < kOwnerFileLifetime) return &f;
  }
  return nullptr;
}

}  // namespace

std::optional<std::string> OwnerOf(const std::string& path) {
  auto files = OwnerFilesOf(fs::path(path));
  const OwnerFile* f = FreshOwnerFile(files);
  if (!f) return std::nullopt;
  auto holder = f->holder(ReadSmallFile(f->path));
  return holder.empty() ? "someone" : holder;
}

DocumentGuard::~DocumentGuard() {
  for (int fd : locks_) ::close(fd);  // closing releases the lock
}

namespace {

enum class Locked { Yes, Busy, Failed };

// An exclusive lock on fd, waiting for it unless told not to.
Locked Lock(int fd, bool wait, bool quiet, const std::string& what, std::ostream& err) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return Locked::Yes;
  if (errno != EWOULDBLOCK) return Locked::Failed;
  if (!wait) {
    err << "tarnwell: " << what << " is in use by another tarnwell run (--no-wait)\n";
    return Locked::Busy;
  }
  if (!quiet) err << "tarnwell: waiting for another tarnwell run to finish with " << what << "...\n";
  return ::flock(fd, LOCK_EX) == 0 ? Locked::Yes : Locked::Failed;
}

}  // namespace

bool DocumentGuard::Take(const std::vector<std::string>& paths, const Options& options, std::ostream& err) {
  // Every writing run of a user shares the scratch documents in the
  // documents folder: one run at a time goes on past this point.
  if (!options.run_lock.empty()) {
    std::error_code ec;
    fs::create_directories(fs::path(options.run_lock).parent_path(), ec);
    int fd = ::open(options.run_lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
      auto locked = Lock(fd, options.wait, options.quiet, "the scratch documents", err);
      if (locked == Locked::Busy) {
        ::close(fd);
        return false;
      }
      // A file system without locks still lets the run go on, unguarded.
      if (locked == Locked::Yes) locks_.push_back(fd); else ::close(fd);
    }
  }

  std::vector<std::string> files;
  for (const auto& p : paths) {
    std::error_code ec;
    auto canonical = fs::canonical(p, ec);
    if (!ec && fs::is_regular_file(canonical, ec)) files.push_back(canonical.string());
  }
  std::sort(files.begin(), files.end());
  files.erase(std::unique(files.begin(), files.end()), files.end());

  for (const auto& file : files) {
    if (!options.force) {
      auto files_beside = OwnerFilesOf(fs::path(file));
      if (const OwnerFile* f = FreshOwnerFile(files_beside)) {
        auto holder = f->holder(ReadSmallFile(f->path));
        err << "tarnwell: \"" << file << "\" is open in " << f->program
            << (holder.empty() ? "" : " by " + holder) << " (" << f->path.filename().string()
            << " beside it); close it there first, or pass --force if that file is left over from a crash\n";
        return false;
      }
    }
    // A run that finished meanwhile replaced the file: lock what the name
    // names once the lock is ours.
    for (;;) {
      int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
      if (fd < 0) break;  // gone: the run reports it when it opens it
      auto locked = Lock(fd, options.wait, options.quiet, "\"" + file + "\"", err);
      if (locked != Locked::Yes) {
        ::close(fd);
        if (locked == Locked::Busy) return false;
        break;  // no locks on this file system: go on unguarded
      }
      struct stat held {}, named {};
      if (::fstat(fd, &held) == 0 && ::stat(file.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
          held.st_dev == named.st_dev) {
        locks_.push_back(fd);
        ooxml::io::RemoveLeftovers(file);
        break;
      }
      ::close(fd);
    }
  }
  return true;
}

}  // namespace tarnwell::cli
