// The DLL as Word meets it: registered per machine, created by ProgID, told
// of its connection through IDTExtensibility2, its button clicked.
#include "win32/platform_win32.h"

#include <olectl.h>

#include "win32/com_util.h"
#include "win32/extensibility.h"
#include "win32/fake_word_test.h"
#include "win32/object_dispatch.h"
#include "win32/test_runner.h"

namespace tarnwell::win32 {
namespace {

using testing::FakeWord;

HMODULE Dll() {
  static HMODULE dll = LoadLibraryW(L"VellDLLCOM.dll");
  return dll;
}

HRESULT CallExport(const char* name) {
  auto f = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(Dll(), name)));
  return f ? f() : E_NOTIMPL;
}

std::optional<std::wstring> ReadString(HKEY root, const wchar_t* key, const wchar_t* name) {
  wchar_t buf[1024] = {};
  DWORD bytes = sizeof(buf);
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, buf, &bytes) != ERROR_SUCCESS) return std::nullopt;
  return std::wstring(buf);
}

bool KeyExists(HKEY root, const wchar_t* key) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

// Where the DLL's message boxes go under test (the program sets it in main).
std::wstring MessageLog() {
  wchar_t buf[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TARNWELL_TEST_MESSAGE_LOG", buf, MAX_PATH);
  return buf;
}

std::string ReadLog() {
  HANDLE f = CreateFileW(MessageLog().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "";
  std::string out(65536, '\0');
  DWORD n = 0;
  ReadFile(f, out.data(), static_cast<DWORD>(out.size()), &n, nullptr);
  CloseHandle(f);
  out.resize(n);
  return out;
}

constexpr const wchar_t* kCacheKey11 = L"Software\\Microsoft\\Office\\11.0\\Word\\Options";
constexpr const wchar_t* kSettingsKey = L"Software\\VB and VBA Program Settings\\Quillon Tarnwell\\Settings";

void ForgetUserState() {
  for (const wchar_t* v : {L"9.0", L"10.0", L"11.0"}) {
    DeleteRegistryTree(HKEY_CURRENT_USER, (std::wstring(L"Software\\Microsoft\\Office\\") + v).c_str());
  }
  DeleteRegistryTree(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Quillon Tarnwell");
}

struct Connected {
  IDTExtensibility2* ext = nullptr;
  HRESULT hr = E_FAIL;
  Connected() {
    CLSID clsid{};
    hr = CLSIDFromProgID(kProgId, &clsid);
    if (SUCCEEDED(hr)) {
      hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2, reinterpret_cast<void**>(&ext));
    }
  }
  ~Connected() {
    if (ext) ext->Release();
  }
};

SAFEARRAY* Custom(std::vector<host::Value> items) { return ToSafeArray(host::Array{0, std::move(items)}); }

TW_TEST(RegistrationWritesClassProgIdAndWordAddInKey) {
  TW_CHECK(Dll() != nullptr);
  TW_CHECK_EQ(CallExport("DllRegisterServer"), S_OK);
  std::wstring clsid_key = std::wstring(L"Software\\Classes\\CLSID\\") + kClsidText;
  TW_CHECK(ReadString(HKEY_LOCAL_MACHINE, (clsid_key + L"\\InprocServer32").c_str(), nullptr).value_or(L"").ends_with(L"VellDLLCOM.dll"));
  TW_CHECK(ReadString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\VellDLLCOM.Connect\\CLSID", nullptr) == std::wstring(kClsidText));
  TW_CHECK(ReadString(HKEY_LOCAL_MACHINE, kWordAddInKey, L"FriendlyName") == std::wstring(L"Quillon Tarnwell"));
  TW_CHECK(ReadString(HKEY_LOCAL_MACHINE, kWordAddInKey, L"Description") == std::wstring(L"Quillon Tarnwell COM add-in"));
  DWORD load = 0, bytes = sizeof(load);
  TW_CHECK_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kWordAddInKey, L"LoadBehavior", RRF_RT_REG_DWORD, nullptr, &load, &bytes),
              ERROR_SUCCESS);
  TW_CHECK_EQ(load, DWORD{3});
}

TW_TEST(ConnectionPutsTheButtonOnWordsMenusAndClickOpensTheDialog) {
  TW_CHECK_EQ(CallExport("DllRegisterServer"), S_OK);
  ForgetUserState();
  auto word = std::make_shared<FakeWord>();
  word->format->Add()->caption = "&Tarnwell";  // left over from an earlier run
  word->tools->Add()->caption = "&COM Add-Ins...";
  {
    Connected c;
    TW_CHECK_EQ(c.hr, S_OK);
    if (!c.ext) return;
    IDispatch* app = DispatchFor(word);
    UniqueSafeArray custom(Custom({}));  // no element 0: the connection goes ahead
    SAFEARRAY* raw = custom.get();
    TW_CHECK_EQ(c.ext->OnConnection(app, 1, nullptr, &raw), S_OK);
    app->Release();

    TW_CHECK_EQ(word->format->buttons.size(), size_t{1});  // the old one removed, one added
    if (word->format->buttons.size() == 1) {
      auto& b = *word->format->buttons[0];
      TW_CHECK_EQ(b.caption, std::string("&Tarnwell"));
      TW_CHECK_EQ(b.tag, std::string("VellTag"));
      TW_CHECK_EQ(b.style, 2);
      TW_CHECK_EQ(b.handlers.size(), size_t{1});  // the DLL's sink advised through the connection point
    }
    TW_CHECK_EQ(word->tools->buttons.size(), size_t{2});
    TW_CHECK_EQ(word->tools->buttons[0]->caption, std::string("COM Add-Ins..."));
    TW_CHECK_EQ(word->tools->buttons[1]->id, 3754);
    TW_CHECK(ReadString(HKEY_CURRENT_USER, kCacheKey11, L"CacheSize") == std::wstring(L"10000"));

    // The click reaches mcbVellButton_Click: ShowVellForm reads Word's build.
    int reads = word->build_reads;
    if (!word->format->buttons.empty()) word->format->buttons[0]->Click();
    TW_CHECK(word->build_reads > reads);

    TW_CHECK_EQ(CallExport("DllCanUnloadNow"), S_FALSE);
    UniqueSafeArray none(Custom({}));
    raw = none.get();
    TW_CHECK_EQ(c.ext->OnDisconnection(0, &raw), S_OK);
    TW_CHECK(word->format->buttons.empty());
    TW_CHECK_EQ(word->context_saves, 1);
    // The dialog was opened once, so the setting says so.
    TW_CHECK(ReadString(HKEY_CURRENT_USER, kSettingsKey, L"DisplayOnConnect") == std::wstring(L"1"));
    // Word and its buttons are the test's alone again.
    TW_CHECK_EQ(word.use_count(), 1L);
    for (auto& button : word->tools->buttons) TW_CHECK_EQ(button.use_count(), 1L);
  }
  TW_CHECK_EQ(CallExport("DllCanUnloadNow"), S_OK);
}

TW_TEST(InactiveConnectionComesAndGoesQuietly) {
  TW_CHECK_EQ(CallExport("DllRegisterServer"), S_OK);
  ForgetUserState();
  DeleteFileW(MessageLog().c_str());
  auto word = std::make_shared<FakeWord>();
  for (int32_t mark : {2, 3}) {
    Connected c;
    if (!c.ext) return;
    IDispatch* app = DispatchFor(word);
    VARIANT element;
    VariantInit(&element);
    element.vt = VT_I4;
    element.lVal = mark;
    UniqueSafeArray custom(testing::UntypedVariants({element}));
    SAFEARRAY* raw = custom.get();
    TW_CHECK_EQ(c.ext->OnConnection(app, 1, nullptr, &raw), S_OK);
    app->Release();
    TW_CHECK_EQ(c.ext->OnDisconnection(0, &raw), S_OK);
  }
  TW_CHECK(word->format->buttons.empty());
  TW_CHECK(!KeyExists(HKEY_CURRENT_USER, kCacheKey11));
  TW_CHECK(!KeyExists(HKEY_CURRENT_USER, kSettingsKey));
  TW_CHECK_EQ(ReadLog(), std::string());  // no "Error: 91"
}

TW_TEST(LateBoundConnectionReachesTheSameHandlersAndErrorsComeBackAsHresults) {
  TW_CHECK_EQ(CallExport("DllRegisterServer"), S_OK);
  auto word = std::make_shared<FakeWord>();
  Connected c;
  if (!c.ext) return;
  // Through IDispatch::Invoke, as a host without the vtable calls it.
  std::wstring name = L"OnConnection";
  LPOLESTR names[] = {name.data()};
  DISPID id = 0;
  TW_CHECK_EQ(c.ext->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  TW_CHECK_EQ(id, DISPID{kDispidOnConnection});
  VARIANT args[4];
  for (auto& v : args) VariantInit(&v);
  ToVariant(host::Value(host::Array{}), &args[0]);  // custom, last
  ToVariant(host::Value(), &args[1]);
  ToVariant(host::Value("not a mode"), &args[2]);
  ToVariant(host::Value(host::ObjectPtr(word)), &args[3]);
  DISPPARAMS params{args, nullptr, 4, 0};
  // A ConnectMode that is no number: the conversion's error 13 comes back
  // through EXCEPINFO, not as an exception through Invoke.
  EXCEPINFO info{};
  TW_CHECK_EQ(c.ext->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &info, nullptr), DISP_E_EXCEPTION);
  TW_CHECK_EQ(ErrorNumber(DISP_E_EXCEPTION, &info), host::kErrTypeMismatch);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  ToVariant(host::Value(int32_t{1}), &args[2]);
  TW_CHECK_EQ(c.ext->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
  TW_CHECK_EQ(word->format->buttons.size(), size_t{1});
  params.cArgs = 1;
  TW_CHECK_EQ(c.ext->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
  for (auto& v : args) VariantClear(&v);
  TW_CHECK_EQ(c.ext->OnAddInsUpdate(nullptr), S_OK);
  TW_CHECK_EQ(c.ext->OnBeginShutdown(nullptr), S_OK);
}

TW_TEST(MenuErrorsShowTheCommonMessageThroughTheTestHook) {
  TW_CHECK_EQ(CallExport("DllRegisterServer"), S_OK);
  DeleteFileW(MessageLog().c_str());
  Connected c;
  if (!c.ext) return;
  // Word without command bars: each menu routine reports 438 and the
  // connection still succeeds.
  auto bare = std::make_shared<host::DispatchObject>("Application");
  IDispatch* app = DispatchFor(bare);
  UniqueSafeArray custom(Custom({}));
  SAFEARRAY* raw = custom.get();
  TW_CHECK_EQ(c.ext->OnConnection(app, 1, nullptr, &raw), S_OK);
  app->Release();
  std::string log = ReadLog();
  TW_CHECK(log.find("Quillon Tarnwell|Error: 438 ") != std::string::npos);
}

TW_TEST(UnregistrationRemovesEveryKey) {
  TW_CHECK_EQ(CallExport("DllRegisterServer"), S_OK);
  TW_CHECK_EQ(CallExport("DllUnregisterServer"), S_OK);
  TW_CHECK(!KeyExists(HKEY_LOCAL_MACHINE, kWordAddInKey));
  TW_CHECK(!KeyExists(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\CLSID\\") + kClsidText).c_str()));
  TW_CHECK(!KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\VellDLLCOM.Connect"));
  CLSID clsid{};
  TW_CHECK(FAILED(CLSIDFromProgID(kProgId, &clsid)));
  // Unregistering twice is not an error.
  TW_CHECK_EQ(CallExport("DllUnregisterServer"), S_OK);
}

}  // namespace
}  // namespace tarnwell::win32
