#include "platform/fakes.h"

#include <gtest/gtest.h>

namespace tarnwell::platform {
namespace {

TEST(FakeUi, AnswersInTurnThenFirstButtonOfEachBox) {
  FakeUi ui;
  ui.answers = {Answer::No, Answer::Cancel};
  EXPECT_EQ(ui.MessageBox("t", "one", Icon::Question, Buttons::YesNo), Answer::No);
  EXPECT_EQ(ui.MessageBox("t", "two", Icon::Question, Buttons::YesNoCancel), Answer::Cancel);
  EXPECT_EQ(ui.MessageBox("t", "three", Icon::Question, Buttons::YesNoCancel), Answer::Yes);
  EXPECT_EQ(ui.MessageBox("t", "four", Icon::Critical, Buttons::AbortRetryIgnore), Answer::Abort);
  EXPECT_EQ(ui.MessageBox("t", "five", Icon::Critical, Buttons::RetryCancel), Answer::Retry);
  EXPECT_EQ(ui.MessageBox("t", "six", Icon::None, Buttons::OKCancel), Answer::OK);
  ASSERT_EQ(ui.shown.size(), 6u);
  EXPECT_EQ(ui.shown[1].text, "two");
  EXPECT_EQ(ui.shown[1].answer, Answer::Cancel);
  EXPECT_EQ(ui.shown[3].icon, Icon::Critical);
  EXPECT_EQ(ui.shown[3].buttons, Buttons::AbortRetryIgnore);
  // Text is measured in characters, not bytes.
  EXPECT_EQ(ui.TextWidth("Heading 1"), 9);
  EXPECT_EQ(ui.TextWidth("\xC3\xA9t\xC3\xA9"), 3);  // "été"
  EXPECT_EQ(ui.TextWidth(""), 0);
}

class ScriptedDialog : public ModalDialog {
 public:
  bool hide_on_load = false;
  bool visible = false;
  int loads = 0;
  void Load() override {
    ++loads;
    visible = !hide_on_load;
  }
  bool Visible() const override { return visible; }
};

TEST(FakeUi, ShowModalLoadsThenLetsTheUserActOnlyWhileVisible) {
  FakeUi ui;
  int acted = 0;
  ui.user = [&](ModalDialog& d) {
    EXPECT_TRUE(d.Visible());
    ++acted;
  };
  ScriptedDialog shown;
  ui.ShowModal(shown);
  EXPECT_EQ(shown.loads, 1);
  EXPECT_EQ(acted, 1);

  ScriptedDialog refused;
  refused.hide_on_load = true;
  ui.ShowModal(refused);
  EXPECT_EQ(refused.loads, 1);
  EXPECT_EQ(acted, 1);
  EXPECT_EQ(ui.modal_showings, 2);
}

}  // namespace
}  // namespace tarnwell::platform
