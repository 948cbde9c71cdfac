#pragma once
// Time and waits on a terminal, where there is no message loop to pump.

#include "platform/system.h"

namespace tarnwell::posix {

// Waits really pass, for pacing a Word that needs it.
class PosixClock : public platform::Clock {
 public:
  std::chrono::system_clock::time_point Now() override;
  void WaitSeconds(int32_t seconds) override;
  void Sleep(int32_t milliseconds) override;
  void PumpMessages() override {}
};

// Waits return at once: the embedded engine has no buffers to drain, so
// pacing it would only make the command slow.
class NoWaitClock : public PosixClock {
 public:
  void WaitSeconds(int32_t) override {}
  void Sleep(int32_t) override {}
};

}  // namespace tarnwell::posix
