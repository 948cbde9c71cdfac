#include <gtest/gtest.h>

#include "platform/fakes.h"
#include "support/settings.h"

namespace tarnwell::support {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  platform::FakePlatform fake;
};

TEST_F(SettingsTest, DisplayOnConnectLivesUnderTheAddInTitle) {
  EXPECT_FALSE(GetDisplayOnConnect(fake.settings));
  SaveDisplayOnConnect(fake.settings, true);
  EXPECT_EQ(fake.settings.Get("Quillon Tarnwell", "Settings", "DisplayOnConnect"), "1");
  SaveDisplayOnConnect(fake.settings, false);
  EXPECT_EQ(GetDisplayOnConnect(fake.settings), "0");
}

}  // namespace
}  // namespace tarnwell::support
