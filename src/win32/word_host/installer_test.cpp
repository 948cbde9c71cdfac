// The add-in's registration, as the DLL writes it and as its installer
// leaves it. scripts/test-windows.sh installs the package in a prefix where
// nothing registered the DLL before, names the install folder in
// TARNWELL_INSTALL_FOLDER and runs the first installer case alone; after
// removing the package, the second. Without the variable both skip.
#include "win32/platform_win32.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>

#include "addin/Connect.h"
#include "win32/com_util.h"
#include "win32/extensibility.h"
#include "win32/test_runner.h"
#include "win32/word_host/word_host.h"

namespace tarnwell::win32::testing {
namespace {

std::optional<std::wstring> InstallFolder(const char* name) {
  const char* folder = std::getenv("TARNWELL_INSTALL_FOLDER");
  if (!folder) std::printf("  skipped %s: no TARNWELL_INSTALL_FOLDER\n", name);
  if (!folder) return std::nullopt;
  return Widen(folder);
}

const std::wstring kClassKey = std::wstring(L"Software\\Classes\\CLSID\\") + kClsidText;
const std::wstring kProgIdKey = std::wstring(L"Software\\Classes\\") + kProgId;

bool KeyExists(const std::wstring& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The keys that let Word find the add-in in dll, and Word's own entry.
void CheckRegistered(const std::wstring& dll) {
  auto server = ReadRegistryString(HKEY_LOCAL_MACHINE, kClassKey + L"\\InprocServer32", nullptr);
  TW_CHECK(server && _wcsicmp(server->c_str(), dll.c_str()) == 0);
  TW_CHECK(ReadRegistryString(HKEY_LOCAL_MACHINE, kClassKey + L"\\InprocServer32", L"ThreadingModel") ==
           std::wstring(L"Apartment"));
  TW_CHECK(ReadRegistryString(HKEY_LOCAL_MACHINE, kClassKey, nullptr) == std::wstring(kProgId));
  TW_CHECK(ReadRegistryString(HKEY_LOCAL_MACHINE, kClassKey + L"\\ProgID", nullptr) == std::wstring(kProgId));
  TW_CHECK(ReadRegistryString(HKEY_LOCAL_MACHINE, kProgIdKey, nullptr) == std::wstring(kProgId));
  CLSID clsid{};
  TW_CHECK_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
  TW_CHECK(clsid == CLSID_VellConnect);
  TW_CHECK(ReadRegistryString(HKEY_LOCAL_MACHINE, kWordAddInKey, L"FriendlyName") == std::wstring(kFriendlyName));
  TW_CHECK(ReadRegistryString(HKEY_LOCAL_MACHINE, kWordAddInKey, L"Description") == std::wstring(kDescription));
  DWORD load = 0, type = 0, bytes = sizeof(load);
  TW_CHECK_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kWordAddInKey, L"LoadBehavior", RRF_RT_ANY, &type, &load, &bytes),
              ERROR_SUCCESS);
  TW_CHECK_EQ(type, DWORD{REG_DWORD});
  TW_CHECK_EQ(load, kLoadBehavior);
}

void CheckUnregistered() {
  for (const std::wstring& key : {kClassKey, kProgIdKey, std::wstring(kWordAddInKey)}) {
    if (KeyExists(key)) Fail(__FILE__, __LINE__, "left behind: HKLM\\" + Narrow(key));
  }
  CLSID clsid{};
  TW_CHECK(FAILED(CLSIDFromProgID(kProgId, &clsid)));
}

TW_TEST(TheDllRegistersWhereWordFindsItAndUnregistersEveryKey) {
  TW_CHECK_EQ(CallDllExport("DllRegisterServer"), S_OK);
  wchar_t dll[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"VellDLLCOM.dll"), dll, MAX_PATH);
  CheckRegistered(dll);
  TW_CHECK_EQ(CallDllExport("DllUnregisterServer"), S_OK);
  CheckUnregistered();
  // Unregistering twice is not an error.
  TW_CHECK_EQ(CallDllExport("DllUnregisterServer"), S_OK);
}

TW_TEST(InstalledAddInIsCreatedByProgIdAndConnects) {
  auto folder = InstallFolder("InstalledAddInIsCreatedByProgIdAndConnects");
  if (!folder) return;
  const std::wstring dll = *folder + L"VellDLLCOM.dll";
  TW_CHECK(FileExists(dll));
  TW_CHECK(FileExists(*folder + L"Tarnwell.doc"));
  TW_CHECK(FileExists(*folder + L"TarnwellHelp.chm"));
  // The keys the DLL's own registration writes, and nothing else wrote them.
  CheckRegistered(dll);

  // Created by its ProgID as Word creates it, from the installed file.
  EngineWord word(engine::ComAddInsEntry::Accelerated);
  AddIn addin;
  TW_CHECK_EQ(addin.created, S_OK);
  if (!addin.ext) return;
  wchar_t loaded[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"VellDLLCOM.dll"), loaded, MAX_PATH);
  TW_CHECK(_wcsicmp(loaded, dll.c_str()) == 0);
  TW_CHECK_EQ(addin.Connect(word, addin::ext_cm_Startup, ToSafeArray(host::Array{0, {}})), S_OK);
  TW_CHECK_EQ(word.FormatButtons().size(), size_t{1});
  TW_CHECK_EQ(addin.Disconnect(ToSafeArray(host::Array{0, {}})), S_OK);
  TW_CHECK(word.FormatButtons().empty());
}

TW_TEST(UninstalledAddInLeavesNoKeyOrFile) {
  auto folder = InstallFolder("UninstalledAddInLeavesNoKeyOrFile");
  if (!folder) return;
  CheckUnregistered();
  TW_CHECK(!FileExists(*folder));
}

}  // namespace
}  // namespace tarnwell::win32::testing
