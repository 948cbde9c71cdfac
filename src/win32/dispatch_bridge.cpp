#include "win32/dispatch_bridge.h"

#include <ocidl.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "win32/com_util.h"
#include "win32/object_dispatch.h"

namespace tarnwell::win32 {

// {000C0351-0000-0000-C000-000000000046}
const IID DIID_CommandBarButtonEvents = {0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// Receives the button's Click and hands it to the bridge that advised it.
class ClickSink : public UntypedDispatch<IDispatch> {
 public:
  explicit ClickSink(DispatchBridge* owner) : owner_(owner) {}
  virtual ~ClickSink() = default;
  void Detach() { owner_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_CommandBarButtonEvents) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO* info,
                                   UINT*) override {
    return Guarded(
        [&]() -> HRESULT {
          if (id == kDispidCommandBarButtonClick && owner_) owner_->RaiseClick();
          return S_OK;
        },
        info);
  }

 private:
  DispatchBridge* owner_;
};

}  // namespace

DispatchBridge::DispatchBridge(IDispatch* dispatch) : dispatch_(dispatch) {
  if (dispatch_) dispatch_->AddRef();
}

DispatchBridge::~DispatchBridge() {
  Unadvise();
  if (dispatch_) dispatch_->Release();
}

DISPID DispatchBridge::Id(std::string_view name) {
  std::string key = Lower(name);
  auto it = ids_.find(key);
  if (it != ids_.end()) return it->second;
  std::wstring wide = Widen(name);
  LPOLESTR names[] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) {
    throw host::HostError(ErrorNumber(hr, nullptr),
                          "Object doesn't support this property or method (" + std::string(name) + ")");
  }
  ids_.emplace(std::move(key), id);
  return id;
}

host::Value DispatchBridge::Invoke(std::string_view name, WORD flags, const host::Args& args,
                                   const host::Value* put_value) {
  try {
    return InvokeOnce(name, flags, args, put_value);
  } catch (const std::bad_alloc&) {
    // Memory ran out on our side of the call: Word's own "out of memory".
    throw host::HostError(host::kErrOutOfMemory, "Out of memory (" + std::string(name) + ")");
  }
}

host::Value DispatchBridge::InvokeOnce(std::string_view name, WORD flags, const host::Args& args,
                                       const host::Value* put_value) {
  if (!dispatch_) throw host::HostError(host::kErrObjectNotSet, "Object variable or With block variable not set");
  DISPID id = Id(name);
  // COM wants the arguments last to first, the put value in front of them.
  std::vector<UniqueVariant> vars(args.size() + (put_value ? 1 : 0));
  size_t n = 0;
  if (put_value) ToVariant(*put_value, vars[n++].get());
  for (auto it = args.rbegin(); it != args.rend(); ++it) ToVariant(*it, vars[n++].get());
  std::vector<VARIANT> raw(vars.size());
  for (size_t i = 0; i < vars.size(); ++i) raw[i] = *vars[i].get();  // shallow: vars keep ownership

  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{raw.empty() ? nullptr : raw.data(), put_value ? &put_id : nullptr,
                    static_cast<UINT>(raw.size()), put_value ? 1u : 0u};
  UniqueVariant result;
  EXCEPINFO info{};
  UINT bad_arg = 0;
  HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                 put_value ? nullptr : result.get(), &info, &bad_arg);
  if (FAILED(hr)) {
    if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    int32_t number = ErrorNumber(hr, &info);
    std::string description = info.bstrDescription
                                  ? Narrow(std::wstring_view(info.bstrDescription, SysStringLen(info.bstrDescription)))
                                  : "Automation error (" + std::string(name) + ")";
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    throw host::HostError(number, description);
  }
  return put_value ? host::Value() : FromVariant(*result.get());
}

host::Value DispatchBridge::get(std::string_view name, const host::Args& args) {
  return Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, nullptr);
}

void DispatchBridge::put(std::string_view name, const host::Value& value, const host::Args& args) {
  Invoke(name, DISPATCH_PROPERTYPUT, args, &value);
}

host::Value DispatchBridge::call(std::string_view name, const host::Args& args) {
  return Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr);
}

host::ClickSource::Token DispatchBridge::OnClick(Handler handler) {
  if (!point_) {
    IConnectionPointContainer* container = nullptr;
    if (FAILED(dispatch_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) {
      throw host::HostError(host::kErrNoSuchMember, "The control raises no events");
    }
    HRESULT hr = container->FindConnectionPoint(DIID_CommandBarButtonEvents, &point_);
    container->Release();
    if (FAILED(hr)) throw host::HostError(ErrorNumber(hr, nullptr), "The control raises no Click event");
    auto* sink = new ClickSink(this);
    hr = point_->Advise(sink, &cookie_);
    if (FAILED(hr)) {
      sink->Release();
      point_->Release();
      point_ = nullptr;
      throw host::HostError(ErrorNumber(hr, nullptr), "The control's Click event cannot be bound");
    }
    sink_ = sink;
  }
  Token t = next_token_++;
  handlers_.emplace(t, std::move(handler));
  return t;
}

void DispatchBridge::RemoveClick(Token token) {
  handlers_.erase(token);
  if (handlers_.empty()) Unadvise();
}

void DispatchBridge::Unadvise() {
  if (point_) {
    point_->Unadvise(cookie_);
    point_->Release();
    point_ = nullptr;
  }
  if (sink_) {
    static_cast<ClickSink*>(sink_)->Detach();
    sink_->Release();
    sink_ = nullptr;
  }
}

void DispatchBridge::Click() { call("Execute"); }

void DispatchBridge::RaiseClick() {
  // A handler may unbind itself; walk a copy.
  std::vector<Handler> now;
  for (auto& [t, h] : handlers_) now.push_back(h);
  for (auto& h : now) h();
}

host::ObjectPtr BridgeFor(IDispatch* dispatch) {
  if (!dispatch) return nullptr;
  if (host::ObjectPtr ours = AdaptedObject(dispatch)) return ours;
  return std::make_shared<DispatchBridge>(dispatch);
}

}  // namespace tarnwell::win32
