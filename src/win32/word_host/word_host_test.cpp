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
#include "win32/fake_word_test.h"
#include "win32/object_dispatch.h"
#include "win32/test_runner.h"
#include "win32/word_host/word_host.h"

namespace tarnwell::win32::testing {
namespace {

std::wstring CacheKey(int version) {
  return L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Word\\Options";
}

// What a previous case left in the current user's hive.
void ForgetUserState() {
  for (int v : {9, 10, 11}) DeleteRegistryTree(HKEY_CURRENT_USER, CacheKey(v).c_str());
  DeleteRegistryTree(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Quillon Tarnwell");
}

// Whether every Word version's CacheSize is `size` (nullopt: none written).
bool CacheSizes(const std::optional<std::wstring>& size) {
  for (int v : {9, 10, 11}) {
    if (ReadRegistryString(HKEY_CURRENT_USER, CacheKey(v), L"CacheSize") != size) return false;
  }
  return true;
}
const std::optional<std::wstring> kWritten = L"10000";

std::optional<std::wstring> DisplayOnConnect() {
  return ReadRegistryString(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Quillon Tarnwell\\Settings",
                            L"DisplayOnConnect");
}

SAFEARRAY* Custom(std::vector<host::Value> items) { return ToSafeArray(host::Array{0, std::move(items)}); }

// The DLL registered afresh over a user hive that earlier cases left nothing
// in, a Word of the engine's, and one instance of the add-in.
struct Session {
  explicit Session(engine::ComAddInsEntry com_addins) : word(com_addins) {}
  // False when the case cannot go on.
  bool ready() {
    TW_CHECK_EQ(registered, S_OK);
    TW_CHECK_EQ(addin.created, S_OK);
    return addin.ext != nullptr;
  }
  HRESULT registered = (ForgetUserState(), CallDllExport("DllRegisterServer"));
  EngineWord word;
  AddIn addin;
};

TW_TEST(StartupConnectionPutsTheButtonsOnTheEnginesMenusAndTheClickReachesTheAddIn) {
  const long adapters = LiveComObjects().load();
  {
    Session s(engine::ComAddInsEntry::Accelerated);
    // A button a crashed session left in the customization template.
    s.word.AddStaleButton();
    if (!s.ready()) return;

    TW_CHECK_EQ(s.addin.Connect(s.word, addin::ext_cm_Startup, Custom({})), S_OK);
    TW_CHECK(CacheSizes(kWritten));
    auto buttons = s.word.FormatButtons();
    TW_CHECK_EQ(buttons.size(), size_t{1});
    if (buttons.size() != 1) return;
    TW_CHECK_EQ(buttons[0]->tag(), std::string("VellTag"));
    TW_CHECK_EQ(buttons[0]->style(), engine::kMsoButtonCaption);
    TW_CHECK_EQ(buttons[0]->type(), engine::kMsoControlButton);
    TW_CHECK(!buttons[0]->temporary());
    // The DLL's sink, advised through the adapter's connection point.
    TW_CHECK_EQ(buttons[0]->handler_count(), size_t{1});
    // The Tools menu's own entry re-captioned, none added.
    auto commands = s.word.ComAddInsCommands();
    TW_CHECK_EQ(commands.size(), size_t{1});
    if (!commands.empty()) {
      TW_CHECK_EQ(commands[0]->caption(), std::string("COM Add-Ins..."));
      TW_CHECK_EQ(commands[0]->style(), engine::kMsoButtonCaption);
    }

    TW_CHECK_EQ(s.addin.StartupComplete(Custom({})), S_OK);
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Quillon Tarnwell");
    TW_CHECK(mutex != nullptr);
    if (mutex) CloseHandle(mutex);

    // The COM Add-Ins command is Word's own business.
    if (!commands.empty()) TW_CHECK(!ClickAndCancelTheDialog(*commands[0]));
    // The click goes engine control -> adapter's connection point -> the DLL's
    // sink -> mcbVellButton_Click -> ShowVellForm, which shows the dialog
    // from the DLL's resources (this program has none).
    TW_CHECK(ClickAndCancelTheDialog(*buttons[0]));

    TW_CHECK_EQ(CallDllExport("DllCanUnloadNow"), S_FALSE);
    TW_CHECK_EQ(s.addin.Disconnect(Custom({})), S_OK);
    TW_CHECK(s.word.FormatButtons().empty());
    TW_CHECK_EQ(s.word.CustomizationSaves(), 1);
    // The dialog was opened, and Word closes with that noted.
    TW_CHECK(DisplayOnConnect() == std::wstring(L"1"));
    // Word and its buttons are the test's alone again.
    TW_CHECK_EQ(LiveComObjects().load(), adapters);
  }
  TW_CHECK_EQ(CallDllExport("DllCanUnloadNow"), S_OK);
}

TW_TEST(NeverOpeningTheDialogStoresDisplayOnConnectZero) {
  Session s(engine::ComAddInsEntry::Absent);
  if (!s.ready()) return;
  // An array whose element 0 is 1 is no reason to stay inactive.
  TW_CHECK_EQ(s.addin.Connect(s.word, addin::ext_cm_AfterStartup, Custom({host::Value(int32_t{1})})), S_OK);
  TW_CHECK_EQ(s.word.FormatButtons().size(), size_t{1});
  // Without the command on the Tools menu, one is added at its end.
  auto tools = s.word.Controls("Tools");
  TW_CHECK_EQ(s.word.ComAddInsCommands().size(), size_t{1});
  if (!tools.empty()) {
    TW_CHECK_EQ(tools.back()->id(), engine::kComAddInsControlId);
    TW_CHECK_EQ(tools.back()->caption(), std::string("COM Add-Ins..."));
  }
  TW_CHECK_EQ(s.addin.Disconnect(Custom({})), S_OK);
  TW_CHECK(DisplayOnConnect() == std::wstring(L"0"));
}

TW_TEST(OnlyElementZeroAboveOneLeavesTheConnectionInactiveAndQuiet) {
  for (int32_t first : {2, 3}) {
    // As typed arrays, and as a host may pass them: recording no type.
    VARIANT element;
    VariantInit(&element);
    element.vt = VT_I4;
    element.lVal = first;
    for (SAFEARRAY* custom : {Custom({host::Value(first)}), UntypedVariants({element})}) {
      Session s(engine::ComAddInsEntry::Accelerated);
      ClearMessageLog();
      if (!s.ready()) return;
      TW_CHECK_EQ(s.addin.Connect(s.word, addin::ext_cm_Startup, custom), S_OK);
      TW_CHECK(CacheSizes(std::nullopt));
      TW_CHECK(s.word.FormatButtons().empty());
      // The Tools entry is left as it was.
      auto commands = s.word.ComAddInsCommands();
      TW_CHECK(commands.size() == 1 && commands[0]->caption() == "&COM Add-Ins...");
      TW_CHECK_EQ(s.addin.Disconnect(Custom({})), S_OK);
      TW_CHECK(!DisplayOnConnect());
      TW_CHECK_EQ(ReadMessageLog(), std::string());  // no "Error: 91"
    }
  }
  // An array counted from 1 has no element 0: the connection goes ahead.
  Session s(engine::ComAddInsEntry::Accelerated);
  if (!s.ready()) return;
  TW_CHECK_EQ(s.addin.Connect(s.word, addin::ext_cm_Startup, ToSafeArray(host::Array{1, {host::Value(int32_t{5})}})),
              S_OK);
  TW_CHECK(CacheSizes(kWritten));
  TW_CHECK_EQ(s.word.FormatButtons().size(), size_t{1});
}

TW_TEST(ExternalConnectionWritesTheCacheSizeButAddsNoButton) {
  Session s(engine::ComAddInsEntry::Absent);
  if (!s.ready()) return;
  TW_CHECK_EQ(s.addin.Connect(s.word, addin::ext_cm_External, Custom({})), S_OK);
  TW_CHECK(CacheSizes(kWritten));
  TW_CHECK(s.word.FormatButtons().empty());
  TW_CHECK(s.word.ComAddInsCommands().empty());
}

TW_TEST(ASecondWordProcessKeepsTheMenusAndTheTemplateAlone) {
  // Two programs named winword.exe running beside this one.
  OtherWordProcesses others(2);
  TW_CHECK(others.running());
  Session s(engine::ComAddInsEntry::Absent);
  if (!s.ready()) return;
  TW_CHECK_EQ(s.addin.Connect(s.word, addin::ext_cm_Startup, Custom({})), S_OK);
  TW_CHECK(CacheSizes(kWritten));
  TW_CHECK(s.word.FormatButtons().empty());
  s.word.AddStaleButton();
  TW_CHECK_EQ(s.addin.Disconnect(Custom({})), S_OK);
  // Neither removed nor saved while another Word runs.
  TW_CHECK_EQ(s.word.FormatButtons().size(), size_t{1});
  TW_CHECK_EQ(s.word.CustomizationSaves(), 0);
}

TW_TEST(ConnectingAgainWithoutDisconnectingLeavesOneButton) {
  Session s(engine::ComAddInsEntry::Plain);
  AddIn second;
  if (!s.ready() || !second.ext) return;
  TW_CHECK_EQ(s.addin.Connect(s.word, addin::ext_cm_Startup, Custom({})), S_OK);
  TW_CHECK_EQ(second.Connect(s.word, addin::ext_cm_Startup, Custom({})), S_OK);
  auto buttons = s.word.FormatButtons();
  TW_CHECK_EQ(buttons.size(), size_t{1});
  // Only the second connection's sink is bound to the one that stands.
  if (buttons.size() == 1) TW_CHECK_EQ(buttons[0]->handler_count(), size_t{1});
  TW_CHECK_EQ(s.word.ComAddInsCommands().size(), size_t{1});
}

TW_TEST(LateBoundConnectionReachesTheSameHandlersAndErrorsComeBackAsHresults) {
  Session s(engine::ComAddInsEntry::Absent);
  if (!s.ready()) return;
  IDTExtensibility2* ext = s.addin.ext;
  // Through IDispatch::Invoke, as a host without the vtable calls it.
  std::wstring name = L"OnConnection";
  LPOLESTR names[] = {name.data()};
  DISPID id = 0;
  TW_CHECK_EQ(ext->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  TW_CHECK_EQ(id, DISPID{kDispidOnConnection});
  VARIANT args[4];
  for (auto& v : args) VariantInit(&v);
  ToVariant(host::Value(host::Array{}), &args[0]);  // custom, last
  ToVariant(host::Value(), &args[1]);
  ToVariant(host::Value("not a mode"), &args[2]);
  ToVariant(host::Value(s.word.app()), &args[3]);
  DISPPARAMS params{args, nullptr, 4, 0};
  // A ConnectMode that is no number: the conversion's error 13 comes back
  // through EXCEPINFO, not as an exception through Invoke.
  EXCEPINFO info{};
  TW_CHECK_EQ(ext->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &info, nullptr), DISP_E_EXCEPTION);
  TW_CHECK_EQ(ErrorNumber(DISP_E_EXCEPTION, &info), host::kErrTypeMismatch);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  ToVariant(host::Value(int32_t{1}), &args[2]);
  TW_CHECK_EQ(ext->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
  TW_CHECK_EQ(s.word.FormatButtons().size(), size_t{1});
  params.cArgs = 1;
  TW_CHECK_EQ(ext->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), DISP_E_BADPARAMCOUNT);
  for (auto& v : args) VariantClear(&v);
  TW_CHECK_EQ(ext->OnAddInsUpdate(nullptr), S_OK);
  TW_CHECK_EQ(ext->OnBeginShutdown(nullptr), S_OK);
}

TW_TEST(MenuErrorsShowTheCommonMessageThroughTheTestHook) {
  Session s(engine::ComAddInsEntry::Absent);
  ClearMessageLog();
  if (!s.ready()) return;
  // Word without command bars: each menu routine reports 438 and the
  // connection still succeeds.
  IDispatch* bare = DispatchFor(std::make_shared<host::DispatchObject>("Application"));
  UniqueSafeArray custom(Custom({}));
  SAFEARRAY* raw = custom.get();
  TW_CHECK_EQ(s.addin.ext->OnConnection(bare, 1, nullptr, &raw), S_OK);
  bare->Release();
  TW_CHECK(ReadMessageLog().find("Quillon Tarnwell|Error: 438 ") != std::string::npos);
}

}  // namespace
}  // namespace tarnwell::win32::testing
