#include <gtest/gtest.h>

#include "host/host_error.h"
#include "platform/fakes.h"
#include "support/modCommonErrorMsgs.h"

namespace tarnwell::support {
namespace {

class ErrorMsgTest : public ::testing::Test {
 protected:
  platform::FakePlatform fake;
};

TEST_F(ErrorMsgTest, ErrorMessageShowsNumberBlankDescriptionUnderTheDefaultTitle) {
  ErrInfo err = ErrInfo::From(host::HostError(host::kErrObjectNotSet, "Object variable not set"));
  fncShowErrorMsg(fake.ui, "", err);
  ASSERT_EQ(fake.ui.shown.size(), 1u);
  EXPECT_EQ(fake.ui.shown[0].title, "Quillon Tarnwell");
  EXPECT_EQ(fake.ui.shown[0].text, "Error: 91 Object variable not set");
  EXPECT_EQ(fake.ui.shown[0].icon, platform::Icon::None);
  EXPECT_EQ(fake.ui.shown[0].buttons, platform::Buttons::OK);
}

TEST_F(ErrorMsgTest, ErrorMessageWithNoErrorPendingAndWithATitle) {
  fncShowErrorMsg(fake.ui, "", ErrInfo{});
  fncShowErrorMsg(fake.ui, "Copy", ErrInfo{-2147417851, "x"});
  ASSERT_EQ(fake.ui.shown.size(), 2u);
  EXPECT_EQ(fake.ui.shown[0].text, "Error: 0 ");
  EXPECT_EQ(fake.ui.shown[1].title, "Copy");
  EXPECT_EQ(fake.ui.shown[1].text, "Error: -2147417851 x");
}

}  // namespace
}  // namespace tarnwell::support
