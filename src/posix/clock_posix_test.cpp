#include "posix/clock_posix.h"

#include <gtest/gtest.h>

#include "platform/fakes.h"
#include "posix/posix_platform.h"

namespace tarnwell::posix {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(PosixClock, SleepReallyPassesAndNowIsTheSystemTime) {
  PosixClock clock;
  const auto start = steady_clock::now();
  clock.Sleep(30);
  clock.WaitSeconds(0);
  clock.WaitSeconds(-5);
  clock.Sleep(-1);
  const auto spent = steady_clock::now() - start;
  EXPECT_GE(spent, milliseconds(30));
  EXPECT_LT(spent, milliseconds(2000));
  const auto diff = clock.Now() - std::chrono::system_clock::now();
  EXPECT_LT(std::chrono::abs(diff), std::chrono::seconds(1));
}

TEST(NoWaitClock, WaitsReturnAtOnce) {
  NoWaitClock clock;
  const auto start = steady_clock::now();
  clock.WaitSeconds(3);
  clock.Sleep(2000);
  clock.PumpMessages();
  EXPECT_LT(steady_clock::now() - start, milliseconds(500));
}

TEST(PosixPlatform, PacesOnlyWhenAskedAndKeepsTheGivenUi) {
  PosixPlatform posix;
  platform::FakeUi ui;
  auto quick = posix.platform(ui);
  EXPECT_EQ(&quick.clock, static_cast<platform::Clock*>(&posix.no_wait_clock));
  EXPECT_EQ(&quick.ui, static_cast<platform::Ui*>(&ui));
  EXPECT_EQ(&quick.files, static_cast<platform::Files*>(&posix.files));
  posix.real_waits = true;
  EXPECT_EQ(&posix.platform(ui).clock, static_cast<platform::Clock*>(&posix.clock));
}

}  // namespace
}  // namespace tarnwell::posix
