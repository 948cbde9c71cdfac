#include "win32/object_dispatch.h"

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "host/click.h"
#include "win32/com_util.h"
#include "win32/dispatch_bridge.h"

namespace tarnwell::win32 {

namespace {

// Asked of an IDispatch to learn whether it is one of ours. Each module (the
// DLL, a test host) makes its own from an address of its own, so an adapter
// made by another module, with its own runtime, is treated as foreign.
const IID& AdaptedObjectIid() {
  static const char tag = 0;
  static IID iid = [] {
    IID i = {0x5C0E2A1B, 0x7D4F, 0x4E6A, {0, 0, 0, 0, 0, 0, 0, 0}};
    auto where = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&tag));
    for (int b = 0; b < 8; ++b) i.Data4[b] = static_cast<unsigned char>(where >> (8 * b));
    return i;
  }();
  return iid;
}

constexpr DISPID kFirstDispid = 1000;

class ObjectDispatch;

// The one connection point of a click source: each advised sink gets the
// button's Click (DISPID 1, the button and CancelDefault by reference).
class ClickPoint : public RefCounted<IConnectionPoint> {
 public:
  ClickPoint(ObjectDispatch* owner, std::shared_ptr<host::ClickSource> source);
  virtual ~ClickPoint();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
      *out = static_cast<IConnectionPoint*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    *iid = DIID_CommandBarButtonEvents;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 private:
  ObjectDispatch* owner_;
  std::shared_ptr<host::ClickSource> source_;
  struct Advised {
    IDispatch* sink;
    host::ClickSource::Token token;
  };
  std::map<DWORD, Advised> advised_;
  DWORD next_cookie_ = 1;
};

class ObjectDispatch : public UntypedDispatch<IDispatch, IConnectionPointContainer> {
 public:
  explicit ObjectDispatch(host::ObjectPtr object) : object_(std::move(object)) {}
  virtual ~ObjectDispatch() = default;
  const host::ObjectPtr& object() const { return object_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
    } else if (riid == IID_IConnectionPointContainer &&
               std::dynamic_pointer_cast<host::ClickSource>(object_)) {
      *out = static_cast<IConnectionPointContainer*>(this);
    } else if (riid == AdaptedObjectIid()) {
      *out = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return Guarded([&]() -> HRESULT {
      if (!names || !ids || count == 0) return E_INVALIDARG;
      // Only the member name; named arguments are not offered.
      std::string key = Lower(Narrow(names[0]));
      auto it = std::find(names_.begin(), names_.end(), key);
      if (it == names_.end()) it = names_.insert(names_.end(), key);
      ids[0] = kFirstDispid + static_cast<DISPID>(it - names_.begin());
      for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
      return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* info, UINT*) override {
    return Guarded(
        [&]() -> HRESULT {
          size_t index = static_cast<size_t>(id - kFirstDispid);
          if (id < kFirstDispid || index >= names_.size()) return DISP_E_MEMBERNOTFOUND;
          const std::string& name = names_[index];
          const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
          UINT named = params ? params->cNamedArgs : 0;
          if (put ? (named != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) : named != 0) {
            return DISP_E_NONAMEDARGS;
          }
          UINT total = params ? params->cArgs : 0;
          if (put && total == 0) return DISP_E_BADPARAMCOUNT;
          // Arguments arrive last to first; the put value is element 0.
          host::Args args;
          for (UINT i = total; i > (put ? 1u : 0u); --i) args.push_back(FromVariant(params->rgvarg[i - 1]));
          if (put) {
            object_->put(name, FromVariant(params->rgvarg[0]), args);
            return S_OK;
          }
          host::Value v = (flags & DISPATCH_METHOD) ? object_->call(name, args) : object_->get(name, args);
          if (result) ToVariant(v, result);
          return S_OK;
        },
        info);
  }

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto source = std::dynamic_pointer_cast<host::ClickSource>(object_);
    if (!source || riid != DIID_CommandBarButtonEvents) return CONNECT_E_NOCONNECTION;
    *out = new ClickPoint(this, source);
    return S_OK;
  }

  static std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
  }

 private:
  host::ObjectPtr object_;
  std::vector<std::string> names_;
};

ClickPoint::ClickPoint(ObjectDispatch* owner, std::shared_ptr<host::ClickSource> source)
    : owner_(owner), source_(std::move(source)) {
  owner_->AddRef();
}

ClickPoint::~ClickPoint() {
  for (auto& [cookie, a] : advised_) {
    source_->RemoveClick(a.token);
    a.sink->Release();
  }
  owner_->Release();
}

HRESULT ClickPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  return owner_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(out));
}

HRESULT ClickPoint::Advise(IUnknown* sink, DWORD* cookie) {
  return Guarded([&]() -> HRESULT {
    if (!sink || !cookie) return E_POINTER;
    IDispatch* events = nullptr;
    if (FAILED(sink->QueryInterface(DIID_CommandBarButtonEvents, reinterpret_cast<void**>(&events)))) {
      return CONNECT_E_CANNOTCONNECT;
    }
    IDispatch* button = owner_;
    auto token = source_->OnClick([events, button] {
      // Click(Ctrl, CancelDefault): reversed, CancelDefault by reference.
      VARIANT_BOOL cancel = VARIANT_FALSE;
      VARIANT args[2];
      VariantInit(&args[0]);
      VariantInit(&args[1]);
      args[0].vt = VT_BOOL | VT_BYREF;
      args[0].pboolVal = &cancel;
      args[1].vt = VT_DISPATCH;
      args[1].pdispVal = button;
      DISPPARAMS params{args, nullptr, 2, 0};
      events->Invoke(kDispidCommandBarButtonClick, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                     nullptr, nullptr, nullptr);
    });
    *cookie = next_cookie_++;
    advised_.emplace(*cookie, Advised{events, token});
    return S_OK;
  });
}

HRESULT ClickPoint::Unadvise(DWORD cookie) {
  auto it = advised_.find(cookie);
  if (it == advised_.end()) return CONNECT_E_NOCONNECTION;
  source_->RemoveClick(it->second.token);
  it->second.sink->Release();
  advised_.erase(it);
  return S_OK;
}

}  // namespace

IDispatch* DispatchFor(const host::ObjectPtr& object) {
  if (!object) return nullptr;
  if (auto* bridge = dynamic_cast<DispatchBridge*>(object.get())) {
    bridge->dispatch()->AddRef();
    return bridge->dispatch();
  }
  return new ObjectDispatch(object);
}

host::ObjectPtr AdaptedObject(IDispatch* dispatch) {
  if (!dispatch) return nullptr;
  IDispatch* ours = nullptr;
  if (FAILED(dispatch->QueryInterface(AdaptedObjectIid(), reinterpret_cast<void**>(&ours)))) return nullptr;
  host::ObjectPtr o = static_cast<ObjectDispatch*>(ours)->object();
  ours->Release();
  return o;
}

}  // namespace tarnwell::win32
