#pragma once
// The "current error" that VB code reads from Err, and statement-by-statement
// error skipping for the handlers that ignore errors one statement at a time.

#include <cstdint>
#include <string>

#include "host/host_error.h"

namespace tarnwell::support {

struct ErrInfo {
  int32_t number = 0;
  std::string description;
  static ErrInfo From(const host::HostError& e) { return {e.number(), e.description()}; }
};

// Runs one statement; a HostError it raises is recorded in *last (when given)
// and otherwise ignored. Returns true when the statement completed.
template <class F>
bool SkipErrors(F&& statement, ErrInfo* last = nullptr) {
  try {
    statement();
    return true;
  } catch (const host::HostError& e) {
    if (last) *last = ErrInfo::From(e);
    return false;
  }
}

}  // namespace tarnwell::support
