#pragma once
// A command bar control whose clicks reach C++ handlers, as Office raises a
// button's Click event to the objects bound to it. Obtain it from a control
// with std::dynamic_pointer_cast<host::ClickSource>(control).

#include <cstdint>
#include <functional>

namespace tarnwell::host {

class ClickSource {
 public:
  using Handler = std::function<void()>;
  using Token = uint64_t;

  virtual ~ClickSource() = default;
  // Binds a handler; it is called on every click until unbound. The control
  // may outlive whoever bound it (it belongs to the application), so a
  // handler that captures its binder must be unbound before the binder dies.
  virtual Token OnClick(Handler handler) = 0;
  // Unbinding an unknown or already unbound token does nothing.
  virtual void RemoveClick(Token token) = 0;
  // Fires the bound handlers in binding order, as a user's click does.
  virtual void Click() = 0;
};

}  // namespace tarnwell::host
