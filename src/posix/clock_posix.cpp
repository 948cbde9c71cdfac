#include "posix/clock_posix.h"

#include <thread>

namespace tarnwell::posix {

std::chrono::system_clock::time_point PosixClock::Now() { return std::chrono::system_clock::now(); }

void PosixClock::WaitSeconds(int32_t seconds) {
  if (seconds > 0) std::this_thread::sleep_for(std::chrono::seconds(seconds));
}

void PosixClock::Sleep(int32_t milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace tarnwell::posix
