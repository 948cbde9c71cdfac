// The add-in DLL in a Word of our own: the embedded engine's Application,
// dressed as IDispatch by the one generic adapter, is what the DLL connects
// to. The DLL is registered per machine and created by its ProgID, as Word
// finds it; its button on the engine's Format menu is clicked through the
// connection point the DLL advised.
#include "win32/platform_win32.h"

#include <objbase.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addin/Connect.h"
#include "engine/commandbars.h"
#include "win32/com_util.h"
#include "win32/extensibility.h"
#include "win32/object_dispatch.h"
#include "win32/test_runner.h"
#include "win32/word_host/word_host.h"

namespace tarnwell::win32::testing {
namespace {

HMODULE Dll() {
  static HMODULE dll = LoadLibraryW(L"VellDLLCOM.dll");
  return dll;
}

HRESULT RegisterDll() {
  auto f = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(Dll(), "DllRegisterServer")));
  return f ? f() : E_NOTIMPL;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t buf[1024] = {};
  DWORD bytes = sizeof(buf);
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &bytes) != ERROR_SUCCESS) return std::nullopt;
  return std::wstring(buf);
}

std::wstring CacheKey(int version) {
  return L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Word\\Options";
}
constexpr const wchar_t* kSettingsKey = L"Software\\VB and VBA Program Settings\\Quillon Tarnwell\\Settings";

// What a previous case left in the current user's hive.
void ForgetUserState() {
  for (int v : {9, 10, 11}) DeleteRegistryTree(HKEY_CURRENT_USER, CacheKey(v).c_str());
  DeleteRegistryTree(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Quillon Tarnwell");
}

bool CacheSizesWritten() {
  for (int v : {9, 10, 11}) {
    if (ReadString(HKEY_CURRENT_USER, CacheKey(v), L"CacheSize") != std::wstring(L"10000")) return false;
  }
  return true;
}

bool NoCacheSizes() {
  for (int v : {9, 10, 11}) {
    if (ReadString(HKEY_CURRENT_USER, CacheKey(v), L"CacheSize")) return false;
  }
  return true;
}

std::optional<std::wstring> DisplayOnConnect() {
  return ReadString(HKEY_CURRENT_USER, kSettingsKey, L"DisplayOnConnect");
}

SAFEARRAY* Custom(std::vector<host::Value> items) { return ToSafeArray(host::Array{0, std::move(items)}); }

TW_TEST(RegistrationLetsWordFindTheAddInByProgId) {
  TW_CHECK(Dll() != nullptr);
  TW_CHECK_EQ(RegisterDll(), S_OK);
  CLSID clsid{};
  TW_CHECK_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
  TW_CHECK(clsid == CLSID_VellConnect);
  TW_CHECK(ReadString(HKEY_LOCAL_MACHINE, kWordAddInKey, L"FriendlyName") == std::wstring(L"Quillon Tarnwell"));
  TW_CHECK(ReadString(HKEY_LOCAL_MACHINE, kWordAddInKey, L"Description") ==
           std::wstring(L"Quillon Tarnwell COM add-in"));
  DWORD load = 0, bytes = sizeof(load);
  TW_CHECK_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kWordAddInKey, L"LoadBehavior", RRF_RT_REG_DWORD, nullptr, &load,
                           &bytes),
              ERROR_SUCCESS);
  TW_CHECK_EQ(load, DWORD{3});
}

TW_TEST(StartupConnectionPutsTheButtonsOnTheEnginesMenusAndTheClickReachesTheAddIn) {
  TW_CHECK_EQ(RegisterDll(), S_OK);
  ForgetUserState();
  EngineWord word(engine::ComAddInsEntry::Accelerated);
  // A button a crashed session left in the customization template.
  word.AddStaleButton();
  AddIn addin;
  TW_CHECK_EQ(addin.created, S_OK);
  if (!addin.ext) return;

  TW_CHECK_EQ(addin.Connect(word, addin::ext_cm_Startup, Custom({})), S_OK);
  TW_CHECK(CacheSizesWritten());
  auto buttons = word.FormatButtons();
  TW_CHECK_EQ(buttons.size(), size_t{1});
  if (buttons.size() != 1) return;
  TW_CHECK_EQ(buttons[0]->tag(), std::string("VellTag"));
  TW_CHECK_EQ(buttons[0]->style(), engine::kMsoButtonCaption);
  TW_CHECK_EQ(buttons[0]->type(), engine::kMsoControlButton);
  TW_CHECK(!buttons[0]->temporary());
  // The DLL's sink, advised through the adapter's connection point.
  TW_CHECK_EQ(buttons[0]->handler_count(), size_t{1});
  // The Tools menu's own entry re-captioned, none added.
  auto commands = word.ComAddInsCommands();
  TW_CHECK_EQ(commands.size(), size_t{1});
  if (!commands.empty()) {
    TW_CHECK_EQ(commands[0]->caption(), std::string("COM Add-Ins..."));
    TW_CHECK_EQ(commands[0]->style(), engine::kMsoButtonCaption);
  }

  TW_CHECK_EQ(addin.StartupComplete(Custom({})), S_OK);
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Quillon Tarnwell");
  TW_CHECK(mutex != nullptr);
  if (mutex) CloseHandle(mutex);

  // The COM Add-Ins command is Word's own business.
  if (!commands.empty()) TW_CHECK(!ClickAndCancelTheDialog(*commands[0]));
  // The click goes engine control -> adapter's connection point -> the DLL's
  // sink -> mcbVellButton_Click -> ShowVellForm, which shows the dialog.
  TW_CHECK(ClickAndCancelTheDialog(*buttons[0]));

  TW_CHECK_EQ(addin.Disconnect(Custom({})), S_OK);
  TW_CHECK(word.FormatButtons().empty());
  TW_CHECK_EQ(word.CustomizationSaves(), 1);
  // The dialog was opened, and Word closes with that noted.
  TW_CHECK(DisplayOnConnect() == std::wstring(L"1"));
}

TW_TEST(NeverOpeningTheDialogStoresDisplayOnConnectZero) {
  TW_CHECK_EQ(RegisterDll(), S_OK);
  ForgetUserState();
  EngineWord word(engine::ComAddInsEntry::Absent);
  AddIn addin;
  if (!addin.ext) return;
  // An array whose element 0 is 1 is no reason to stay inactive.
  TW_CHECK_EQ(addin.Connect(word, addin::ext_cm_AfterStartup, Custom({host::Value(int32_t{1})})), S_OK);
  TW_CHECK_EQ(word.FormatButtons().size(), size_t{1});
  // Without the command on the Tools menu, one is added at its end.
  auto tools = word.Controls("Tools");
  TW_CHECK_EQ(word.ComAddInsCommands().size(), size_t{1});
  if (!tools.empty()) {
    TW_CHECK_EQ(tools.back()->id(), engine::kComAddInsControlId);
    TW_CHECK_EQ(tools.back()->caption(), std::string("COM Add-Ins..."));
  }
  TW_CHECK_EQ(addin.Disconnect(Custom({})), S_OK);
  TW_CHECK(DisplayOnConnect() == std::wstring(L"0"));
}

TW_TEST(OnlyElementZeroAboveOneLeavesTheConnectionInactive) {
  TW_CHECK_EQ(RegisterDll(), S_OK);
  for (int32_t first : {2, 3}) {
    ForgetUserState();
    EngineWord word(engine::ComAddInsEntry::Accelerated);
    AddIn addin;
    if (!addin.ext) return;
    TW_CHECK_EQ(addin.Connect(word, addin::ext_cm_Startup, Custom({host::Value(first)})), S_OK);
    TW_CHECK(NoCacheSizes());
    TW_CHECK(word.FormatButtons().empty());
    // The Tools entry is left as it was.
    auto commands = word.ComAddInsCommands();
    TW_CHECK(commands.size() == 1 && commands[0]->caption() == "&COM Add-Ins...");
  }
  // An array counted from 1 has no element 0: the connection goes ahead.
  ForgetUserState();
  EngineWord word(engine::ComAddInsEntry::Accelerated);
  AddIn addin;
  if (!addin.ext) return;
  TW_CHECK_EQ(addin.Connect(word, addin::ext_cm_Startup, ToSafeArray(host::Array{1, {host::Value(int32_t{5})}})), S_OK);
  TW_CHECK(CacheSizesWritten());
  TW_CHECK_EQ(word.FormatButtons().size(), size_t{1});
}

TW_TEST(ExternalConnectionWritesTheCacheSizeButAddsNoButton) {
  TW_CHECK_EQ(RegisterDll(), S_OK);
  ForgetUserState();
  EngineWord word(engine::ComAddInsEntry::Absent);
  AddIn addin;
  if (!addin.ext) return;
  TW_CHECK_EQ(addin.Connect(word, addin::ext_cm_External, Custom({})), S_OK);
  TW_CHECK(CacheSizesWritten());
  TW_CHECK(word.FormatButtons().empty());
  TW_CHECK(word.ComAddInsCommands().empty());
}

TW_TEST(ASecondWordProcessKeepsTheMenusAndTheTemplateAlone) {
  TW_CHECK_EQ(RegisterDll(), S_OK);
  ForgetUserState();
  // Two programs named winword.exe running beside this one.
  OtherWordProcesses others(2);
  TW_CHECK(others.running());
  EngineWord word(engine::ComAddInsEntry::Absent);
  AddIn addin;
  if (!addin.ext) return;
  TW_CHECK_EQ(addin.Connect(word, addin::ext_cm_Startup, Custom({})), S_OK);
  TW_CHECK(CacheSizesWritten());
  TW_CHECK(word.FormatButtons().empty());
  word.AddStaleButton();
  TW_CHECK_EQ(addin.Disconnect(Custom({})), S_OK);
  // Neither removed nor saved while another Word runs.
  TW_CHECK_EQ(word.FormatButtons().size(), size_t{1});
  TW_CHECK_EQ(word.CustomizationSaves(), 0);
}

TW_TEST(ConnectingAgainWithoutDisconnectingLeavesOneButton) {
  TW_CHECK_EQ(RegisterDll(), S_OK);
  ForgetUserState();
  EngineWord word(engine::ComAddInsEntry::Plain);
  AddIn first;
  AddIn second;
  if (!first.ext || !second.ext) return;
  TW_CHECK_EQ(first.Connect(word, addin::ext_cm_Startup, Custom({})), S_OK);
  TW_CHECK_EQ(second.Connect(word, addin::ext_cm_Startup, Custom({})), S_OK);
  auto buttons = word.FormatButtons();
  TW_CHECK_EQ(buttons.size(), size_t{1});
  // Only the second connection's sink is bound to the one that stands.
  if (buttons.size() == 1) TW_CHECK_EQ(buttons[0]->handler_count(), size_t{1});
  TW_CHECK_EQ(word.ComAddInsCommands().size(), size_t{1});
}

}  // namespace
}  // namespace tarnwell::win32::testing
