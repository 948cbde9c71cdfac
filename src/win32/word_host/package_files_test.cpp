// The package's file side on Windows: what Word's numbers say when a file
// cannot be read or written, and saves that replace a file whole.
#include "win32/platform_win32.h"

#include <filesystem>
#include <string>

#include "host/host_error.h"
#include "ooxml/package.h"
#include "win32/com_util.h"
#include "win32/test_runner.h"
#include "win32/word_host/word_host.h"

namespace tarnwell::win32::testing {
namespace {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = fs::path(temp) / (L"tarnwell-package-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    for (auto& entry : fs::recursive_directory_iterator(path_, ec)) {
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(path_, ec);
  }
  std::string operator/(const std::wstring& name) const { return Narrow((path_ / name).wstring()); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

ooxml::Package SmallPackage(const std::string& body) {
  auto p = ooxml::Package::Empty();
  p.Set("[Content_Types].xml", "<Types/>");
  p.Set("word/document.xml", body);
  return p;
}

std::string Contents(const std::string& path) { return ReadWholeFile(Widen(path)); }

TW_TEST(SavedPackagesOpenAgainAndReplaceTheFileWhole) {
  TempFolder folder;
  // A name beyond the ANSI code page, so only the wide API reaches it.
  const std::string path = folder / L"Gr\u00fc\u00dfe \u0416.docx";
  SmallPackage("<first/>").Save(path);
  TW_CHECK_EQ(ooxml::Package::Open(path).Get("word/document.xml"), std::string("<first/>"));
  SmallPackage("<second/>").Save(path);
  TW_CHECK_EQ(ooxml::Package::Open(path).Get("word/document.xml"), std::string("<second/>"));
  // Equal packages give equal files, and no temporary file stays behind.
  TW_CHECK(Contents(path) == SmallPackage("<second/>").Serialize());
  size_t files = 0;
  for (auto& entry : fs::directory_iterator(folder.path())) files += entry.is_regular_file() ? 1 : 0;
  TW_CHECK_EQ(files, size_t{1});
}

TW_TEST(OpeningWhatIsNoDocumentRaisesWordsNumbers) {
  TempFolder folder;
  TW_CHECK_RAISES(ooxml::Package::Open(folder / L"missing.docx"), host::kErrFileNotFound);
  TW_CHECK_RAISES(ooxml::Package::Open(folder / L"no folder\\a.docx"), host::kErrFileNotFound);
  TW_CHECK_RAISES(ooxml::Package::Open(Narrow(folder.path().wstring())), host::kErrPathFileAccess);
  const std::string empty = folder / L"empty.docx";
  CloseHandle(CreateFileW(Widen(empty).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  TW_CHECK_RAISES(ooxml::Package::Open(empty), host::kErrWordCannotOpenFile);
  // Another program's exclusive hold is a refusal, not a missing file.
  const std::string held = folder / L"held.docx";
  SmallPackage("<held/>").Save(held);
  HANDLE lock = CreateFileW(Widen(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  TW_CHECK_RAISES(ooxml::Package::Open(held), host::kErrPermissionDenied);
  CloseHandle(lock);
}

TW_TEST(SavingWhereWordCannotRaisesItsNumbersAndKeepsTheFile) {
  TempFolder folder;
  const std::string path = folder / L"kept.docx";
  SmallPackage("<kept/>").Save(path);
  const std::string before = Contents(path);
  SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY);
  TW_CHECK_RAISES(SmallPackage("<new/>").Save(path), host::kErrPermissionDenied);
  TW_CHECK(Contents(path) == before);
  SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);

  TW_CHECK_RAISES(SmallPackage("<x/>").Save(folder / L"no folder\\a.docx"), host::kErrPathNotFound);
  TW_CHECK_RAISES(SmallPackage("<x/>").Save(Narrow(folder.path().wstring()) + "\\"), host::kErrBadFileName);
  fs::create_directory(folder.path() / L"sub.docx");
  TW_CHECK_RAISES(SmallPackage("<x/>").Save(folder / L"sub.docx"), host::kErrPathFileAccess);
}

}  // namespace
}  // namespace tarnwell::win32::testing
