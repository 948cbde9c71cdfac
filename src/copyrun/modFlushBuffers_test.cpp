#include "copyrun/modFlushBuffers.h"

#include <gtest/gtest.h>

#include <memory>

#include "copyrun/modSetWaitableTimer.h"
#include "host/object.h"
#include "platform/fakes.h"

namespace tarnwell::copyrun {
namespace {

// Records Word calls into the same log as the clock, so the order of host
// calls and pacing events is one sequence.
class LoggingObject : public host::Object {
 public:
  explicit LoggingObject(std::vector<std::string>& log) : log_(log) {}
  host::Value get(std::string_view name, const host::Args&) override {
    log_.push_back("get " + std::string(name));
    return host::Value(updating_);
  }
  void put(std::string_view name, const host::Value& v, const host::Args&) override {
    if (name == "ScreenUpdating") updating_ = v.as_bool();
    log_.push_back("put " + std::string(name) + "=" + (v.as_bool() ? "true" : "false"));
  }
  host::Value call(std::string_view name, const host::Args&) override {
    log_.push_back(std::string(name));
    return host::Value();
  }
  bool updating_ = false;

 private:
  std::vector<std::string>& log_;
};

// Screen updating stays on, or ends off, around the Word calls and the pacing.
TEST(Flush, PacesAroundTheWordCallsWithTheScreenOnOrOff) {
  using Strings = std::vector<std::string>;
  for (bool screen_off : {false, true}) {
    SCOPED_TRACE(screen_off ? "screen off" : "screen on");
    platform::FakeClock clock;
    auto app = std::make_shared<LoggingObject>(clock.events);
    auto doc = std::make_shared<LoggingObject>(clock.events);
    (screen_off ? FlushWordBuffersScreenOff : FlushWordBuffers)(clock, host::Application(app), host::Document(doc));
    EXPECT_EQ(clock.events, screen_off ? (Strings{"put ScreenUpdating=true", "ScreenRefresh", "put ScreenUpdating=false",
                                                  "sleep 100", "UndoClear", "pump"})
                                       : (Strings{"UndoClear", "put ScreenUpdating=true", "ScreenRefresh", "pump",
                                                  "sleep 50"}));
    EXPECT_EQ(app->updating_, !screen_off);
  }
}

TEST(Wait, GoesToTheClockIncludingZero) {
  platform::FakeClock clock;
  WaitSeconds(clock, 0);
  WaitSeconds(clock, 3);
  EXPECT_EQ(clock.events, (std::vector<std::string>{"wait 0", "wait 3"}));
}

}  // namespace
}  // namespace tarnwell::copyrun
