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

class NumberingDialogTest : public engine::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    support::ResetGlobals();
    fs::create_directories(dir_ / "docs");
    fake_.folders.folders[platform::kCsidlPersonal] = (dir_ / "docs").string();
    fs::copy_file(WriteWithNumbering("n.dotm", engine::testing::kHeadingStyles, engine::testing::kHeadingNumbering),
                  options_.normal_template);
    target_ = Word().GetDocuments().Open(WriteWithStyles("t.docx", ""));
  }
  void Start(const std::string& source_numbering = "", const std::string& target_numbering = "") {
    using engine::testing::kHeadingStyles;
    if (!target_numbering.empty()) {
      target_.Close();
      target_ = Word().GetDocuments().Open(WriteWithNumbering("t.docx", kHeadingStyles, target_numbering));
    }
    if (!source_numbering.empty()) {
      source_ = Word().GetDocuments().Open(WriteWithNumbering("s.docx", kHeadingStyles, source_numbering));
    }
    addin_.app = Word().obj();
    form_.SetVellAddIn(&addin_);
    form_.Load();
  }
  void Choose(ListBox& list, const std::string& name) {
    for (int32_t i = 0; i < list.ListCount(); ++i) {
      if (DocEntryName(list.List(i)) == name) list.SetListIndex(i);
    }
  }
  // Copies Heading 1 from s.docx into t.docx as a user would, with the
  // styles it depends on.
  void CopyHeading() {
    fake_.ui.user = [](platform::ModalDialog& shown) {
      if (auto* deps = dynamic_cast<copyrun::frmVellDependencies_COM*>(&shown)) deps->cmdOK_Click();
    };
    Choose(form_.lstSourceDocs, "s.docx");
    form_.lstSourceDocs_Click();
    Choose(form_.lstTargetDocs, "t.docx");
    form_.lstTargetDocs_Click();
    for (int32_t i = 0; i < form_.lstStyles.ListCount(); ++i) {
      if (form_.lstStyles.List(i) == "Heading 1") {
        form_.lstStyles.SetSelected(i, true);
        form_.lstStyles.SetListIndex(i);
      }
    }
    form_.cmdCopy_Click();
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (const auto& shown : fake_.ui.shown) titles.push_back(shown.title);
    return titles;
  }
  void TearDown() override {
    support::ResetGlobals();
    EngineTest::TearDown();
  }
  void ChooseTarget(const std::string& name) {
    Choose(form_.lstTargetDocs, name);
    form_.lstTargetDocs_Click();
  }
  static std::string LinkedTemplate(const host::Document& doc) {
    host::Value lt = doc.GetStyles().Item("Heading 1").ref().get("ListTemplate");
    return lt.is_object() ? lt.as_object()->get("Name").as_string() : "";
  }

  platform::FakePlatform fake_;
  WordAddIn addin_;
  platform::Platform platform_ = fake_.platform();
  frmVell_COM form_{platform_};
  host::Document source_, target_;
};

TEST_F(NumberingDialogTest, UpdateRefusesTheNormalTemplateAsksForATargetAndCopiesOnOK) {
  Start();
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

  // Cancel changes nothing; OK copies styles and numbering.
  ChooseTarget("t.docx");
  fake_.ui.answers = {Answer::Cancel};
  form_.cmdUpdate_Click();
  EXPECT_TRUE(form_.Visible());
  EXPECT_EQ(LinkedTemplate(target_), "");

  form_.cmdUpdate_Click();
  EXPECT_EQ(LinkedTemplate(target_), "Headings");
  EXPECT_FALSE(form_.Visible());
  EXPECT_EQ(form_.Tag, "OK");
  EXPECT_EQ(form_.UpdateError(), 0);
  EXPECT_EQ(fake_.ui.shown.back().title, "Update from Normal.dot complete");
  EXPECT_EQ(fake_.ui.shown.back().text, "Styles and numbering in t.docx have been updated.");
  EXPECT_NE(std::find(fake_.ui.statuses.begin(), fake_.ui.statuses.end(), "Copying list template:  Headings"),
            fake_.ui.statuses.end());
  EXPECT_TRUE(form_.cmdCopy.enabled && form_.lstTargetDocs.enabled);
}

TEST_F(NumberingDialogTest, AFailureIsReportedAndTheDialogStillCloses) {
  Start();
  ChooseTarget("t.docx");
  options_.faults->fail("Document.CopyStylesFromTemplate", 1, host::kErrCommandFailed);
  form_.cmdUpdate_Click();
  EXPECT_EQ(form_.UpdateError(), host::kErrCommandFailed);
  EXPECT_EQ(fake_.ui.shown.back().title, "Error: Update from Normal");
  EXPECT_FALSE(form_.Visible());
  EXPECT_TRUE(form_.cmdCancel.enabled);
}

// The copy run's numbering phases, where its error handler decides.
TEST_F(NumberingDialogTest, CopyAnswersARefusedNameWithAFreshOneForBothTemplates) {
  using engine::testing::kHeadingNumbering;
  using engine::testing::Replace;
  // The source's heading template is unnamed and it has another called
  // "Theirs", the name the target's heading template bears.
  const std::string unnamed = Replace(kHeadingNumbering, "<w:name w:val=\"Headings\"/>", "");
  const std::string spare =
      "<w:abstractNum w:abstractNumId=\"7\"><w:name w:val=\"Theirs\"/><w:lvl w:ilvl=\"0\"/></w:abstractNum>";
  Start(Replace(unnamed, "<w:num ", spare + "<w:num "), Replace(kHeadingNumbering, "Headings", "Theirs"));
  // Without a scratch document the slow copy leaves the target's links be.
  options_.faults->fail("Documents.Add", 1, host::kErrCommandFailed);
  CopyHeading();
  EXPECT_EQ(form_.Tag, "OK");
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Save documents?", "Slow copy", "Done"}));
  EXPECT_EQ(LinkedTemplate(source_), "Theirs1");
  EXPECT_EQ(LinkedTemplate(target_), "Theirs1");
  const auto& statuses = fake_.ui.statuses;
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Collecting numbering information"), statuses.end());
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Copying list template:  Theirs1"), statuses.end());
  EXPECT_EQ(form_.ListTemplateReport().copied, std::vector<std::string>{"Theirs1"});
}

TEST_F(NumberingDialogTest, CopySaysWhichStyleItsNumberingFailedForAndGoesOn) {
  using engine::testing::kHeadingNumbering;
  Start(engine::testing::Replace(kHeadingNumbering, "<w:name w:val=\"Headings\"/>", ""));
  // The third use of a template's name is fncUniqueLTName's first: it fails.
  options_.faults->fail("ListTemplate.Name", 3, host::kErrOutOfMemory);
  CopyHeading();
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Save documents?", support::kAddInTitle, "Problem encountered", "Done"}));
  EXPECT_EQ(fake_.ui.shown[2].text, "There was a problem copying numbering for Heading 1.");
  EXPECT_TRUE(form_.ListTemplateReport().copied.empty());
  EXPECT_EQ(form_.Tag, "OK");
}

}  // namespace
}  // namespace tarnwell::dialog
