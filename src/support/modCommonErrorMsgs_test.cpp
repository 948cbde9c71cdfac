#include <gtest/gtest.h>

#include "host/host_error.h"
#include "platform/fakes.h"
#include "support/modCommonErrorMsgs.h"

namespace tarnwell::support {
namespace {

TEST(ErrorMsg, ShowsNumberBlankDescriptionUnderTheDefaultTitleOrTheCallers) {
  platform::FakePlatform fake;
  ErrInfo err = ErrInfo::From(host::HostError(host::kErrObjectNotSet, "Object variable not set"));
  fncShowErrorMsg(fake.ui, "", err);
  ASSERT_EQ(fake.ui.shown.size(), 1u);
  EXPECT_EQ(fake.ui.shown[0].title, "Quillon Tarnwell");
  EXPECT_EQ(fake.ui.shown[0].text, "Error: 91 Object variable not set");
  EXPECT_EQ(fake.ui.shown[0].icon, platform::Icon::None);
  EXPECT_EQ(fake.ui.shown[0].buttons, platform::Buttons::OK);
  // No error pending, and a title of the caller's.
  fncShowErrorMsg(fake.ui, "", ErrInfo{});
  fncShowErrorMsg(fake.ui, "Copy", ErrInfo{-2147417851, "x"});
  ASSERT_EQ(fake.ui.shown.size(), 3u);
  EXPECT_EQ(fake.ui.shown[1].text, "Error: 0 ");
  EXPECT_EQ(fake.ui.shown[2].title, "Copy");
  EXPECT_EQ(fake.ui.shown[2].text, "Error: -2147417851 x");
}

}  // namespace
}  // namespace tarnwell::support
