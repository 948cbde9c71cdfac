#pragma once
// The file side of a package, one implementation per platform: opening a
// document for reading (checked to be a non-empty regular file) and
// replacing a file whole through a temporary file beside it.

#include <zip.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarnwell::ooxml::io {

// Raise host::HostError with the number and "Cannot open/save "<path>": <problem>".
[[noreturn]] void FailOpen(int32_t number, const std::string& path, const std::string& problem);
[[noreturn]] void FailSave(int32_t number, const std::string& path, const std::string& problem);

class InputFile {
 public:
  // Raises through FailOpen when the file is missing, unreadable, a folder,
  // not a regular file or empty.
  static InputFile Open(const std::string& path);
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Bytes read at offset at; -1 when reading fails (ReadProblem says why).
  int64_t ReadAt(void* buffer, size_t size, uint64_t at);
  static std::string ReadProblem();
  // The file as a zip archive; libzip takes the file over when it accepts it.
  // Null with *code set to libzip's error when it is no archive.
  zip_t* OpenZip(int* code);

 private:
  InputFile() = default;
  intptr_t handle_ = -1;  // a descriptor, or a HANDLE on Windows
};

// Checks that path can be written, then writes bytes() to a temporary file
// in its folder and renames that over path. A link is followed: the file it
// points at is replaced. Raises through FailSave and leaves path as it was.
void WriteWhole(const std::string& path, const std::function<std::string()>& bytes);

// Test hook: the process kills itself (as SIGKILL would) the N-th time it
// reaches EVENT when TARNWELL_KILL_AT=EVENT:N is set. Events: "writing" (a
// temporary file half written), "saved" (a file replaced), "organizer" (a
// style about to be copied).
void KillPoint(std::string_view event);

#ifndef _WIN32
// Removes temporary files that a dead run left beside path.
void RemoveLeftovers(const std::string& path);
#endif

}  // namespace tarnwell::ooxml::io
