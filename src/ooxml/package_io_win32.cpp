// Package files on Windows: handles, FlushFileBuffers and MoveFileEx.
// Paths arrive as UTF-8 and go to the wide API, so any file name works.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <utility>

#include "host/host_error.h"
#include "ooxml/package_io.h"

namespace tarnwell::ooxml::io {
namespace {

namespace fs = std::filesystem;

thread_local DWORD g_read_error = 0;

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string SystemMessage(DWORD err) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, err, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out;
  if (n > 0) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    out.assign(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), out.data(), bytes, nullptr, nullptr);
  }
  if (text) LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.' || out.back() == ' ')) {
    out.pop_back();
  }
  return out.empty() ? "system error " + std::to_string(err) : out;
}

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }
  void reset() {
    if (valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

bool Missing(DWORD err) {
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND || err == ERROR_INVALID_DRIVE;
}
bool Refused(DWORD err) {
  return err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION ||
         err == ERROR_WRITE_PROTECT;
}

[[noreturn]] void FailOpenWith(DWORD err, const std::string& path) {
  if (Missing(err)) FailOpen(host::kErrFileNotFound, path, "the file does not exist.");
  if (Refused(err)) FailOpen(host::kErrPermissionDenied, path, "permission denied; the file cannot be read.");
  if (err == ERROR_INVALID_NAME || err == ERROR_FILENAME_EXCED_RANGE || err == ERROR_BAD_PATHNAME) {
    FailOpen(host::kErrBadFileName, path, "the file cannot be read (" + SystemMessage(err) + ").");
  }
  FailOpen(host::kErrPathFileAccess, path, "the file cannot be read (" + SystemMessage(err) + ").");
}

[[noreturn]] void FailSaveWith(DWORD err, const std::string& path) {
  if (err == ERROR_DISK_FULL || err == ERROR_HANDLE_DISK_FULL) FailSave(host::kErrDiskFull, path, "the disk is full.");
  if (err == ERROR_WRITE_PROTECT) FailSave(host::kErrPermissionDenied, path, "the disk is write-protected.");
  if (Refused(err)) {
    FailSave(host::kErrPermissionDenied, path, "permission denied; the folder cannot be written to.");
  }
  if (Missing(err)) FailSave(host::kErrPathNotFound, path, "the folder does not exist.");
  FailSave(host::kErrCannotSaveFile, path, "the file cannot be written (" + SystemMessage(err) + ").");
}

std::wstring RandomSuffix() {
  static thread_local std::mt19937_64 gen{std::random_device{}()};
  static constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
  std::wstring s;
  for (int i = 0; i < 8; ++i) s += kDigits[gen() % 36];
  return s;
}

// Removes the temporary file unless the save got as far as the rename.
class TempFile {
 public:
  TempFile(const std::string& target, const std::wstring& folder, const std::wstring& base) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      // Cut so that a long file name still leaves room for the suffix.
      std::wstring candidate = folder + L"\\.~" + base.substr(0, 120) + L"." + RandomSuffix() + L".tmp";
      HANDLE h = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        file_ = h;
        path_ = candidate;
        return;
      }
      DWORD err = GetLastError();
      if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) FailSaveWith(err, target);
    }
    FailSave(host::kErrCannotSaveFile, target, "no temporary file could be made beside it.");
  }
  ~TempFile() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  HANDLE file() const { return file_; }
  const std::wstring& path() const { return path_; }
  bool Close() { return CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE)) != 0; }
  void Keep() { path_.clear(); }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
};

void WriteAll(HANDLE file, const std::string& bytes, const std::string& target) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) FailSaveWith(GetLastError(), target);
    done += written;
  }
}

}  // namespace

InputFile InputFile::Open(const std::string& path) {
  if (path.empty()) FailOpen(host::kErrBadFileName, path, "no file name was given.");
  std::wstring wide = Wide(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) FailOpenWith(GetLastError(), path);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) FailOpen(host::kErrPathFileAccess, path, "it is a folder, not a file.");
  // Others may read and write it meanwhile, as Word lets them.
  Handle h(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) FailOpenWith(GetLastError(), path);
  if (GetFileType(h.get()) != FILE_TYPE_DISK) FailOpen(host::kErrPathFileAccess, path, "it is not a regular file.");
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h.get(), &size)) FailOpenWith(GetLastError(), path);
  if (size.QuadPart == 0) FailOpen(host::kErrWordCannotOpenFile, path, "the file is empty.");
  InputFile file;
  file.handle_ = reinterpret_cast<intptr_t>(h.release());
  return file;
}

InputFile::~InputFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

InputFile::InputFile(InputFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

int64_t InputFile::ReadAt(void* buffer, size_t size, uint64_t at) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
  where.OffsetHigh = static_cast<DWORD>(at >> 32);
  DWORD got = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(std::min<size_t>(size, 1u << 30)), &got,
                &where)) {
    DWORD err = GetLastError();
    if (err == ERROR_HANDLE_EOF) return 0;
    g_read_error = err;
    return -1;
  }
  return got;
}

std::string InputFile::ReadProblem() { return SystemMessage(g_read_error); }

zip_t* InputFile::OpenZip(int* code) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_win32handle_create(reinterpret_cast<HANDLE>(handle_), 0, -1, &error);
  zip_t* za = nullptr;
  if (source) {
    handle_ = -1;  // the source closes the handle when freed
    za = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!za) zip_source_free(source);
  }
  if (!za) *code = zip_error_code_zip(&error);
  zip_error_fini(&error);
  return za;
}

void WriteWhole(const std::string& path, const std::function<std::string()>& serialize) {
  fs::path target_path(Wide(path));
  std::wstring target = target_path.wstring();
  std::wstring folder = target_path.parent_path().wstring();
  if (folder.empty()) folder = L".";
  std::wstring base = target_path.filename().wstring();
  if (base.empty() || base == L"." || base == L"..") FailSave(host::kErrBadFileName, path, "it names a folder.");

  DWORD folder_attributes = GetFileAttributesW(folder.c_str());
  if (folder_attributes == INVALID_FILE_ATTRIBUTES) FailSaveWith(GetLastError(), path);
  if (!(folder_attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    FailSave(host::kErrPathNotFound, path, "the folder does not exist.");
  }

  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) FailSave(host::kErrPathFileAccess, path, "it is a folder.");
    if (attributes & FILE_ATTRIBUTE_READONLY) FailSave(host::kErrPermissionDenied, path, "the file is read-only.");
  }

  std::string bytes = serialize();

  TempFile temp(path, folder, base);
  WriteAll(temp.file(), bytes, path);
  if (!FlushFileBuffers(temp.file())) FailSaveWith(GetLastError(), path);
  if (!temp.Close()) FailSaveWith(GetLastError(), path);
  if (!MoveFileExW(temp.path().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    FailSaveWith(GetLastError(), path);
  }
  temp.Keep();
}

}  // namespace tarnwell::ooxml::io
