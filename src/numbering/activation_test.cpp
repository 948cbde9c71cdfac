#include "numbering/activation.h"

#include "engine/engine.h"
#include "engine/test_support.h"
#include "ooxml/xml.h"
#include "platform/fakes.h"
#include "support/globals.h"

namespace tarnwell::numbering {
namespace {

constexpr const char* kStylesWithoutTables =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Listed\"><w:name w:val=\"Listed\"/>"
    "<w:basedOn w:val=\"Normal\"/><w:pPr><w:numPr><w:numId w:val=\"1\"/></w:numPr></w:pPr></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Plain\"><w:name w:val=\"Plain\"/>"
    "<w:basedOn w:val=\"Normal\"/><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"0\"/></w:numPr>"
    "<w:jc w:val=\"center\"/></w:pPr></w:style>"
    "<w:style w:type=\"character\" w:customStyle=\"1\" w:styleId=\"Strong2\"><w:name w:val=\"Strong Two\"/>"
    "</w:style></w:styles>";

constexpr const char* kNumbering =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:numbering xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:pStyle w:val=\"Listed\"/></w:lvl></w:abstractNum>"
    "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num></w:numbering>";

constexpr const char* kListedPara =
    "<w:p><w:pPr><w:pStyle w:val=\"Listed\"/></w:pPr><w:r><w:t>One</w:t></w:r></w:p>";

class ActivationTest : public engine::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    faults_ = options_.faults;
    word_ = Word();
  }

  // table_styles: how many table styles to add to a blank document; -1 for
  // a document without any (not even the built-in one). A new file each time.
  host::Document Open(int table_styles, const std::string& body = engine::testing::BodyCases(kListedPara)[0].xml) {
    std::string path = (dir_ / ("doc" + std::to_string(++opened_) + ".docx")).string();
    auto pkg = engine::BlankPackage(path);
    pkg.Set("word/document.xml", engine::testing::DocumentXml(body));
    if (table_styles < 0) pkg.Set("word/styles.xml", kStylesWithoutTables);
    engine::DocumentModel model(std::move(pkg), path, "", false);
    model.add_related_part("word/numbering.xml", engine::kRelNumbering, engine::kCtNumbering, kNumbering);
    model.write(path);
    auto doc = word_.GetDocuments().Open(path);
    for (int i = 0; i < table_styles; ++i) doc.GetStyles().Add("Grid " + std::to_string(i), host::StyleType::Table);
    if (table_styles >= 0) doc.Save();
    engine_doc_ = std::dynamic_pointer_cast<engine::Document>(doc.obj());
    return doc;
  }
  std::string Body() {
    auto& m = engine_doc_->model();
    return ooxml::NodeXml(m.xml(m.main_part()).document_element().child("w:body"));
  }
  bool Run(host::Document& doc) {
    return fncActivateStyles(platform_, doc, [this](int32_t s) { waits_.push_back(s); });
  }

  std::shared_ptr<host::FaultPlan> faults_;
  host::Application word_;
  std::shared_ptr<engine::Document> engine_doc_;
  platform::FakePlatform fake_;
  platform::Platform platform_ = fake_.platform();
  std::vector<int32_t> waits_;
  int opened_ = 0;
};

TEST_F(ActivationTest, LeavesSavedStateAndBodiesAsTheyWereMakesNoTableWithoutTableStylesAndUnlinksOnlyListless) {
  auto doc = Open(-1);
  faults_->fail("Tables.Add", 1, host::kErrWordBuffersFull);
  word_.GetDocuments().Add();  // another document is active
  ASSERT_TRUE(doc.Saved());
  EXPECT_TRUE(Run(doc));
  EXPECT_TRUE(doc.Saved());
  EXPECT_EQ(word_.ActiveDocument().Name(), doc.Name()) << "its window was activated";
  EXPECT_EQ(engine_doc_->undo_clears(), doc.GetStyles().Count() + 1);
  EXPECT_EQ(waits_, (std::vector<int32_t>{1}));
  EXPECT_TRUE(fake_.ui.shown.empty());
  doc.SetSaved(false);
  EXPECT_TRUE(Run(doc));
  EXPECT_FALSE(doc.Saved());
  // Only styles without a list template are unlinked.
  auto& sheet = engine_doc_->model().styles();
  EXPECT_FALSE(sheet.find("Plain").child("w:pPr").child("w:numPr")) << "numId 0 is no list template";
  EXPECT_TRUE(sheet.find("Plain").child("w:pPr").child("w:jc")) << "only the numbering link goes";
  EXPECT_TRUE(sheet.find("Listed").child("w:pPr").child("w:numPr"));
  EXPECT_TRUE(doc.GetStyles().Item("Listed").ref().get("ListTemplate").as_object());
  faults_->clear();

  // A missing member (5941) is passed over statement by statement.
  for (const auto& body : engine::testing::BodyCases(kListedPara)) {
    SCOPED_TRACE(body.name);
    auto doc = Open(2, body.xml);
    std::string before = Body();
    faults_->fail("Range.Style", 1, host::kErrNoSuchCollectionMember);
    faults_->fail("Style.LinkToListTemplate", 1, host::kErrNoSuchCollectionMember);
    EXPECT_TRUE(Run(doc));
    faults_->clear();
    EXPECT_EQ(Body(), before);
    EXPECT_TRUE(fake_.ui.shown.empty());
  }
}

// Word never writes such a file, but a hand-edited one may hold it.
TEST_F(ActivationTest, StylesBasedOnEachOtherInALoopDoNotHangThePass) {
  auto doc = Open(-1);
  doc.GetStyles().Add("Loop A", host::StyleType::Paragraph);
  doc.GetStyles().Add("Loop B", host::StyleType::Paragraph);
  auto& sheet = engine_doc_->model().styles();
  auto a = sheet.find("Loop A"), b = sheet.find("Loop B");
  sheet.set_reference(a, "basedOn", sheet.id(b));
  sheet.set_reference(b, "basedOn", sheet.id(a));
  EXPECT_TRUE(Run(doc));
  EXPECT_FALSE(doc.GetStyles().Item("Loop A").ref().get("ListTemplate").as_object());
}

// Every use of every member the pass calls fails in turn; each failure ends
// the pass with the common message and takes away what it had added. With
// two table styles, one scratch table serves both.
TEST_F(ActivationTest, AFailureAtAnyCallLeavesTheBodyAsItWas) {
  const char* members[] = {"Document.Saved", "Document.ActiveWindow", "Window.Activate", "Document.Range",
                           "Range.InsertParagraphAfter", "Range.MoveEnd", "Range.Collapse", "Document.Styles",
                           "Style.ListTemplate", "Style.Type", "Range.Information", "Document.Tables", "Tables.Add",
                           "Range.Style", "Style.NameLocal", "Style.LinkToListTemplate", "Document.UndoClear",
                           "Table.Delete", "Range.Delete"};
  const std::string body = engine::testing::BodyCases(kListedPara)[2].xml;
  for (const char* member : members) {
    int failed = 0;
    for (int nth = 1;; ++nth) {
      SCOPED_TRACE(std::string(member) + " #" + std::to_string(nth));
      auto doc = Open(2, body);
      std::string before = Body();
      fake_.ui.shown.clear();
      waits_.clear();
      faults_->fail(member, nth, host::kErrWordBuffersFull);
      bool completed = Run(doc);
      faults_->clear();
      EXPECT_EQ(Body(), before);
      EXPECT_EQ(doc.ref().get("Tables").as_object()->get("Count").as_int(), 1);
      doc.Close(0);
      if (completed) break;
      ++failed;
      ASSERT_EQ(fake_.ui.shown.size(), 1u);
      EXPECT_EQ(fake_.ui.shown[0].title, support::kAddInTitle);
      EXPECT_NE(fake_.ui.shown[0].text.find(std::to_string(host::kErrWordBuffersFull)), std::string::npos);
      EXPECT_TRUE(waits_.empty());
    }
    EXPECT_GT(failed, 0) << member << " is never called";
    EXPECT_TRUE(std::string(member) != "Tables.Add" || failed == 1) << "one scratch table serves every table style";
  }
}

}  // namespace
}  // namespace tarnwell::numbering
