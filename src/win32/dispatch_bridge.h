#pragma once
// host::Object over any IDispatch: real Word, or anything that speaks
// late-bound automation. Names are resolved with GetIDsOfNames, arguments go
// reversed, puts name DISPID_PROPERTYPUT, and a failure raises HostError with
// Word's error number.

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <map>
#include <string>

#include "host/click.h"
#include "host/object.h"

namespace tarnwell::win32 {

class DispatchBridge : public host::Object, public host::ClickSource {
 public:
  // Takes its own reference.
  explicit DispatchBridge(IDispatch* dispatch);
  ~DispatchBridge() override;
  DispatchBridge(const DispatchBridge&) = delete;
  DispatchBridge& operator=(const DispatchBridge&) = delete;

  host::Value get(std::string_view name, const host::Args& args = {}) override;
  void put(std::string_view name, const host::Value& value, const host::Args& args = {}) override;
  host::Value call(std::string_view name, const host::Args& args = {}) override;

  // A command bar button's Click event, through a connection point for the
  // button's event interface; bound on the first handler, unbound with the last.
  Token OnClick(Handler handler) override;
  void RemoveClick(Token token) override;
  // Runs the button's own Execute, as a user's click does.
  void Click() override;

  IDispatch* dispatch() const { return dispatch_; }
  // Fires the handlers; the event sink calls it.
  void RaiseClick();

 private:
  DISPID Id(std::string_view name);
  host::Value Invoke(std::string_view name, WORD flags, const host::Args& args, const host::Value* put_value);
  host::Value InvokeOnce(std::string_view name, WORD flags, const host::Args& args, const host::Value* put_value);
  void Unadvise();

  IDispatch* dispatch_;
  std::map<std::string, DISPID, std::less<>> ids_;
  std::map<Token, Handler> handlers_;
  Token next_token_ = 1;
  IDispatch* sink_ = nullptr;
  IConnectionPoint* point_ = nullptr;
  DWORD cookie_ = 0;
};

// A bridge for an IDispatch; our own adapter's IDispatch gives back the
// host::Object it adapts, so objects keep their identity across a round trip.
host::ObjectPtr BridgeFor(IDispatch* dispatch);

// The event interface of an Office command bar button (_CommandBarButtonEvents);
// Click is DISPID 1 with (Ctrl, CancelDefault by reference).
extern const IID DIID_CommandBarButtonEvents;
inline constexpr DISPID kDispidCommandBarButtonClick = 1;

}  // namespace tarnwell::win32
