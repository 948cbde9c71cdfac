// The in-process COM server: VellDLLCOM.Connect, its class factory, the four
// exports and the registration as a Word add-in.
// First, so that the UI interface's MessageBox member is declared before
// anything can bring the macro of that name back.
#include "win32/platform_win32.h"

#include <olectl.h>

#include <atomic>
#include <memory>
#include <string>

#include "addin/Connect.h"
#include "support/globals.h"
#include "win32/com_util.h"
#include "win32/dispatch_bridge.h"
#include "win32/extensibility.h"
#include "win32/views.h"

namespace tarnwell::win32 {

namespace {

std::atomic<long> g_locks{0};

// Test hosts name a file in TARNWELL_TEST_MESSAGE_LOG; message boxes are then
// appended there ("title|text") and answered with their first button, since
// a real one would wait for a user who is not there.
void InstallTestHook(Win32Ui& ui) {
  wchar_t path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TARNWELL_TEST_MESSAGE_LOG", path, MAX_PATH) == 0) return;
  std::wstring log = path;
  ui.answer_box = [log](const std::string& title, const std::string& text, platform::Icon,
                        platform::Buttons buttons) {
    HANDLE f = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      std::string line = title + "|" + text + "\n";
      DWORD written = 0;
      WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(f);
    }
    switch (buttons) {
      case platform::Buttons::AbortRetryIgnore:
        return platform::Answer::Abort;
      case platform::Buttons::YesNo:
      case platform::Buttons::YesNoCancel:
        return platform::Answer::Yes;
      case platform::Buttons::RetryCancel:
        return platform::Answer::Retry;
      default:
        return platform::Answer::OK;
    }
  };
}

Win32Platform& ModulePlatform() {
  static Win32Platform* platform = [] {
    auto* p = new Win32Platform();
    InstallViews(p->ui);
    InstallTestHook(p->ui);
    return p;
  }();
  return *platform;
}

// custom() is declared an array of VARIANTs, whatever the array records.
host::Value CustomArray(SAFEARRAY** custom) {
  return host::Value(custom && *custom ? FromSafeArray(*custom, VT_VARIANT) : host::Array{});
}

class ConnectServer : public UntypedDispatch<IDTExtensibility2> {
 public:
  ConnectServer() : platform_(ModulePlatform().platform()), connect_(platform_) {}
  virtual ~ConnectServer() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IDTExtensibility2) {
      *out = static_cast<IDTExtensibility2*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    static constexpr const wchar_t* kNames[] = {L"OnConnection", L"OnDisconnection", L"OnAddInsUpdate",
                                                L"OnStartupComplete", L"OnBeginShutdown"};
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      if (i == 0) {
        for (DISPID d = 0; d < 5; ++d) {
          if (_wcsicmp(names[0], kNames[d]) == 0) ids[0] = d + 1;
        }
      }
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* info,
                                   UINT*) override {
    return Guarded(
        [&]() -> HRESULT {
          // Arguments in call order (COM passes them last to first).
          host::Args a;
          UINT n = params ? params->cArgs : 0;
          for (UINT i = n; i > 0; --i) a.push_back(FromVariant(params->rgvarg[i - 1]));
          auto custom_at = [&](size_t i) { return i < a.size() ? a[i] : host::Value(host::Array{}); };
          switch (id) {
            case kDispidOnConnection:
              if (a.size() < 3) return DISP_E_BADPARAMCOUNT;
              connect_.AddinInstance_OnConnection(a[0].as_object(), a[1].as_int(), a[2].as_object(), custom_at(3));
              return S_OK;
            case kDispidOnDisconnection:
              if (a.empty()) return DISP_E_BADPARAMCOUNT;
              connect_.AddinInstance_OnDisconnection(a[0].as_int(), custom_at(1));
              return S_OK;
            case kDispidOnStartupComplete:
              connect_.AddinInstance_OnStartupComplete(custom_at(0));
              return S_OK;
            case kDispidOnAddInsUpdate:
            case kDispidOnBeginShutdown:
              return S_OK;
            default:
              return DISP_E_MEMBERNOTFOUND;
          }
        },
        info);
  }

  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, int ConnectMode, IDispatch* AddInInst,
                                         SAFEARRAY** custom) override {
    return Guarded([&]() -> HRESULT {
      connect_.AddinInstance_OnConnection(BridgeFor(Application), ConnectMode, BridgeFor(AddInInst),
                                          CustomArray(custom));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE OnDisconnection(int RemoveMode, SAFEARRAY** custom) override {
    return Guarded([&]() -> HRESULT {
      connect_.AddinInstance_OnDisconnection(RemoveMode, CustomArray(custom));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override {
    return Guarded([&]() -> HRESULT {
      connect_.AddinInstance_OnStartupComplete(CustomArray(custom));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY**) override { return S_OK; }

 private:
  platform::Platform platform_;
  addin::Connect connect_;
};

class ClassFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // One factory for the life of the module.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return Guarded([&]() -> HRESULT {
      auto* server = new ConnectServer();
      HRESULT hr = server->QueryInterface(riid, out);
      server->Release();
      return hr;
    });
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? ++g_locks : --g_locks;
    return S_OK;
  }
};

ClassFactory g_factory;

LONG SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return SetRegistryValue(root, key, name, REG_SZ, value.c_str(),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring ModuleFile() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(ThisModule(), path, MAX_PATH);
  return path;
}

HRESULT Register() {
  const std::wstring classes = L"Software\\Classes\\";
  const std::wstring clsid_key = classes + L"CLSID\\" + kClsidText;
  LONG rc = ERROR_SUCCESS;
  auto step = [&rc](LONG r) {
    if (rc == ERROR_SUCCESS) rc = r;
  };
  step(SetString(HKEY_LOCAL_MACHINE, clsid_key, nullptr, kProgId));
  step(SetString(HKEY_LOCAL_MACHINE, clsid_key + L"\\InprocServer32", nullptr, ModuleFile()));
  step(SetString(HKEY_LOCAL_MACHINE, clsid_key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"));
  step(SetString(HKEY_LOCAL_MACHINE, clsid_key + L"\\ProgID", nullptr, kProgId));
  step(SetString(HKEY_LOCAL_MACHINE, classes + kProgId, nullptr, kProgId));
  step(SetString(HKEY_LOCAL_MACHINE, classes + kProgId + L"\\CLSID", nullptr, kClsidText));
  step(SetString(HKEY_LOCAL_MACHINE, kWordAddInKey, L"FriendlyName", kFriendlyName));
  step(SetString(HKEY_LOCAL_MACHINE, kWordAddInKey, L"Description", kDescription));
  DWORD load = kLoadBehavior;
  step(SetRegistryValue(HKEY_LOCAL_MACHINE, kWordAddInKey, L"LoadBehavior", REG_DWORD, &load, sizeof(load)));
  return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

HRESULT Unregister() {
  const std::wstring classes = L"Software\\Classes\\";
  for (const std::wstring& key : {classes + L"CLSID\\" + kClsidText, classes + kProgId, std::wstring(kWordAddInKey)}) {
    LONG rc = DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return SELFREG_E_CLASS;
  }
  return S_OK;
}

}  // namespace

}  // namespace tarnwell::win32

using namespace tarnwell::win32;

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_VellConnect) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, out);
}

// Every COM object of the DLL counts (connections, event sinks, adapters),
// not only the connections.
extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return LiveComObjects() == 0 && g_locks == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return Guarded([] { return Register(); });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return Guarded([] { return Unregister(); });
}
