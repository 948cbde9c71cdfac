// The Windows services that Wine gives: registry, files, processes, mutex,
// folders, settings, the timer wait.
#include "win32/platform_win32.h"

#include <chrono>

#include "win32/com_util.h"
#include "win32/test_png.h"
#include "win32/test_runner.h"

namespace tarnwell::win32 {
namespace {

std::string TempFolder() {
  wchar_t buf[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, buf);
  std::string folder = Narrow(buf) + "tarnwell-files-test\\";
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  return folder;
}

TW_TEST(RegistryCreatesKeysAndWritesAnsiTextWithItsNul) {
  Win32Registry reg;
  const std::string key_name = "Software\\Tarnwell Tests\\Options";
  DeleteRegistryTree(HKEY_CURRENT_USER, L"Software\\Tarnwell Tests");
  auto key = reg.CreateKey(platform::RegistryRoot::CurrentUser, key_name);
  TW_CHECK(key != 0);
  TW_CHECK_EQ(reg.SetValue(key, "CacheSize", platform::kRegSz, {'1', '0', '0', '0', '0', 0}), 0);
  TW_CHECK_EQ(reg.SetValue(key, "Count", platform::kRegDword, {3, 0, 0, 0}), 0);
  reg.CloseKey(key);
  char text[16] = {};
  DWORD bytes = sizeof(text), type = 0;
  TW_CHECK_EQ(RegGetValueA(HKEY_CURRENT_USER, key_name.c_str(), "CacheSize", RRF_RT_ANY, &type, text, &bytes),
              ERROR_SUCCESS);
  TW_CHECK_EQ(type, DWORD{REG_SZ});
  TW_CHECK_EQ(bytes, DWORD{6});
  TW_CHECK_EQ(std::string(text), std::string("10000"));
  DWORD count = 0;
  bytes = sizeof(count);
  RegGetValueA(HKEY_CURRENT_USER, key_name.c_str(), "Count", RRF_RT_REG_DWORD, nullptr, &count, &bytes);
  TW_CHECK_EQ(count, DWORD{3});
  DeleteRegistryTree(HKEY_CURRENT_USER, L"Software\\Tarnwell Tests");
}

TW_TEST(FilesListDeleteCopyAndExist) {
  Win32Files files;
  std::string folder = TempFolder();
  TW_CHECK(testing::WriteFileBytes(Widen(folder + "~WRS0001.TMP"), "abc"));
  CreateDirectoryW(Widen(folder + "sub").c_str(), nullptr);
  std::map<std::string, platform::FileEntry> listed;
  for (auto& e : files.List(folder)) listed[e.name] = e;
  TW_CHECK(!listed.count(".") && !listed.count(".."));
  TW_CHECK(listed.count("~WRS0001.TMP") && listed["~WRS0001.TMP"].size == 3 && !listed["~WRS0001.TMP"].directory);
  TW_CHECK(listed.count("sub") && listed["sub"].directory);
  TW_CHECK(files.Copy(folder + "~WRS0001.TMP", folder + "copy.tmp"));
  TW_CHECK(files.Exists(folder + "copy.tmp"));
  TW_CHECK(files.Delete(folder + "copy.tmp"));
  TW_CHECK(!files.Exists(folder + "copy.tmp"));
  TW_CHECK(!files.Delete(folder + "copy.tmp"));  // already gone
  TW_CHECK(files.List(folder + "no such folder\\").empty());
  TW_CHECK(files.OwnFolder().ends_with("\\"));
  files.Delete(folder + "~WRS0001.TMP");
  RemoveDirectoryW(Widen(folder + "sub").c_str());
}

TW_TEST(ProcessesListThisOneWithItsExecutable) {
  Win32Processes processes;
  auto ids = processes.Ids();
  TW_CHECK(ids.size() > 4);  // past the first buffer size, so the doubling ran
  bool found = false;
  for (uint32_t id : ids) found = found || id == GetCurrentProcessId();
  TW_CHECK(found);
  auto path = processes.ExecutablePath(GetCurrentProcessId());
  TW_CHECK(path && path->ends_with("tw_win32_tests.exe"));
  TW_CHECK(!processes.ExecutablePath(0xFFFFFFF0u));
}

TW_TEST(NamedMutexStaysHeld) {
  Win32Processes processes;
  TW_CHECK(processes.CreateNamedMutex("Quillon Tarnwell test"));
  HANDLE again = OpenMutexW(SYNCHRONIZE, FALSE, L"Quillon Tarnwell test");
  TW_CHECK(again != nullptr);
  if (again) CloseHandle(again);
}

TW_TEST(SettingsRoundTripUnderTheUsersKey) {
  Win32Settings settings;
  const char* app = "Tarnwell Test App";
  settings.Save(app, "Settings", "DisplayOnConnect", "1");
  TW_CHECK(settings.Get(app, "Settings", "DisplayOnConnect") == std::optional<std::string>("1"));
  TW_CHECK(!settings.Get(app, "Settings", "Missing"));
  // Stored by another hand: text without its NUL, text to expand, a number.
  const std::wstring key = L"Software\\VB and VBA Program Settings\\Tarnwell Test App\\Settings";
  static const wchar_t bare[] = L"abc", expand[] = L"%TARNWELL_TEST_WORD% 97";
  const DWORD number = 7;
  SetEnvironmentVariableW(L"TARNWELL_TEST_WORD", L"Word");
  SetRegistryValue(HKEY_CURRENT_USER, key, L"Bare", REG_SZ, bare, sizeof(bare) - sizeof(wchar_t));
  SetRegistryValue(HKEY_CURRENT_USER, key, L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));
  SetRegistryValue(HKEY_CURRENT_USER, key, L"Number", REG_DWORD, &number, sizeof(number));
  TW_CHECK(settings.Get(app, "Settings", "Bare") == std::optional<std::string>("abc"));
  TW_CHECK(settings.Get(app, "Settings", "Expand") == std::optional<std::string>("Word 97"));
  TW_CHECK(!settings.Get(app, "Settings", "Number"));
  DeleteRegistryTree(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Tarnwell Test App");
}

TW_TEST(SpecialFoldersResolveDocumentsAndLocalAppData) {
  Win32SpecialFolders folders;
  std::string docs = folders.Get(0, platform::kCsidlPersonal);
  TW_CHECK(!docs.empty());
  if (docs.ends_with("\\")) testing::Fail(__FILE__, __LINE__, "trailing separator: " + docs);
  TW_CHECK(!folders.Get(0, platform::kCsidlLocalAppData).empty());
  TW_CHECK_EQ(folders.Get(0, 0x7FFF), std::string());
}

TW_TEST(TimerWaitsZeroAndOneSecond) {
  Win32Clock clock;
  TW_CHECK_EQ(Win32Clock::TimerName(), std::string("tw_win32_testsTimer"));
  auto t0 = std::chrono::steady_clock::now();
  clock.WaitSeconds(0);
  auto t1 = std::chrono::steady_clock::now();
  clock.WaitSeconds(1);
  auto t2 = std::chrono::steady_clock::now();
  TW_CHECK(t1 - t0 < std::chrono::milliseconds(500));
  TW_CHECK(t2 - t1 >= std::chrono::milliseconds(900));
  TW_CHECK(t2 - t1 < std::chrono::seconds(5));
  // The timer now exists, so the second path (no initial arming) runs too.
  auto t3 = std::chrono::steady_clock::now();
  clock.WaitSeconds(0);
  TW_CHECK(std::chrono::steady_clock::now() - t3 < std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace tarnwell::win32
