#include "engine/list_templates.h"

#include "ooxml/xml.h"
#include "engine/test_support.h"
#include "host/collection.h"

namespace tarnwell::engine {
namespace {

using host::deref;
using host::ObjectPtr;
using host::Value;
using testing::ErrorOf;

class ListTemplatesTest : public testing::EngineTest {
 protected:
  host::Document OpenHeadings(const std::string& name = "h.docx") {
    return Word().GetDocuments().Open(WriteWithNumbering(name, testing::kHeadingStyles, testing::kHeadingNumbering));
  }
  static ObjectPtr Templates(const host::Document& d) { return d.ref().get("ListTemplates").as_object(); }
  static ObjectPtr Level(const ObjectPtr& lt, int32_t i) {
    return host::item(deref(deref(lt).get("ListLevels").as_object()), i);
  }
  static std::string Xml(const host::Document& d) {
    auto& doc = static_cast<Document&>(d.ref());
    return ooxml::NodeXml(doc.model().numbering().root(true));
  }
  // Every style reference and list link resolves.
  static void ExpectConsistent(const host::Document& d) {
    EXPECT_EQ(testing::Dangling(static_cast<Document&>(d.ref()).model()), std::vector<std::string>{});
  }
};

TEST_F(ListTemplatesTest, LevelsReadInWordsUnitsAddedTemplatesLinkBothWaysAndCopyStylesFromTemplateOverwrites) {
  const host::Document d = OpenHeadings();
  const ObjectPtr lt = host::item(deref(Templates(d)), 1);
  EXPECT_EQ(deref(lt).get("Name").as_string(), "Headings");
  EXPECT_EQ(deref(lt).get("OutlineNumbered").as_int(), host::kTrue);
  struct Case {
    int32_t level;
    const char* member;
    Value want;
  } cases[] = {
      {1, "NumberFormat", Value("%1.")}, {1, "NumberStyle", Value(1)},       {1, "TrailingCharacter", Value(0)},
      {1, "NumberPosition", Value(18.0)}, {1, "TextPosition", Value(36.0)}, {1, "TabPosition", Value(host::kUndefined)},
      {1, "Alignment", Value(0)},        {1, "ResetOnHigher", Value(0)},     {1, "StartAt", Value(1)},
      {1, "LinkedStyle", Value("Heading 1")},
      {2, "NumberStyle", Value(4)},      {2, "TrailingCharacter", Value(1)}, {2, "NumberPosition", Value(72.0)},
      {2, "TabPosition", Value(54.0)},   {2, "Alignment", Value(2)},         {2, "ResetOnHigher", Value(0)},
      {2, "StartAt", Value(3)},          {2, "LinkedStyle", Value("Heading 2")},
  };
  for (const auto& c : cases) {
    Value got = deref(Level(lt, c.level)).get(c.member);
    if (c.want.is_string()) {
      EXPECT_EQ(got.as_string(), c.want.as_string()) << c.member;
    } else {
      EXPECT_DOUBLE_EQ(got.as_double(), c.want.as_double()) << c.level << " " << c.member;
    }
  }
  EXPECT_EQ(ErrorOf([&] { Level(lt, 3); }), host::kErrNoSuchCollectionMember);
  EXPECT_EQ(ErrorOf([&] { host::item(deref(Templates(d)), 2); }), host::kErrNoSuchCollectionMember);

  // A level's font gives "undefined" for what the level leaves, and keeps the gaps when written.
  const ObjectPtr f1 = deref(Level(lt, 1)).get("Font").as_object(), f2 = deref(Level(lt, 2)).get("Font").as_object();
  host::Object& font1 = deref(f1);
  const std::pair<const char*, Value> level1[] = {
      {"Bold", host::kTrue},      {"Italic", host::kUndefined},      {"Color", 0x0000FF},  // red as BGR
      {"Size", 14.0},             {"Underline", 3},                  {"UnderlineColor", 0xFF0000},
      {"Superscript", host::kTrue}, {"Subscript", host::kFalse},     {"Name", ""}};
  for (const auto& [member, want] : level1) EXPECT_EQ(font1.get(member), want) << member;

  host::Object& font2 = deref(f2);
  for (const char* m : {"Italic", "Size", "Color", "Underline", "Animation"}) {
    EXPECT_EQ(font2.get(m).as_int(), host::kUndefined) << m;
  }
  font2.put("Italic", host::kTrue);
  font2.put("Name", "Arial");
  font2.put("Subscript", host::kFalse);
  font2.put("Superscript", host::kTrue);
  font1.put("Bold", host::kUndefined);
  EXPECT_EQ(font2.get("Italic").as_int(), host::kTrue);
  EXPECT_EQ(font2.get("Superscript").as_int(), host::kTrue);
  EXPECT_EQ(font1.get("Bold").as_int(), host::kUndefined);
  const std::string xml = Xml(d);
  EXPECT_NE(xml.find("<w:rFonts w:ascii=\"Arial\" w:hAnsi=\"Arial\"/><w:i w:val=\"1\"/>"), std::string::npos)
      << xml;
  EXPECT_EQ(xml.find("<w:b"), std::string::npos);

  host::Object& templates = deref(Templates(d));
  const ObjectPtr made = templates.call("Add").as_object();
  EXPECT_EQ(host::count(templates), 2);
  EXPECT_EQ(deref(made).get("Name").as_string(), "");
  EXPECT_EQ(deref(made).get("OutlineNumbered").as_int(), host::kFalse);
  EXPECT_EQ(host::count(deref(deref(made).get("ListLevels").as_object())), 9);
  EXPECT_EQ(deref(Level(made, 9)).get("NumberFormat").as_string(), "%9.");
  EXPECT_EQ(ErrorOf([&] { deref(made).put("Name", "Headings"); }), host::kErrListTemplateNameRefused);
  deref(made).put("Name", "Mine");
  deref(made).put("OutlineNumbered", true);
  EXPECT_EQ(deref(templates.call("Item", {"Mine"}).as_object()).get("Name").as_string(), "Mine");
  EXPECT_EQ(deref(made).get("OutlineNumbered").as_int(), host::kTrue);
  EXPECT_EQ(ErrorOf([&] { templates.call("Item", {"Nobody"}); }), host::kErrNoSuchCollectionMember);

  const host::Styles styles = d.GetStyles();
  EXPECT_TRUE(styles.Item("Plain").ref().get("ListTemplate").is_empty());
  const ObjectPtr old = styles.Item("Heading 1").ref().get("ListTemplate").as_object();
  EXPECT_EQ(deref(old).get("Name").as_string(), "Headings");

  deref(Level(made, 3)).put("LinkedStyle", "Plain");
  EXPECT_EQ(deref(styles.Item("Plain").ref().get("ListTemplate").as_object()).get("ListLevels").is_object(), true);
  EXPECT_EQ(ErrorOf([&] { deref(Level(made, 1)).put("LinkedStyle", "No Such Style"); }), host::kErrNoSuchStyle);

  // Both headings leave the old template: it goes with its instance when
  // the document is saved.
  styles.Item("Heading 1").ref().call("LinkToListTemplate", {made, 1});
  deref(Level(made, 2)).put("LinkedStyle", "Heading 2");
  EXPECT_EQ(host::count(deref(Templates(d))), 2);
  d.Save();
  EXPECT_EQ(Xml(d).find("abstractNumId=\"0\""), std::string::npos) << Xml(d);
  EXPECT_EQ(host::count(deref(Templates(d))), 1);
  EXPECT_EQ(deref(Level(made, 1)).get("LinkedStyle").as_string(), "Heading 1");
  // One instance serves every style linked to the template.
  const std::string saved = Xml(d);
  EXPECT_EQ(saved.find("<w:num "), saved.rfind("<w:num "));

  styles.Item("Plain").ref().call("LinkToListTemplate");
  EXPECT_TRUE(styles.Item("Plain").ref().get("ListTemplate").is_empty());
  ExpectConsistent(d);

  const std::string tpl = WriteWithNumbering("t.dotx", testing::kHeadingStyles, testing::kHeadingNumbering);
  const host::Document target = Word().GetDocuments().Open(WriteWithStyles(
      "target.docx",
      "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/>"
      "<w:rPr><w:i/></w:rPr></w:style>"
      "<w:style w:type=\"paragraph\" w:styleId=\"Own\"><w:name w:val=\"Own\"/></w:style>"));
  target.ref().call("CopyStylesFromTemplate", {tpl});
  const host::Styles target_styles = target.GetStyles();
  EXPECT_EQ(deref(target_styles.Item("Heading 2").ref().get("ListTemplate").as_object()).get("Name").as_string(),
            "Headings");
  EXPECT_FALSE(target_styles.Item("Own").BuiltIn());
  EXPECT_EQ(ErrorOf([&] { target.ref().call("CopyStylesFromTemplate", {Path("missing.dotx")}); }),
            host::kErrFileNotFound);
  // Again: the same definitions, nothing added.
  const std::string once = Xml(target);
  target.ref().call("CopyStylesFromTemplate", {tpl});
  EXPECT_EQ(Xml(target), once);
  ExpectConsistent(target);
}

}  // namespace
}  // namespace tarnwell::engine
