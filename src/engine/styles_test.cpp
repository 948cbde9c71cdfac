#include "engine/styles.h"

#include "engine/test_support.h"
#include "ooxml/xml.h"

namespace tarnwell::engine::testing {
namespace {

using host::StyleType;

// Styles as other tools write them: lower-case built-in names, a table
// default under its stored name, an alias list, a dangling reference.
constexpr const char* kMixedStyles =
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"H1\"><w:name w:val=\"heading 1\"/>"
    "<w:basedOn w:val=\"Normal\"/><w:next w:val=\"Body\"/></w:style>"
    "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\"><w:name w:val=\"Normal Table\"/></w:style>"
    "<w:style w:type=\"character\" w:default=\"1\" w:styleId=\"DefaultParagraphFont\">"
    "<w:name w:val=\"Default Paragraph Font\"/></w:style>"
    "<w:style w:type=\"numbering\" w:styleId=\"NoList\"><w:name w:val=\"No List\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Body\"><w:name w:val=\"Body\"/>"
    "<w:basedOn w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Alias\"><w:name w:val=\"Quote Box,QB\"/>"
    "<w:basedOn w:val=\"Gone\"/><w:next w:val=\"Gone\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Toc1\"><w:name w:val=\"toc 1\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"CommentText\"><w:name w:val=\"annotation text\"/></w:style>"
    "<w:style w:type=\"character\" w:customStyle=\"1\" w:styleId=\"Heading1Char\"><w:name w:val=\"Heading 1 Char\"/>"
    "<w:basedOn w:val=\"DefaultParagraphFont\"/></w:style>";

class StylesTest : public EngineTest {
 protected:
  host::Document OpenMixed() {
    return Word().GetDocuments().Open(WriteWithStyles("mixed.docx", kMixedStyles));
  }
};

TEST_F(StylesTest, EnumeratesInFileOrderWithWordsNamesAndFindsThemAsWordDoesReadingReferencesAsNames) {
  auto styles = OpenMixed().GetStyles();
  std::vector<std::string> names;
  for (auto& s : styles.all()) names.push_back(s.NameLocal());
  EXPECT_EQ(names, (std::vector<std::string>{"Normal", "Heading 1", "Table Normal", "Default Paragraph Font",
                                             "No List", "Body", "Quote Box,QB", "TOC 1", "Comment Text",
                                             "Heading 1 Char"}));
  EXPECT_EQ(styles.Item(2).Type(), StyleType::Paragraph);
  EXPECT_EQ(styles.Item(3).Type(), StyleType::Table);
  EXPECT_EQ(styles.Item(4).Type(), StyleType::Character);
  EXPECT_EQ(styles.Item(5).Type(), StyleType::List);
  EXPECT_EQ(ErrorOf([&] { styles.Item(11); }), host::kErrNoSuchCollectionMember);
  EXPECT_EQ(ErrorOf([&] { styles.Item(0); }), host::kErrNoSuchCollectionMember);
  EXPECT_TRUE(styles.Item("Normal").BuiltIn());
  EXPECT_TRUE(styles.Item("Heading 1").BuiltIn());
  EXPECT_FALSE(styles.Item("Body").BuiltIn());
  EXPECT_FALSE(styles.Item("Heading 1 Char").BuiltIn());

  size_t before = static_cast<size_t>(styles.Count());
  for (const char* name : {"Heading 1", "heading 1", "HEADING 1"}) {
    EXPECT_EQ(styles.Item(name).NameLocal(), "Heading 1") << name;
  }
  EXPECT_EQ(styles.Item("annotation text").NameLocal(), "Comment Text");
  EXPECT_EQ(styles.Item("Comment Text").NameLocal(), "Comment Text");
  EXPECT_EQ(static_cast<size_t>(styles.Count()), before) << "defined built-ins are found, not made again";
  EXPECT_EQ(styles.Item("Body").NameLocal(), "Body");
  EXPECT_EQ(ErrorOf([&] { styles.Item("body"); }), host::kErrNoSuchCollectionMember);
  EXPECT_EQ(styles.Item("Quote Box,QB").NameLocal(), "Quote Box,QB");
  EXPECT_EQ(ErrorOf([&] { styles.Item("QB"); }), host::kErrNoSuchCollectionMember) << "aliases are not split";
  EXPECT_EQ(styles.Item(-2).NameLocal(), "Heading 1") << "Word's number for Heading 1";
  EXPECT_EQ(ErrorOf([&] { styles.Item("No Such Style"); }), host::kErrNoSuchCollectionMember);
  EXPECT_EQ(styles.Item("Heading 1").BaseStyle(), "Normal");
  EXPECT_EQ(styles.Item("Heading 1").NextParagraphStyle(), "Body");
  EXPECT_EQ(styles.Item("Normal").BaseStyle(), "");
  EXPECT_EQ(styles.Item("Body").NextParagraphStyle(), "Body");
  EXPECT_EQ(styles.Item("Table Normal").NextParagraphStyle(), "Table Normal");
  EXPECT_EQ(styles.Item("Quote Box,QB").BaseStyle(), "") << "a reference to a missing id reads empty";
  EXPECT_EQ(styles.Item("Quote Box,QB").NextParagraphStyle(), "");
}

TEST_F(StylesTest, LatentBuiltInsAreMadeRealOnceAndAddRefusesReservedNamesAndRestsOnWordsDefaults) {
  auto doc = OpenMixed();
  auto styles = doc.GetStyles();
  int32_t before = styles.Count();
  auto h2 = styles.Item("Heading 2");
  EXPECT_EQ(h2.NameLocal(), "Heading 2");
  EXPECT_EQ(h2.Type(), StyleType::Paragraph);
  EXPECT_TRUE(h2.BuiltIn());
  EXPECT_EQ(h2.BaseStyle(), "Normal");
  EXPECT_EQ(h2.NextParagraphStyle(), "Normal");
  EXPECT_EQ(styles.Count(), before + 1);
  EXPECT_EQ(styles.Item("heading 2").NameLocal(), "Heading 2");
  EXPECT_EQ(styles.Count(), before + 1) << "made real only once";
  EXPECT_EQ(styles.Item(before + 1).NameLocal(), "Heading 2") << "appended after the defined styles";

  // TOC Heading rests on Heading 1, which exists under the id H1.
  auto toc_heading = styles.Item("TOC Heading");
  EXPECT_EQ(toc_heading.BaseStyle(), "Heading 1");
  EXPECT_EQ(styles.Count(), before + 2);

  doc.SaveAs(Path("out.docx"));
  auto pkg = ooxml::Package::Open(Path("out.docx"));
  const std::string& xml = pkg.Get("word/styles.xml");
  EXPECT_NE(xml.find("<w:style w:type=\"paragraph\" w:styleId=\"Heading2\"><w:name w:val=\"heading 2\"/>"
                     "<w:basedOn w:val=\"Normal\"/><w:next w:val=\"Normal\"/>"),
            std::string::npos);
  EXPECT_NE(xml.find("<w:outlineLvl w:val=\"1\"/>"), std::string::npos);
  EXPECT_NE(xml.find("<w:basedOn w:val=\"H1\"/>"), std::string::npos) << "references use the document's ids";

  before = styles.Count();
  EXPECT_EQ(ErrorOf([&] { styles.Add("Body"); }), host::kErrStyleNameInUse);
  EXPECT_EQ(ErrorOf([&] { styles.Add("heading 1"); }), host::kErrStyleNameInUse);
  EXPECT_EQ(ErrorOf([&] { styles.Add("Heading 3"); }), host::kErrStyleNameInUse) << "latent, still reserved";
  EXPECT_EQ(ErrorOf([&] { styles.Add("Table Normal", StyleType::Table); }), host::kErrStyleNameInUse);
  EXPECT_EQ(ErrorOf([&] { styles.Add("comment text"); }), host::kErrStyleNameInUse);
  EXPECT_EQ(ErrorOf([&] { styles.Add(""); }), host::kErrInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { styles.Add("Tab\there"); }), host::kErrInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { styles.Add("Odd", static_cast<StyleType>(7)); }), host::kErrInvalidProcedureCall);
  EXPECT_EQ(styles.Count(), before) << "a refused Add adds nothing";

  EXPECT_TRUE(doc.Saved());
  auto para = styles.Add("Heading1");  // its natural id is taken by nothing but "H1"'s neighbour
  auto clash = styles.Add("Heading 1!");
  auto chr = styles.Add("Key Term", StyleType::Character);
  auto tbl = styles.Add("Grid Plain", StyleType::Table);
  EXPECT_FALSE(doc.Saved());
  EXPECT_EQ(para.NameLocal(), "Heading1");
  EXPECT_FALSE(para.BuiltIn());
  EXPECT_EQ(para.BaseStyle(), "Normal");
  EXPECT_EQ(para.NextParagraphStyle(), "Heading1");
  EXPECT_EQ(chr.Type(), StyleType::Character);
  EXPECT_EQ(chr.BaseStyle(), "Default Paragraph Font");
  EXPECT_EQ(tbl.BaseStyle(), "Table Normal");

  auto& sheet = dynamic_cast<Style&>(*clash.obj()).sheet();
  EXPECT_EQ(sheet.id(dynamic_cast<Style&>(*para.obj()).node()), "Heading1");
  EXPECT_EQ(sheet.id(dynamic_cast<Style&>(*clash.obj()).node()), "Heading11")
      << "the id made from the name is made unique";
  EXPECT_STREQ(dynamic_cast<Style&>(*chr.obj()).node().attribute("w:customStyle").value(), "1");
}

TEST_F(StylesTest, AddCreatesAMissingStylesPartReferencePutsResolveNamesAndNewChildrenGoInSchemaOrder) {
  auto pkg = BlankPackage("bare.docx");
  pkg.Remove("word/styles.xml");
  pkg.Set("word/_rels/document.xml.rels",
          "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
          "settings\" Target=\"settings.xml\"/></Relationships>");
  pkg.Save(Path("bare.docx"));
  auto doc = Word().GetDocuments().Open(Path("bare.docx"));
  auto styles = doc.GetStyles();
  EXPECT_EQ(styles.Count(), 0);
  auto mine = styles.Add("Mine");
  EXPECT_EQ(mine.BaseStyle(), "Normal");
  EXPECT_EQ(styles.Count(), 2);
  doc.Save();

  auto saved = ooxml::Package::Open(Path("bare.docx"));
  std::string part = saved.Related(saved.MainPart(), "styles");
  ASSERT_EQ(part, "word/styles.xml");
  EXPECT_NE(saved.Get("[Content_Types].xml").find("PartName=\"/word/styles.xml\""), std::string::npos);
  EXPECT_NE(saved.Get("word/_rels/document.xml.rels").find("Id=\"rId1\""), std::string::npos);
  auto again = Application::Create(options_);
  auto styles2 = host::Application(again).GetDocuments().Open(Path("bare.docx")).GetStyles();
  EXPECT_EQ(styles2.Count(), 2);
  EXPECT_EQ(styles2.Item("Mine").BaseStyle(), "Normal");

  auto mixed = OpenMixed();
  auto mixed_styles = mixed.GetStyles();
  auto body = mixed_styles.Item("Body");
  body.SetNextParagraphStyle("Body");
  EXPECT_TRUE(mixed.Saved()) << "following itself already: nothing changed";
  body.SetNextParagraphStyle("Normal");
  body.SetNextParagraphStyle("Body");
  EXPECT_EQ(body.NextParagraphStyle(), "Body");
  EXPECT_FALSE(mixed.Saved());
  body.SetBaseStyle("heading 1");
  EXPECT_EQ(body.BaseStyle(), "Heading 1");
  body.SetNextParagraphStyle("Heading 4");  // latent: made real
  EXPECT_EQ(body.NextParagraphStyle(), "Heading 4");
  EXPECT_EQ(ErrorOf([&] { body.SetBaseStyle("Nope"); }), host::kErrNoSuchStyle);
  EXPECT_EQ(ErrorOf([&] { body.SetNextParagraphStyle("Nope"); }), host::kErrNoSuchStyle);
  EXPECT_EQ(ErrorOf([&] { body.SetBaseStyle("Default Paragraph Font"); }), host::kErrNoSuchStyle);
  EXPECT_EQ(body.BaseStyle(), "Heading 1") << "a refused put changes nothing";
  EXPECT_EQ(ErrorOf([&] { mixed_styles.Item("Normal").SetBaseStyle("Body"); }), host::kErrNoSuchStyle)
      << "a based-on loop";
  body.SetBaseStyle("");
  EXPECT_EQ(body.BaseStyle(), "");
  body.SetNextParagraphStyle("");
  EXPECT_EQ(body.NextParagraphStyle(), "Body");

  auto key = mixed_styles.Add("Key", StyleType::Character);
  key.SetNextParagraphStyle("Key");
  EXPECT_EQ(key.NextParagraphStyle(), "Key");
  auto node = dynamic_cast<Style&>(*key.obj()).node();
  EXPECT_FALSE(node.child("w:next")) << "character styles have no next style to write";

  auto ordered = Word().GetDocuments().Open(WriteWithStyles(
      "order.docx",
      "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
      "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"A\"><w:name w:val=\"A\"/>"
      "<w:uiPriority w:val=\"5\"/><w:rsid w:val=\"00112233\"/><w:pPr><w:jc w:val=\"center\"/></w:pPr></w:style>"));
  auto a = ordered.GetStyles().Item("A");
  a.SetNextParagraphStyle("Normal");
  a.SetBaseStyle("Normal");
  std::string order;
  for (auto c : dynamic_cast<Style&>(*a.obj()).node().children()) order += std::string(c.name()) + " ";
  EXPECT_EQ(order, "w:name w:basedOn w:next w:uiPriority w:rsid w:pPr ");

  std::string prefixed_path = Path("prefixed.docx");
  auto prefixed_pkg = BlankPackage("prefixed.docx");
  prefixed_pkg.Set("word/styles.xml",
          "<x:styles xmlns:x=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
          "<x:style x:type=\"paragraph\" x:default=\"1\" x:styleId=\"Normal\"><x:name x:val=\"Normal\"/></x:style>"
          "</x:styles>");
  prefixed_pkg.Save(prefixed_path);
  auto prefixed = Word().GetDocuments().Open(prefixed_path);
  auto prefixed_styles = prefixed.GetStyles();
  EXPECT_EQ(prefixed_styles.Item("Normal").NameLocal(), "Normal");
  prefixed_styles.Add("Mine");
  prefixed_styles.Item("Heading 1");
  prefixed.Save();
  std::string xml = ooxml::Package::Open(prefixed_path).Get("word/styles.xml");
  EXPECT_EQ(xml.find("<w:"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<x:style x:type=\"paragraph\" x:customStyle=\"1\" x:styleId=\"Mine\">"), std::string::npos);
  EXPECT_NE(xml.find("<x:keepNext/>"), std::string::npos);
}

}  // namespace
}  // namespace tarnwell::engine::testing
