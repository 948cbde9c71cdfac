// The bridge both ways: host::Object -> IDispatch (our adapter) -> host::Object
// (the bridge), with Word's numbers surviving the trip.
#include "win32/platform_win32.h"

#include "win32/com_util.h"
#include "win32/dispatch_bridge.h"
#include "win32/fake_word_test.h"
#include "win32/object_dispatch.h"
#include "win32/test_runner.h"

namespace tarnwell::win32 {
namespace {

// Records what reaches it; raises what it is told to.
class Recorder : public host::DispatchObject {
 public:
  Recorder() : DispatchObject("Recorder") {
    method("Echo", [this](const host::Args& a) {
      last_args = a;
      return a.empty() ? host::Value() : a[0];
    });
    property("Caption", [this](const host::Args& a) {
      last_args = a;
      return host::Value(caption);
    }, [this](const host::Value& v, const host::Args& a) {
      last_args = a;
      caption = v.as_string();
    });
    method("Fail", [](const host::Args& a) -> host::Value {
      throw host::HostError(host::arg(a, 0).as_int(), "planned");
    });
  }
  host::Args last_args;
  std::string caption;
};

// The bridge over our adapter, never short-cut to the object itself, so
// every call crosses IDispatch.
std::shared_ptr<DispatchBridge> Bridged(const host::ObjectPtr& o) {
  IDispatch* d = DispatchFor(o);
  auto b = std::make_shared<DispatchBridge>(d);
  d->Release();
  return b;
}

TW_TEST(BridgeCarriesEveryKindOfValueBothWays) {
  auto rec = std::make_shared<Recorder>();
  auto b = Bridged(rec);
  b->call("echo", {int32_t{1}, "two \xE2\x82\xAC", 3.5, true, host::Value::missing(), host::Value(host::Null{})});
  TW_CHECK_EQ(rec->last_args.size(), size_t{6});
  TW_CHECK(rec->last_args[0] == host::Value(int32_t{1}));
  TW_CHECK(rec->last_args[1] == host::Value("two \xE2\x82\xAC"));  // UTF-8 survives UTF-16
  TW_CHECK(rec->last_args[2] == host::Value(3.5));
  TW_CHECK(rec->last_args[3] == host::Value(true));
  TW_CHECK(rec->last_args[4].is_missing());  // omitted: VT_ERROR / DISP_E_PARAMNOTFOUND
  TW_CHECK(rec->last_args[5].is_null());

  b->put("Caption", "&Tarnwell", {int32_t{7}});
  TW_CHECK_EQ(rec->caption, std::string("&Tarnwell"));
  TW_CHECK_EQ(rec->last_args.size(), size_t{1});
  TW_CHECK(rec->last_args[0] == host::Value(int32_t{7}));
  TW_CHECK_EQ(b->get("CAPTION").as_string(), std::string("&Tarnwell"));

  // Arrays with their lower bound; objects as themselves.
  host::Array one_based{1, {host::Value(int32_t{2}), host::Value("x")}};
  TW_CHECK(b->call("Echo", {one_based}).as_array() == one_based);
  TW_CHECK(b->call("Echo", {host::Array{}}).as_array().items.empty());
  TW_CHECK(b->call("Echo", {host::Value(host::ObjectPtr(rec))}).as_object() == host::ObjectPtr(rec));
  TW_CHECK(b->call("Echo", {host::Value(host::ObjectPtr())}).as_object() == nullptr);
}

TW_TEST(BridgeRaisesWordNumbersFromExcepInfo) {
  auto b = Bridged(std::make_shared<Recorder>());
  for (int32_t n : {host::kErrNoSuchCollectionMember, host::kErrStyleNameInUse, host::kErrServerFault,
                    host::kErrWordAutomation}) {
    TW_CHECK_RAISES(b->call("Fail", {n}), n);
  }
  TW_CHECK_RAISES(b->call("NoSuchMember"), host::kErrNoSuchMember);
}

// A foreign IDispatch that fails as Word does: a plain HRESULT, or
// DISP_E_EXCEPTION with its EXCEPINFO filled in at once or on request.
EXCEPINFO g_deferred{};
HRESULT STDAPICALLTYPE FillInLater(EXCEPINFO* info) {
  *info = g_deferred;
  return S_OK;
}

class Failing : public IDispatch {
 public:
  HRESULT hr = S_OK;
  EXCEPINFO info{};
  bool deferred = false;
  bool out_of_memory = false;  // an allocation fails while the call is under way
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) override {
    ids[0] = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO* out, UINT*) override {
    if (out_of_memory) throw std::bad_alloc();
    if (hr == DISP_E_EXCEPTION && out) {
      *out = EXCEPINFO{};
      g_deferred = info;
      if (deferred) {
        out->pfnDeferredFillIn = FillInLater;
      } else {
        *out = info;
      }
    }
    return hr;
  }
  virtual ~Failing() = default;
};

TW_TEST(WordsFailuresBecomeTheNumbersVisualBasicGives) {
  constexpr HRESULT kControl5174 = static_cast<HRESULT>(0x800A1436);  // a control's code for Word's 5174
  struct Case {
    HRESULT hr;
    WORD wcode;
    HRESULT scode;
    bool deferred;
    int32_t number;
  };
  const Case cases[] = {
      {DISP_E_EXCEPTION, 0, kControl5174, false, 5174},
      {DISP_E_EXCEPTION, 4198, 0, false, host::kErrWordBuffersFull},
      {DISP_E_EXCEPTION, 4198, 0, true, host::kErrWordBuffersFull},
      {DISP_E_EXCEPTION, 0, E_OUTOFMEMORY, true, host::kErrOutOfMemory},
      // Nothing filled in: still a failure, never 0.
      {DISP_E_EXCEPTION, 0, 0, true, static_cast<int32_t>(DISP_E_EXCEPTION)},
      {DISP_E_EXCEPTION, 0, 0, false, static_cast<int32_t>(DISP_E_EXCEPTION)},
      {E_OUTOFMEMORY, 0, 0, false, host::kErrOutOfMemory},
      {DISP_E_MEMBERNOTFOUND, 0, 0, false, host::kErrNoSuchMember},
      {DISP_E_TYPEMISMATCH, 0, 0, false, host::kErrTypeMismatch},
      {DISP_E_PARAMNOTOPTIONAL, 0, 0, false, 449},
      {DISP_E_BADPARAMCOUNT, 0, 0, false, 450},
      {static_cast<HRESULT>(0x80010105), 0, 0, false, host::kErrServerFault},  // RPC_E_SERVERFAULT
      {static_cast<HRESULT>(0x800A01B6), 0, 0, false, host::kErrNoSuchMember},  // FACILITY_CONTROL 438
  };
  Failing f;
  DispatchBridge b(&f);
  for (const Case& c : cases) {
    f.hr = c.hr;
    f.deferred = c.deferred;
    f.info = EXCEPINFO{};
    f.info.wCode = c.wcode;
    f.info.scode = c.scode;
    f.info.bstrDescription = SysAllocString(L"planned");  // the bridge frees it
    TW_CHECK_RAISES(b.call("Open"), c.number);
    if (c.hr != DISP_E_EXCEPTION) SysFreeString(f.info.bstrDescription);
  }
  f.hr = S_OK;
  f.out_of_memory = true;
  TW_CHECK_RAISES(b.put("Caption", "x"), host::kErrOutOfMemory);
}

TW_TEST(ArraysAreReadByTheirDeclaredTypeWhenTheyRecordNone) {
  VARIANT two, text;
  VariantInit(&two);
  two.vt = VT_I4;
  two.lVal = 2;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"x");
  UniqueSafeArray untyped(testing::UntypedVariants({two, text}));
  host::Array read = FromSafeArray(untyped.get(), VT_VARIANT);
  TW_CHECK(read == (host::Array{0, {host::Value(int32_t{2}), host::Value("x")}}));
  // Declared as something else, the element size gives it away.
  TW_CHECK_RAISES(FromSafeArray(untyped.get(), VT_BSTR), host::kErrTypeMismatch);
  SysFreeString(text.bstrVal);  // the array does not own what it holds
}

TW_TEST(EveryAdapterAndSinkCountsWhileItLives) {
  const long before = LiveComObjects();
  {
    auto button = std::make_shared<testing::FakeButton>();
    auto bridge = Bridged(button);
    TW_CHECK_EQ(LiveComObjects().load(), before + 1);  // the adapter
    int clicks = 0;
    auto token = bridge->OnClick([&clicks] { ++clicks; });
    TW_CHECK_EQ(LiveComObjects().load(), before + 3);  // and the connection point and the sink
    button->Click();
    TW_CHECK_EQ(clicks, 1);
    bridge->RemoveClick(token);
    TW_CHECK_EQ(LiveComObjects().load(), before + 1);
  }
  TW_CHECK_EQ(LiveComObjects().load(), before);
}

TW_TEST(ErrorNumbersRoundTripThroughHresults) {
  for (int32_t n : {5, 438, 5941, 65535, -2147467259, -2147417851}) {
    TW_CHECK_EQ(ErrorNumber(ErrorHresult(n), nullptr), n);
  }
}

}  // namespace
}  // namespace tarnwell::win32
