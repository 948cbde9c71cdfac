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

TEST(FakeUi, FileDialogCancelsWhenQueueIsEmptyOrAnswerBlank) {
  FakeUi ui;
  ui.file_answers = {"/tmp/a.doc", ""};
  SaveAsRequest request;
  request.title = "Save";
  request.flags = 4;
  auto first = ui.FileDialog(request);
  EXPECT_TRUE(first.ok);
  EXPECT_EQ(first.path, "/tmp/a.doc");
  EXPECT_FALSE(ui.FileDialog(request).ok);
  EXPECT_FALSE(ui.FileDialog(request).ok);
  EXPECT_EQ(ui.file_requests.size(), 3u);
}

TEST(FakeFiles, UndeletableFileStaysListedAndACopyNeedsASource) {
  FakeFiles files;
  files.AddFile("C:\\Temp\\", FileEntry{"~wrs0001.tmp", false, false, 10, {}});
  files.AddFile("C:\\Temp\\", FileEntry{"~wrc0002.tmp", false, false, 20, {}});
  files.undeletable.insert("C:\\Temp\\~wrs0001.tmp");

  EXPECT_FALSE(files.Delete("C:\\Temp\\~wrs0001.tmp"));
  EXPECT_TRUE(files.Delete("C:\\Temp\\~wrc0002.tmp"));
  EXPECT_FALSE(files.Delete("C:\\Temp\\~wrc0002.tmp"));  // already gone
  EXPECT_FALSE(files.Delete("C:\\Elsewhere\\x.tmp"));

  const auto left = files.List("C:\\Temp\\");
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].name, "~wrs0001.tmp");
  EXPECT_EQ(files.deleted, std::vector<std::string>{"C:\\Temp\\~wrc0002.tmp"});

  // A copy needs a source and adds the target.
  files.AddFile("/opt/tarnwell/", FileEntry{"Tarnwell.doc", false, false, 1234, {}});
  EXPECT_FALSE(files.Copy("/opt/tarnwell/missing.doc", "/home/u/x.doc"));
  EXPECT_TRUE(files.Copy("/opt/tarnwell/Tarnwell.doc", "/home/u/TARNWELLTEMPDOC.doc"));
  EXPECT_TRUE(files.Exists("/home/u/TARNWELLTEMPDOC.doc"));
  EXPECT_TRUE(files.Exists("/home/u/"));
  EXPECT_FALSE(files.Exists("/home/u/x.doc"));
  ASSERT_EQ(files.List("/home/u/").size(), 1u);
  EXPECT_EQ(files.List("/home/u/")[0].size, 1234u);
  ASSERT_EQ(files.copied.size(), 1u);
  EXPECT_EQ(files.copied[0].second, "/home/u/TARNWELLTEMPDOC.doc");
}

}  // namespace
}  // namespace tarnwell::platform
