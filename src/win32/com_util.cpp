#include "win32/com_util.h"

#include <cstring>

#include "win32/dispatch_bridge.h"
#include "win32/object_dispatch.h"

namespace tarnwell::win32 {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr, nullptr);
  return out;
}

UniqueBstr::UniqueBstr(std::string_view utf8) {
  std::wstring w = Widen(utf8);
  b_ = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
  if (!b_) throw std::bad_alloc();
}

SAFEARRAY* ToSafeArray(const host::Array& array) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(array.items.size()), array.lower_bound};
  UniqueSafeArray sa(SafeArrayCreate(VT_VARIANT, 1, &bound));
  if (!sa.get()) throw std::bad_alloc();
  for (size_t i = 0; i < array.items.size(); ++i) {
    UniqueVariant v;
    ToVariant(array.items[i], v.get());
    LONG index = array.lower_bound + static_cast<LONG>(i);
    HRESULT hr = SafeArrayPutElement(sa.get(), &index, v.get());  // copies
    if (FAILED(hr)) throw host::HostError(ErrorNumber(hr, nullptr), "Cannot fill an array");
  }
  return sa.release();
}

namespace {

// The size of one element of a plain type, as a SAFEARRAY stores it; 0 for
// the types read no other way than through a VARIANT.
size_t PlainElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
      return 8;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return sizeof(void*);
    default:
      return 0;
  }
}

}  // namespace

host::Array FromSafeArray(const SAFEARRAY* array, VARTYPE element_type) {
  host::Array out;
  if (!array) return out;
  auto* sa = const_cast<SAFEARRAY*>(array);
  if (SafeArrayGetDim(sa) != 1) throw host::HostError(host::kErrTypeMismatch, "Type mismatch");
  VARTYPE vt = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(sa, &vt)) || vt == VT_EMPTY) vt = element_type;
  const size_t size = SafeArrayGetElemsize(sa);
  const bool variants = vt == VT_VARIANT;
  if (size != (variants ? sizeof(VARIANT) : PlainElementSize(vt)) || size == 0) {
    throw host::HostError(host::kErrTypeMismatch, "Type mismatch");
  }
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(sa, 1, &lower);
  SafeArrayGetUBound(sa, 1, &upper);
  out.lower_bound = lower;
  void* data = nullptr;
  HRESULT hr = SafeArrayAccessData(sa, &data);
  if (FAILED(hr)) throw host::HostError(ErrorNumber(hr, nullptr), "Cannot read an array");
  struct Unaccess {
    SAFEARRAY* sa;
    ~Unaccess() { SafeArrayUnaccessData(sa); }
  } unaccess{sa};
  const auto* element = static_cast<const unsigned char*>(data);
  for (LONG i = lower; i <= upper; ++i, element += size) {
    if (variants) {
      out.items.push_back(FromVariant(*reinterpret_cast<const VARIANT*>(element)));
      continue;
    }
    // A borrowed view of the element, never cleared: the array keeps it.
    VARIANT view;
    VariantInit(&view);
    view.vt = vt;
    std::memcpy(&view.llVal, element, size);
    out.items.push_back(FromVariant(view));
  }
  return out;
}

void ToVariant(const host::Value& value, VARIANT* out) {
  VariantClear(out);
  using K = host::Value::Kind;
  switch (value.kind()) {
    case K::Empty:
      out->vt = VT_EMPTY;
      break;
    case K::Null:
      out->vt = VT_NULL;
      break;
    case K::Missing:
      // What COM callers pass for an omitted optional argument.
      out->vt = VT_ERROR;
      out->scode = DISP_E_PARAMNOTFOUND;
      break;
    case K::Bool:
      out->vt = VT_BOOL;
      out->boolVal = value.as_bool() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case K::Int:
      out->vt = VT_I4;
      out->lVal = value.as_int();
      break;
    case K::Double:
      out->vt = VT_R8;
      out->dblVal = value.as_double();
      break;
    case K::String: {
      UniqueBstr b(value.as_string());
      out->vt = VT_BSTR;
      out->bstrVal = b.release();
      break;
    }
    case K::Object: {
      host::ObjectPtr o = value.as_object();
      out->vt = VT_DISPATCH;
      out->pdispVal = o ? DispatchFor(o) : nullptr;
      break;
    }
    case K::Array:
      out->parray = ToSafeArray(value.as_array());
      out->vt = VT_ARRAY | VT_VARIANT;
      break;
  }
}

host::Value FromVariant(const VARIANT& in) {
  if (in.vt & VT_ARRAY) {
    SAFEARRAY* array = (in.vt & VT_BYREF) ? (in.pparray ? *in.pparray : nullptr) : in.parray;
    return host::Value(FromSafeArray(array, in.vt & VT_TYPEMASK));
  }
  UniqueVariant copy;
  const VARIANT* v = &in;
  if (in.vt & VT_BYREF) {
    if (FAILED(VariantCopyInd(copy.get(), const_cast<VARIANT*>(&in)))) {
      throw host::HostError(host::kErrTypeMismatch, "Type mismatch");
    }
    v = copy.get();
  }
  switch (v->vt) {
    case VT_EMPTY:
      return host::Value();
    case VT_NULL:
      return host::Value(host::Null{});
    case VT_ERROR:
      if (v->scode == DISP_E_PARAMNOTFOUND) return host::Value::missing();
      return host::Value(static_cast<int32_t>(v->scode));
    case VT_BOOL:
      return host::Value(v->boolVal != VARIANT_FALSE);
    case VT_BSTR:
      return host::Value(Narrow(std::wstring_view(v->bstrVal ? v->bstrVal : L"", SysStringLen(v->bstrVal))));
    case VT_R4:
      return host::Value(static_cast<double>(v->fltVal));
    case VT_R8:
    case VT_DATE:
      return host::Value(v->dblVal);
    case VT_DISPATCH:
      return host::Value(v->pdispVal ? BridgeFor(v->pdispVal) : host::ObjectPtr());
    case VT_UNKNOWN: {
      if (!v->punkVal) return host::Value(host::ObjectPtr());
      IDispatch* d = nullptr;
      if (FAILED(v->punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)))) {
        throw host::HostError(host::kErrTypeMismatch, "Type mismatch");
      }
      host::ObjectPtr o = BridgeFor(d);
      d->Release();
      return host::Value(o);
    }
    default: {
      // Every other number arrives as a 32-bit whole number, or a double
      // when it does not fit.
      UniqueVariant n;
      if (SUCCEEDED(VariantChangeType(n.get(), const_cast<VARIANT*>(v), 0, VT_I4))) {
        return host::Value(static_cast<int32_t>(n.get()->lVal));
      }
      if (SUCCEEDED(VariantChangeType(n.get(), const_cast<VARIANT*>(v), 0, VT_R8))) {
        return host::Value(n.get()->dblVal);
      }
      throw host::HostError(host::kErrTypeMismatch, "Type mismatch");
    }
  }
}

namespace {

struct VbNumber {
  HRESULT hr;
  int32_t number;
};

constexpr VbNumber kVbNumbers[] = {
    {E_OUTOFMEMORY, host::kErrOutOfMemory},
    {DISP_E_MEMBERNOTFOUND, host::kErrNoSuchMember},
    {DISP_E_UNKNOWNNAME, host::kErrNoSuchMember},
    {DISP_E_TYPEMISMATCH, host::kErrTypeMismatch},
    {DISP_E_PARAMNOTOPTIONAL, host::kErrArgumentNotOptional},
    {DISP_E_BADPARAMCOUNT, 450},  // wrong number of arguments
};

}  // namespace

int32_t ErrorNumber(HRESULT hr, const EXCEPINFO* info) {
  if (hr == DISP_E_EXCEPTION && info) {
    if (info->wCode != 0) return info->wCode;
    if (info->scode != 0) hr = info->scode;
  }
  for (const VbNumber& vb : kVbNumbers) {
    if (vb.hr == hr) return vb.number;
  }
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
  return static_cast<int32_t>(hr);
}

HRESULT ErrorHresult(int32_t number) {
  if (number > 0 && number <= 0xFFFF) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
  if (number < 0) return static_cast<HRESULT>(number);
  return E_FAIL;
}

void FillExcepInfo(EXCEPINFO* info, int32_t number, const std::string& description) {
  *info = EXCEPINFO{};
  // VB's numbers travel as wCode; anything else as the HRESULT itself.
  if (number > 0 && number <= 0xFFFF) {
    info->wCode = static_cast<WORD>(number);
  } else {
    info->scode = ErrorHresult(number);
  }
  UniqueBstr source("Tarnwell");
  UniqueBstr text(description);
  info->bstrSource = source.release();
  info->bstrDescription = text.release();
}

}  // namespace tarnwell::win32
