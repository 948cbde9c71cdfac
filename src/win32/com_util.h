#pragma once
// What the COM boundary needs on our side of it: UTF-8 <-> UTF-16, owners
// for BSTR/VARIANT/SAFEARRAY, host::Value <-> VARIANT, and the one place
// where exceptions become HRESULTs.

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/host_error.h"
#include "host/value.h"

namespace tarnwell::win32 {

// How many COM objects of this module are alive: the module may not be
// unloaded while anyone can still call into one.
inline std::atomic<long>& LiveComObjects() {
  static std::atomic<long> live{0};
  return live;
}

// AddRef and Release for an object on one or more COM interfaces: it starts
// with one reference and deletes itself when the last goes.
template <class... Interfaces>
class RefCounted : public Interfaces... {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

 protected:
  RefCounted() { ++LiveComObjects(); }
  virtual ~RefCounted() { --LiveComObjects(); }

 private:
  std::atomic<ULONG> refs_{1};
};

// An IDispatch object that offers no type library, as late binding wants.
template <class Dispatch, class... Others>
class UntypedDispatch : public RefCounted<Dispatch, Others...> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (!n) return E_POINTER;
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
};

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(std::string_view utf8);
  ~UniqueBstr() { SysFreeString(b_); }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  BSTR get() const { return b_; }
  BSTR* put() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  BSTR release() {
    BSTR b = b_;
    b_ = nullptr;
    return b;
  }

 private:
  BSTR b_ = nullptr;
};

class UniqueVariant {
 public:
  UniqueVariant() { VariantInit(&v_); }
  ~UniqueVariant() { VariantClear(&v_); }
  UniqueVariant(UniqueVariant&& o) noexcept {
    v_ = o.v_;
    VariantInit(&o.v_);
  }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  VARIANT* get() { return &v_; }
  const VARIANT* get() const { return &v_; }
  void reset() { VariantClear(&v_); }

 private:
  VARIANT v_;
};

class UniqueSafeArray {
 public:
  explicit UniqueSafeArray(SAFEARRAY* a = nullptr) : a_(a) {}
  ~UniqueSafeArray() {
    if (a_) SafeArrayDestroy(a_);
  }
  UniqueSafeArray(const UniqueSafeArray&) = delete;
  UniqueSafeArray& operator=(const UniqueSafeArray&) = delete;
  SAFEARRAY* get() const { return a_; }
  SAFEARRAY* release() {
    SAFEARRAY* a = a_;
    a_ = nullptr;
    return a;
  }

 private:
  SAFEARRAY* a_;
};

// A VB-style one-dimensional SAFEARRAY of VARIANTs from a host::Array, and back.
// An array that records no element type of its own holds element_type, the
// type its interface declares. Elements are read in place: nothing the
// array owns is copied, freed or kept.
SAFEARRAY* ToSafeArray(const host::Array& array);
host::Array FromSafeArray(const SAFEARRAY* array, VARTYPE element_type);

// Fills an initialised VARIANT (the caller owns and clears it). Objects are
// handed over as IDispatch: a bridged Word object as its own IDispatch, any
// other host::Object through an adapter.
void ToVariant(const host::Value& value, VARIANT* out);
// Reads a VARIANT, following VT_BYREF. Unknown types raise 13.
host::Value FromVariant(const VARIANT& v);

// Word's error number for a failed call, as Visual Basic reports it: the
// code of EXCEPINFO (wCode, else its scode), the code of a FACILITY_CONTROL
// HRESULT, VB's number for the common automation failures (out of memory 7,
// no such member 438, type mismatch 13, argument not optional 449, wrong
// number of arguments 450), else the HRESULT itself as a signed number. An
// EXCEPINFO whose codes stay 0 leaves DISP_E_EXCEPTION: never 0, which
// would read as success.
int32_t ErrorNumber(HRESULT hr, const EXCEPINFO* info);
// The HRESULT that carries a Word error number back through COM.
HRESULT ErrorHresult(int32_t number);

// Runs body and turns anything it throws into an HRESULT, so nothing crosses
// a COM boundary. A HostError fills info when given.
template <class F>
HRESULT Guarded(F&& body, EXCEPINFO* info = nullptr) noexcept;

void FillExcepInfo(EXCEPINFO* info, int32_t number, const std::string& description);

template <class F>
HRESULT Guarded(F&& body, EXCEPINFO* info) noexcept {
  try {
    return body();
  } catch (const host::HostError& e) {
    try {
      if (info) FillExcepInfo(info, e.number(), e.description());
    } catch (...) {
    }
    return info ? DISP_E_EXCEPTION : ErrorHresult(e.number());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace tarnwell::win32
