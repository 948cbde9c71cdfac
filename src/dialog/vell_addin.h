#pragma once
// What the main dialog needs from the connection object that opened it.

#include "host/object.h"

namespace tarnwell::dialog {

class VellAddIn {
 public:
  virtual ~VellAddIn() = default;
  // Word's Application handed over at connection (nothing when unset).
  virtual host::ObjectPtr wdAppConnect() const = 0;
};

}  // namespace tarnwell::dialog
