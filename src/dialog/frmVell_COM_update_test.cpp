#include "dialog/frmVell_COM.h"

#include <algorithm>

#include "engine/test_support.h"
#include "platform/fakes.h"
#include "support/globals.h"

namespace tarnwell::dialog {
namespace {

namespace fs = std::filesystem;
using platform::Answer;

class WordAddIn : public VellAddIn {
 public:
  host::ObjectPtr app;
  host::ObjectPtr wdAppConnect() const override { return app; }
};

class UpdateTest : public engine::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    support::ResetGlobals();
    fs::create_directories(dir_ / "docs");
    fake_.folders.folders[platform::kCsidlPersonal] = (dir_ / "docs").string();
    fs::copy_file(WriteWithNumbering("n.dotm", engine::testing::kHeadingStyles, engine::testing::kHeadingNumbering),
                  options_.normal_template);
    target_ = Word().GetDocuments().Open(WriteWithStyles("t.docx", ""));
    addin_.app = Word().obj();
    form_.SetVellAddIn(&addin_);
    form_.Load();
  }
  void TearDown() override {
    support::ResetGlobals();
    EngineTest::TearDown();
  }
  void ChooseTarget(const std::string& name) {
    for (int32_t i = 0; i < form_.lstTargetDocs.ListCount(); ++i) {
      if (DocEntryName(form_.lstTargetDocs.List(i)) == name) form_.lstTargetDocs.SetListIndex(i);
    }
    form_.lstTargetDocs_Click();
  }
  std::string LinkedTemplate() {
    host::Value lt = target_.GetStyles().Item("Heading 1").ref().get("ListTemplate");
    return lt.is_object() ? lt.as_object()->get("Name").as_string() : "";
  }

  platform::FakePlatform fake_;
  WordAddIn addin_;
  platform::Platform platform_ = fake_.platform();
  frmVell_COM form_{platform_};
  host::Document target_;
};

TEST_F(UpdateTest, RefusesTheNormalTemplateSilentlyAndAsksForATarget) {
  ChooseTarget(kNormalTemplateEntryName);
  form_.cmdUpdate_Click();
  EXPECT_TRUE(fake_.ui.shown.empty());
  EXPECT_TRUE(form_.Visible());

  form_.lstTargetDocs.SetListIndex(-1);
  form_.cmdCancel.enabled = false;
  form_.cmdUpdate_Click();
  ASSERT_EQ(fake_.ui.shown.size(), 1u);
  EXPECT_EQ(fake_.ui.shown[0].text, "What document are you updating?");
  EXPECT_TRUE(form_.cmdCancel.enabled);
  EXPECT_TRUE(form_.Visible());
}

TEST_F(UpdateTest, CancelChangesNothingAndOKCopiesStylesAndNumbering) {
  ChooseTarget("t.docx");
  fake_.ui.answers = {Answer::Cancel};
  form_.cmdUpdate_Click();
  EXPECT_TRUE(form_.Visible());
  EXPECT_EQ(LinkedTemplate(), "");

  form_.cmdUpdate_Click();
  EXPECT_EQ(LinkedTemplate(), "Headings");
  EXPECT_FALSE(form_.Visible());
  EXPECT_EQ(form_.Tag, "OK");
  EXPECT_EQ(form_.UpdateError(), 0);
  EXPECT_EQ(fake_.ui.shown.back().title, "Update from Normal.dot complete");
  EXPECT_EQ(fake_.ui.shown.back().text, "Styles and numbering in t.docx have been updated.");
  EXPECT_NE(std::find(fake_.ui.statuses.begin(), fake_.ui.statuses.end(), "Copying list template:  Headings"),
            fake_.ui.statuses.end());
  EXPECT_TRUE(form_.cmdCopy.enabled && form_.lstTargetDocs.enabled);
}

TEST_F(UpdateTest, AFailureIsReportedAndTheDialogStillCloses) {
  ChooseTarget("t.docx");
  options_.faults->fail("Document.CopyStylesFromTemplate", 1, host::kErrCommandFailed);
  form_.cmdUpdate_Click();
  EXPECT_EQ(form_.UpdateError(), host::kErrCommandFailed);
  EXPECT_EQ(fake_.ui.shown.back().title, "Error: Update from Normal");
  EXPECT_FALSE(form_.Visible());
  EXPECT_TRUE(form_.cmdCancel.enabled);
}

}  // namespace
}  // namespace tarnwell::dialog
