#include "numbering/list_template_copy.h"

#include "engine/test_support.h"
#include "host/collection.h"
#include "platform/fakes.h"
#include "support/globals.h"

namespace tarnwell::numbering {
namespace {

using engine::testing::kHeadingNumbering;
using engine::testing::kHeadingStyles;
using engine::testing::Replace;
using host::deref;
using host::ObjectPtr;

class ListTemplateCopyTest : public engine::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    support::ResetGlobals();
    support::gWordApp = Word();
  }
  void TearDown() override {
    support::ResetGlobals();
    EngineTest::TearDown();
  }
  host::Document Open(const std::string& name, const std::string& styles = kHeadingStyles,
                      const std::string& numbering = kHeadingNumbering) {
    return Word().GetDocuments().Open(WriteWithNumbering(name, styles, numbering));
  }
  static ObjectPtr Named(const host::Document& d, const std::string& name) {
    return FirstNamed(ListTemplatesOf(d.obj()), name);
  }
  static ObjectPtr Level(const ObjectPtr& lt, int32_t i) {
    return host::item(deref(deref(lt).get("ListLevels").as_object()), i);
  }
  static int UndoClears(const host::Document& d) { return static_cast<engine::Document&>(d.ref()).undo_clears(); }

  platform::FakeUi ui_;
  ListTemplateReport report_;
};

TEST_F(ListTemplateCopyTest, CopyRebuildsEachLevelAndLinksTheStylesAndFailuresAreReturnedAndReportedAsWordDoes) {
  const host::Document source = Open("s.docx");
  const host::Document target = Word().GetDocuments().Add();
  ASSERT_EQ(fncCopyLT(ui_, source.obj(), target, std::string("Headings"), &report_), 0);
  const ObjectPtr from = Named(source, "Headings"), to = Named(target, "Headings");
  ASSERT_TRUE(to);
  EXPECT_EQ(deref(to).get("OutlineNumbered").as_int(), host::kTrue);
  for (int32_t i : {1, 2}) {
    for (const char* m : {"NumberFormat", "NumberStyle", "TrailingCharacter", "NumberPosition", "TextPosition",
                          "TabPosition", "Alignment", "ResetOnHigher", "StartAt", "LinkedStyle"}) {
      EXPECT_EQ(deref(Level(to, i)).get(m).as_string(), deref(Level(from, i)).get(m).as_string()) << i << " " << m;
    }
    const ObjectPtr tfont = deref(Level(to, i)).get("Font").as_object(), sfont = deref(Level(from, i)).get("Font").as_object();
    host::Object& tf = deref(tfont);
    host::Object& sf = deref(sfont);
    for (const char* m : {"Bold", "Color", "Size", "Underline", "UnderlineColor", "Superscript", "Italic"}) {
      EXPECT_EQ(tf.get(m).as_string(), sf.get(m).as_string()) << i << " " << m;
    }
  }
  EXPECT_EQ(TemplateName(target.GetStyles().Item("Heading 2").ref().get("ListTemplate").as_object()), "Headings");
  EXPECT_EQ(UndoClears(source), 2);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(report_.Lines(), std::vector<std::string>{"list template \"Headings\" copied"});

  const host::Document bare_source =
      Open("p.docx", kHeadingStyles, Replace(kHeadingNumbering, "<w:ind w:left=\"720\" w:hanging=\"360\"/>", ""));
  ASSERT_EQ(deref(Level(Named(bare_source, "Headings"), 1)).get("NumberPosition").as_int(), host::kUndefined);
  const host::Document bare_target = Word().GetDocuments().Add();
  ASSERT_EQ(fncCopyLT(ui_, bare_source.obj(), bare_target, std::string("Headings")), 0);
  EXPECT_EQ(deref(Level(Named(bare_source, "Headings"), 1)).get("NumberPosition").as_double(), 0.0);
  EXPECT_EQ(deref(Level(Named(bare_target, "Headings"), 1)).get("NumberPosition").as_double(), 0.0);

  // The target's template of that name has one level: level 2 is missing.
  const std::string numbering = kHeadingNumbering;
  const host::Document short_target = Open(
      "t.docx", kHeadingStyles,
      numbering.substr(0, numbering.find("<w:lvl w:ilvl=\"1\">")) + numbering.substr(numbering.find("</w:abstractNum>")));
  EXPECT_EQ(fncCopyLT(ui_, source.obj(), short_target, std::string("Headings")), host::kErrNoSuchCollectionMember);
  EXPECT_TRUE(ui_.shown.empty());
  // No source template of that name: reported, and its number returned.
  EXPECT_EQ(fncCopyLT(ui_, source.obj(), Word().GetDocuments().Add(), std::string("Nobody")), host::kErrObjectNotSet);
  ASSERT_EQ(ui_.shown.size(), 1u);

  // A level-1 style the target lacks: said once, and the copy goes on.
  const host::Document chapters = Open("c.docx", Replace(kHeadingStyles, "heading 1", "Chapter"), kHeadingNumbering);
  EXPECT_EQ(fncCopyLT(ui_, chapters.obj(), Word().GetDocuments().Add(), std::string("Headings")), 0);
  ASSERT_EQ(ui_.shown.size(), 2u);
  EXPECT_EQ(ui_.shown[1].title, "Required style missing");
  EXPECT_NE(ui_.shown[1].text.find("including \"Chapter\" do not exist"), std::string::npos);
}

TEST_F(ListTemplateCopyTest, TheNormalTemplateIsCopiedFromWithoutUndoClearAndUniqueNamesSkipWhatEitherDocumentUses) {
  engine::testing::fs::copy_file(WriteWithNumbering("n.dotm", kHeadingStyles, kHeadingNumbering), options_.normal_template);
  EXPECT_EQ(fncCopyLT(ui_, Word().NormalTemplate().obj(), Word().GetDocuments().Add(), std::string("Headings")), 0);
  EXPECT_TRUE(ui_.shown.empty());

  const host::Document source = Open("s.docx");
  const host::Document target = Word().GetDocuments().Add();
  const ObjectPtr templates = ListTemplatesOf(target.obj());
  for (const char* name : {"HeadingsLT", "HeadingsLT1"}) deref(deref(templates).call("Add").as_object()).put("Name", name);
  deref(ListTemplatesOf(source.obj())).call("Add").as_object()->put("Name", "HeadingsLT2");
  const ObjectPtr source_lt = Named(source, "Headings");
  const ObjectPtr made = deref(templates).call("Add").as_object();
  EXPECT_EQ(fncUniqueLTName(ui_, source.obj(), target, source_lt, made, "HeadingsLT", &report_), "HeadingsLT3");
  EXPECT_EQ(TemplateName(source_lt), "HeadingsLT3");
  EXPECT_EQ(TemplateName(made), "HeadingsLT3");
  EXPECT_EQ(report_.renamed.size(), 2u);

  // An empty proposal counts from "LT"; a name the source already bears is
  // refused there, and both names move on.
  for (const char* name : {"LT1", "LT2"}) deref(ListTemplatesOf(source.obj())).call("Add").as_object()->put("Name", name);
  const ObjectPtr a = deref(ListTemplatesOf(source.obj())).call("Add").as_object();
  const ObjectPtr b = deref(templates).call("Add").as_object();
  EXPECT_EQ(fncUniqueLTName(ui_, source.obj(), target, a, b, ""), "LT3");
  EXPECT_EQ(TemplateName(b), "LT3");
  // Any other failure: reported, and "!error!".
  options_.faults->fail("ListTemplate.Name", 1, host::kErrOutOfMemory);
  EXPECT_EQ(fncUniqueLTName(ui_, source.obj(), target, a, b, "X"), kUniqueNameFailed);
  EXPECT_EQ(ui_.shown.size(), 1u);
}

TEST_F(ListTemplateCopyTest, CollectionListsEachTravellingTemplateOnce) {
  const std::string unnamed = Replace(kHeadingNumbering, "<w:name w:val=\"Headings\"/>", "");
  const host::Document source = Open("s.docx");
  const host::Document target = Open("t.docx", kHeadingStyles, Replace(kHeadingNumbering, "Headings", "Theirs"));
  NumberingCollection collection(ui_, source, target, &report_);
  for (const char* style : {"Heading 1", "Heading 2", "Plain"}) collection.Collect(style);
  EXPECT_EQ(collection.List(), (std::vector<std::string>{"Headings", ""}));
  EXPECT_TRUE(target.GetStyles().Item("Plain").ref().get("ListTemplate").is_empty());

  // An unnamed source template takes the target template's name...
  const host::Document unnamed_source = Open("u.docx", kHeadingStyles, unnamed);
  NumberingCollection to_named(ui_, unnamed_source, target, &report_);
  to_named.Collect("Heading 1");
  EXPECT_EQ(to_named.List().front(), TemplateName(target.GetStyles().Item("Heading 1").ref().get("ListTemplate").as_object()));
  // ...or, where the target has none, the style's name and "LT" in both.
  const host::Document blank = Word().GetDocuments().Add();
  const host::Document unnamed_again = Open("v.docx", kHeadingStyles, unnamed);
  NumberingCollection to_blank(ui_, unnamed_again, blank, &report_);
  to_blank.Collect("Heading 1");
  EXPECT_EQ(to_blank.List().front(), "Heading 1LT");
  EXPECT_TRUE(Named(unnamed_again, "Heading 1LT"));
  EXPECT_TRUE(Named(blank, "Heading 1LT"));
}

}  // namespace
}  // namespace tarnwell::numbering
