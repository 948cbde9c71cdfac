#pragma once
// The add-in host's connection interface, declared from its public
// description: a dual interface on IDispatch with five methods, DISPIDs 1 to 5
// in this order, each taking the host's custom() array by reference.

#include <windows.h>
#include <oaidl.h>

namespace tarnwell::win32 {

// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr IID IID_IDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

enum : DISPID {
  kDispidOnConnection = 1,
  kDispidOnDisconnection = 2,
  kDispidOnAddInsUpdate = 3,
  kDispidOnStartupComplete = 4,
  kDispidOnBeginShutdown = 5,
};

struct IDTExtensibility2 : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, int ConnectMode, IDispatch* AddInInst,
                                                 SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDisconnection(int RemoveMode, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

// The add-in's class, VellDLLCOM.Connect.
// {C3CE3017-9A17-4EAD-8023-E14FDCD71B3B}
inline constexpr CLSID CLSID_VellConnect = {
    0xC3CE3017, 0x9A17, 0x4EAD, {0x80, 0x23, 0xE1, 0x4F, 0xDC, 0xD7, 0x1B, 0x3B}};
inline constexpr const wchar_t* kProgId = L"VellDLLCOM.Connect";
inline constexpr const wchar_t* kClsidText = L"{C3CE3017-9A17-4EAD-8023-E14FDCD71B3B}";
inline constexpr const wchar_t* kWordAddInKey = L"SOFTWARE\\Microsoft\\Office\\Word\\Addins\\VellDLLCOM.Connect";
inline constexpr const wchar_t* kFriendlyName = L"Quillon Tarnwell";
inline constexpr const wchar_t* kDescription = L"Quillon Tarnwell COM add-in";
inline constexpr DWORD kLoadBehavior = 3;  // load at start-up, connected

}  // namespace tarnwell::win32
