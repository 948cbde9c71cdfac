#include "engine/organizer.h"

#include <fstream>

#include "engine/test_support.h"
#include "ooxml/xml.h"

namespace tarnwell::engine::testing {
namespace {

constexpr const char* kSourceStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:w15=\"http://schemas.microsoft.com/office/word/2012/wordml\">"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"HeadX\"><w:name w:val=\"Heading X\"/>"
    "<w:basedOn w:val=\"Normal\"/><w:next w:val=\"BodyT\"/><w:link w:val=\"HeadXChar\"/>"
    "<w15:foo w15:bar=\"1\"/><w:pPr><w:keepNext/><w:numPr><w:numId w:val=\"5\"/></w:numPr></w:pPr>"
    "<w:rPr><w:b/><w:sz w:val=\"32\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"BodyT\"><w:name w:val=\"BodyT\"/>"
    "<w:basedOn w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"character\" w:customStyle=\"1\" w:styleId=\"HeadXChar\"><w:name w:val=\"Heading X Char\"/>"
    "<w:link w:val=\"HeadX\"/><w:rPr><w:b/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"RD\"><w:name w:val=\"R&amp;D\"/>"
    "<w:basedOn w:val=\"Gone\"/><w:rPr><w:i/></w:rPr></w:style>"
    "</w:styles>";

constexpr const char* kSourceNumbering =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:numbering xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:abstractNum w:abstractNumId=\"3\"><w:nsid w:val=\"1A2B3C4D\"/><w:multiLevelType w:val=\"multilevel\"/>"
    "<w:name w:val=\"Heads\"/><w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"decimal\"/>"
    "<w:pStyle w:val=\"HeadX\"/><w:lvlText w:val=\"%1.\"/></w:lvl>"
    "<w:lvl w:ilvl=\"1\"><w:pStyle w:val=\"Elsewhere\"/><w:lvlText w:val=\"%1.%2\"/></w:lvl></w:abstractNum>"
    "<w:num w:numId=\"5\"><w:abstractNumId w:val=\"3\"/></w:num></w:numbering>";

// The destination has a style of the same name as one the copy needs, with
// another id, and an unrelated style holding the id the copy would take.
constexpr const char* kDestinationStyles =
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"DestBody\"><w:name w:val=\"BodyT\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"HeadX\"><w:name w:val=\"Unrelated\"/></w:style>";

// Chains of each style type, with formatting at every level, and a style
// whose list takes its levels from a list style.
constexpr const char* kChainStyles =
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
    "<w:rPr><w:sz w:val=\"20\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Grand\"><w:name w:val=\"Grand\"/>"
    "<w:basedOn w:val=\"Normal\"/><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/>"
    "<w:tab w:val=\"center\" w:pos=\"4320\"/></w:tabs><w:spacing w:after=\"120\"/>"
    "<w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr>"
    "<w:rPr><w:rFonts w:ascii=\"Arial\"/><w:b/><w:sz w:val=\"28\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Parent\"><w:name w:val=\"Parent\"/>"
    "<w:basedOn w:val=\"Grand\"/><w:pPr><w:tabs><w:tab w:val=\"clear\" w:pos=\"720\"/></w:tabs>"
    "<w:ind w:firstLine=\"200\"/></w:pPr>"
    "<w:rPr><w:rFonts w:hAnsi=\"Times New Roman\"/><w:i/><w:sz w:val=\"24\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Child\"><w:name w:val=\"Child\"/>"
    "<w:basedOn w:val=\"Parent\"/><w:next w:val=\"Parent\"/><w:link w:val=\"ChildChar\"/>"
    "<w:pPr><w:jc w:val=\"center\"/></w:pPr><w:rPr><w:color w:val=\"FF0000\"/></w:rPr></w:style>"
    "<w:style w:type=\"character\" w:customStyle=\"1\" w:styleId=\"CharBase\"><w:name w:val=\"CharBase\"/>"
    "<w:rPr><w:color w:val=\"00FF00\"/><w:u w:val=\"single\"/></w:rPr></w:style>"
    "<w:style w:type=\"character\" w:customStyle=\"1\" w:styleId=\"ChildChar\"><w:name w:val=\"ChildChar\"/>"
    "<w:basedOn w:val=\"CharBase\"/><w:link w:val=\"Child\"/><w:rPr><w:i/></w:rPr></w:style>"
    "<w:style w:type=\"table\" w:customStyle=\"1\" w:styleId=\"TableBase\"><w:name w:val=\"TableBase\"/>"
    "<w:tblPr><w:tblBorders><w:top w:val=\"single\"/></w:tblBorders></w:tblPr>"
    "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:b/></w:rPr></w:tblStylePr></w:style>"
    "<w:style w:type=\"table\" w:customStyle=\"1\" w:styleId=\"TableChild\"><w:name w:val=\"TableChild\"/>"
    "<w:basedOn w:val=\"TableBase\"/><w:tblPr><w:tblInd w:w=\"100\"/></w:tblPr>"
    "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:i/></w:rPr></w:tblStylePr>"
    "<w:tblStylePr w:type=\"lastRow\"><w:rPr><w:caps/></w:rPr></w:tblStylePr></w:style>"
    "<w:style w:type=\"numbering\" w:customStyle=\"1\" w:styleId=\"ListX\"><w:name w:val=\"ListX\"/>"
    "<w:pPr><w:numPr><w:numId w:val=\"7\"/></w:numPr></w:pPr></w:style>"
    "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Numbered\"><w:name w:val=\"Numbered\"/>"
    "<w:basedOn w:val=\"Normal\"/><w:pPr><w:numPr><w:numId w:val=\"8\"/></w:numPr></w:pPr></w:style>";

constexpr const char* kChainNumbering =
    "<w:abstractNum w:abstractNumId=\"10\"><w:multiLevelType w:val=\"multilevel\"/>"
    "<w:numStyleLink w:val=\"ListX\"/></w:abstractNum>"
    "<w:abstractNum w:abstractNumId=\"11\"><w:multiLevelType w:val=\"multilevel\"/>"
    "<w:styleLink w:val=\"ListX\"/><w:lvl w:ilvl=\"0\"><w:lvlText w:val=\"%1)\"/></w:lvl>"
    "<w:lvl w:ilvl=\"1\"><w:lvlText w:val=\"%2.\"/></w:lvl></w:abstractNum>"
    "<w:num w:numId=\"7\"><w:abstractNumId w:val=\"11\"/></w:num>"
    "<w:num w:numId=\"8\"><w:abstractNumId w:val=\"10\"/><w:lvlOverride w:ilvl=\"0\">"
    "<w:lvl w:ilvl=\"0\"><w:pStyle w:val=\"Numbered\"/></w:lvl></w:lvlOverride></w:num>";

std::string Xml(pugi::xml_node n) { return ooxml::NodeXml(n); }

std::vector<std::string> CustomStyles(StyleSheet& s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.count(); ++i) {
    if (!s.is_builtin(s.at(i))) out.push_back(s.display_name(s.at(i)));
  }
  std::sort(out.begin(), out.end());
  return out;
}

class OrganizerTest : public EngineTest {
 protected:
  std::string WriteSource() {
    std::string path = Path("source.docx");
    auto pkg = BlankPackage(path);
    pkg.Set("word/styles.xml", kSourceStyles);
    DocumentModel model(std::move(pkg), path, "", false);
    model.add_related_part("word/numbering.xml", kRelNumbering, kCtNumbering, kSourceNumbering);
    model.write(path);
    return path;
  }
  std::shared_ptr<DocumentModel> ModelOf(const host::Document& d) {
    return std::dynamic_pointer_cast<Document>(d.obj())->model_ptr();
  }
  // Every style reference and list link in the document resolves, and the
  // indexes each copy keeps up find every element as a fresh reading would.
  void ExpectNothingDangles(DocumentModel& m) {
    EXPECT_EQ(Dangling(m), std::vector<std::string>{});
    StyleSheet& s = m.styles();
    for (size_t i = 0; i < s.count(); ++i) {
      EXPECT_EQ(s.by_id(s.id(s.at(i))), s.at(i)) << s.id(s.at(i));
      EXPECT_EQ(s.find(s.display_name(s.at(i))), s.at(i)) << s.display_name(s.at(i));
    }
    if (pugi::xml_node root = m.numbering().root(false)) {
      for (auto x : root.select_nodes("//w:lvl/w:pStyle")) {
        EXPECT_TRUE(s.by_id(x.node().attribute("w:val").value())) << "level style " << x.node().attribute("w:val").value();
      }
    }
  }
};

TEST_F(OrganizerTest, CopiesTheWholeElementRewritingOnlyReferencesAndBringsWhatItNeeds) {
  std::string src_path = WriteSource();
  std::string dst_path = WriteWithStyles("dest.docx", kDestinationStyles);
  auto word = Word();
  auto src = word.GetDocuments().Open(src_path);
  auto dst = word.GetDocuments().Open(dst_path);
  EXPECT_TRUE(dst.Saved());
  word.ref().call("OrganizerCopy", {src.FullName(), dst.FullName(), "Heading X", 0});
  EXPECT_FALSE(dst.Saved());

  auto& to = *ModelOf(dst);
  pugi::xml_node copied = to.styles().find("Heading X");
  ASSERT_TRUE(copied);
  std::string id = to.styles().id(copied);
  EXPECT_EQ(id, "HeadX1") << "the source id was taken by an unrelated style";
  EXPECT_FALSE(to.styles().find("Heading X Char")) << "only the style named is copied";

  std::string num_id = copied.child("w:pPr").child("w:numPr").child("w:numId").attribute("w:val").value();
  pugi::xml_node abstract = to.numbering().abstract_for_num(num_id);
  ASSERT_TRUE(abstract);
  EXPECT_STREQ(abstract.child("w:nsid").attribute("w:val").value(), "1A2B3C4D");
  EXPECT_STREQ(abstract.child("w:lvl").child("w:pStyle").attribute("w:val").value(), id.c_str());
  EXPECT_FALSE(abstract.last_child().child("w:pStyle")) << "a level style missing in the destination is dropped";

  // The element as the source had it, with only the rewritten values
  // changed and the namespace its unknown markup needs declared.
  pugi::xml_document expected;
  pugi::xml_node e = expected.append_copy(ModelOf(src)->styles().find("Heading X"));
  e.attribute("w:styleId").set_value(id.c_str());
  e.child("w:next").attribute("w:val").set_value("DestBody");  // the same-named destination style
  e.remove_child("w:link");  // a linked partner the destination lacks is dropped
  e.child("w:pPr").child("w:numPr").child("w:numId").attribute("w:val").set_value(num_id.c_str());
  e.append_attribute("xmlns:w15").set_value("http://schemas.microsoft.com/office/word/2012/wordml");
  EXPECT_EQ(Xml(copied), Xml(e));
  ExpectNothingDangles(to);
  EXPECT_TRUE(src.Saved()) << "the source is only read";

  // The numbering part the destination lacked is registered as a part of it.
  dst.Save();
  auto saved = ooxml::Package::Open(dst_path);
  std::string part = saved.Related(saved.MainPart(), "numbering");
  ASSERT_FALSE(part.empty());
  EXPECT_TRUE(saved.Has(part));
  EXPECT_NE(saved.Get("[Content_Types].xml").find("/" + part + "\" ContentType=\"" + kCtNumbering),
            std::string::npos);
}

TEST_F(OrganizerTest, AMissingBaseGivesWayToTheRootWithItsFormattingFolded) {
  std::string src_path = WriteWithNumbering("source.docx", kChainStyles, kChainNumbering);
  auto word = Word();
  auto dst = word.GetDocuments().Open(WriteBlank("blank.docx"));
  struct Case {
    const char* name;
    const char* base;
    const char* formatting;  // pPr, rPr, tblPr and tblStylePr as they come out
  };
  const Case cases[] = {
      {"Child", "Normal",
       "<w:pPr><w:tabs><w:tab w:val=\"clear\" w:pos=\"720\"/><w:tab w:val=\"center\" w:pos=\"4320\"/></w:tabs>"
       "<w:spacing w:after=\"120\"/><w:ind w:firstLine=\"200\" w:left=\"720\"/><w:jc w:val=\"center\"/></w:pPr>"
       "<w:rPr><w:rFonts w:hAnsi=\"Times New Roman\" w:ascii=\"Arial\"/><w:b/><w:i/><w:color w:val=\"FF0000\"/>"
       "<w:sz w:val=\"24\"/></w:rPr>"},
      {"ChildChar", "Default Paragraph Font", "<w:rPr><w:i/><w:color w:val=\"00FF00\"/><w:u w:val=\"single\"/></w:rPr>"},
      {"TableChild", "Table Normal",
       "<w:tblPr><w:tblInd w:w=\"100\"/><w:tblBorders><w:top w:val=\"single\"/></w:tblBorders></w:tblPr>"
       "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:b/><w:i/></w:rPr></w:tblStylePr>"
       "<w:tblStylePr w:type=\"lastRow\"><w:rPr><w:caps/></w:rPr></w:tblStylePr>"},
  };
  for (const auto& c : cases) word.ref().call("OrganizerCopy", {src_path, dst.FullName(), c.name, 0});
  StyleSheet& to = ModelOf(dst)->styles();
  EXPECT_EQ(CustomStyles(to), (std::vector<std::string>{"Child", "ChildChar", "TableChild"}))
      << "no base, next or partner came along";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto style = dst.GetStyles().Item(c.name);
    EXPECT_EQ(style.BaseStyle(), c.base);
    std::string formatting;
    for (pugi::xml_node k : to.find(c.name).children()) {
      std::string_view n = k.name();
      if (n == "w:pPr" || n == "w:rPr" || n == "w:tblPr" || n == "w:tblStylePr") formatting += Xml(k);
    }
    EXPECT_EQ(formatting, c.formatting);
  }
  EXPECT_EQ(dst.GetStyles().Item("Child").NextParagraphStyle(), "Child") << "a missing next style: itself";
  EXPECT_EQ(to.reference(to.find("Child"), "link"), "") << "its partner was not there yet";
  EXPECT_EQ(to.reference(to.find("ChildChar"), "link"), "Child") << "a partner already there is kept";
  ExpectNothingDangles(*ModelOf(dst));
}

// What the copy run does with confirmed dependencies: every style of the
// list made first, then each copied in the list's order.
TEST_F(OrganizerTest, StylesMadeBeforehandKeepEveryLinkAndStandAfterTheirBases) {
  std::string src_path = WriteWithNumbering("source.docx", kChainStyles, kChainNumbering);
  auto word = Word();
  auto src = word.GetDocuments().Open(src_path);
  auto dst = word.GetDocuments().Open(WriteBlank("blank.docx"));
  const std::vector<std::string> list = {"Child", "ChildChar", "Parent", "Grand", "CharBase"};
  for (const auto& name : list) dst.GetStyles().Add(name);
  for (const auto& name : list) word.ref().call("OrganizerCopy", {src.FullName(), dst.FullName(), name, 0});
  StyleSheet& from = ModelOf(src)->styles();
  StyleSheet& to = ModelOf(dst)->styles();
  for (const auto& name : list) EXPECT_EQ(Xml(to.find(name)), Xml(from.find(name))) << name;
  word.ref().call("OrganizerCopy", {src.FullName(), dst.FullName(), "Numbered", 0});
  // The indexes follow the copies and moves: the part's own order, each
  // style found by its name.
  std::vector<pugi::xml_node> in_part;
  for (pugi::xml_node c : to.root(false).children("w:style")) in_part.push_back(c);
  ASSERT_EQ(in_part.size(), to.count());
  for (size_t i = 0; i < in_part.size(); ++i) {
    EXPECT_EQ(to.at(i), in_part[i]) << i;
    EXPECT_EQ(to.find(to.display_name(in_part[i])), in_part[i]) << to.display_name(in_part[i]);
  }
  EXPECT_EQ(BeforeTheirBases(to), std::vector<std::string>{}) << "whatever order the copies came in";
}

// The source stays closed: read from its file, left as it was.
TEST_F(OrganizerTest, AListTakenFromAListStyleArrivesWithItsLevels) {
  std::string src_path = WriteWithNumbering("source.docx", kChainStyles, kChainNumbering);
  std::string bytes = ReadFile(src_path);
  // An unrelated style holds the id the copy would take, so its links move.
  auto word = Word();
  auto dst = word.GetDocuments().Open(WriteWithStyles(
      "dest.docx",
      "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Numbered\"><w:name w:val=\"Other\"/></w:style>"));
  word.ref().call("OrganizerCopy", {src_path, dst.FullName(), "Numbered", 0});
  auto& to = *ModelOf(dst);
  pugi::xml_node copied = to.styles().find("Numbered");
  std::string num_id = StyleNumId(to, copied);
  pugi::xml_node abstract = to.numbering().abstract_for_num(num_id);
  ASSERT_TRUE(abstract);
  EXPECT_EQ(Xml(abstract.child("w:lvl")), "<w:lvl w:ilvl=\"0\"><w:lvlText w:val=\"%1)\"/></w:lvl>");
  EXPECT_EQ(abstract.select_nodes("w:lvl").size(), 2u);
  EXPECT_FALSE(abstract.child("w:numStyleLink")) << "the list style did not travel";
  EXPECT_FALSE(to.styles().find("ListX"));
  pugi::xml_node over = to.numbering().num(num_id).child("w:lvlOverride").child("w:lvl").child("w:pStyle");
  EXPECT_EQ(std::string(over.attribute("w:val").value()), to.styles().id(copied));
  EXPECT_NE(to.styles().id(copied), "Numbered");
  EXPECT_EQ(word.GetDocuments().Count(), 1);
  EXPECT_EQ(ReadFile(src_path), bytes);

  size_t styles = to.styles().count();
  std::string lists = Xml(to.numbering().root(false));
  word.ref().call("OrganizerCopy", {src_path, dst.FullName(), "Numbered", 0});
  EXPECT_EQ(to.styles().count(), styles) << "replaced in place";
  EXPECT_EQ(Xml(to.numbering().root(false)), lists) << "no second list definition";

  // Once the list style is there, the definition links to it again.
  word.ref().call("OrganizerCopy", {src_path, dst.FullName(), "ListX", 0});
  word.ref().call("OrganizerCopy", {src_path, dst.FullName(), "Numbered", 0});
  abstract = to.numbering().abstract_for_num(StyleNumId(to, to.styles().find("Numbered")));
  EXPECT_STREQ(abstract.child("w:numStyleLink").attribute("w:val").value(), "ListX");
  ExpectNothingDangles(to);
}

// A list entry whose definition is missing links to nothing in the copy.
TEST_F(OrganizerTest, ABrokenListLinkIsDropped) {
  std::string src_path = WriteWithNumbering(
      "source.docx",
      "<w:style w:type=\"paragraph\" w:styleId=\"Orphan\"><w:name w:val=\"Orphan\"/>"
      "<w:pPr><w:numPr><w:numId w:val=\"9\"/></w:numPr></w:pPr></w:style>",
      "<w:num w:numId=\"9\"><w:abstractNumId w:val=\"42\"/></w:num>");
  auto word = Word();
  auto dst = word.GetDocuments().Open(WriteBlank("blank.docx"));
  word.ref().call("OrganizerCopy", {src_path, dst.FullName(), "Orphan", 0});
  auto& to = *ModelOf(dst);
  EXPECT_FALSE(to.styles().find("Orphan").child("w:pPr").child("w:numPr"));
  pugi::xml_node lists = to.numbering().root(false);
  EXPECT_FALSE(lists && lists.child("w:num"));
}

TEST_F(OrganizerTest, AHeldFileChangedFromOutsideIsReadAfreshAtTheNextCallAndWhatWasNotWrittenGoesWithIt) {
  std::string src_path = WriteSource();
  using Change = void (*)(const fs::path& held, const fs::path& theirs);
  const std::pair<const char*, Change> changes[] = {
      {"rewritten in place",
       [](const fs::path& held, const fs::path& theirs) {
         std::ofstream(held, std::ios::binary | std::ios::trunc) << ReadFile(theirs.string());
       }},
      {"renamed over", [](const fs::path& held, const fs::path& theirs) { fs::rename(theirs, held); }},
      {"its folder moved away and another put in its place",
       [](const fs::path& held, const fs::path& theirs) {
         fs::rename(held.parent_path(), held.parent_path().string() + "-old");
         fs::create_directory(held.parent_path());
         fs::rename(theirs, held);
       }},
  };
  int n = 0;
  for (const auto& [what, change] : changes) {
    fs::path dir = Path("case" + std::to_string(++n));
    fs::create_directories(dir);
    std::string held = (dir / "held.docx").string();
    WriteBlankDocument(held);
    std::string theirs = WriteWithStyles("theirs" + std::to_string(n) + ".docx", kDestinationStyles);
    host::Application word(Application::Create(options_));
    word.ref().call("OrganizerCopy", {src_path, held, "Heading X", 0});
    word.ref().call("OrganizerCopy", {src_path, held, "BodyT", 0});  // nothing changed it: taken as held
    change(held, theirs);
    word.ref().call("OrganizerCopy", {src_path, held, "R&D", 0});
    dynamic_cast<Application&>(word.ref()).FlushOrganizerFile(held);
    std::string styles = ooxml::Package::Open(held).Get("word/styles.xml");
    EXPECT_NE(styles.find("w:styleId=\"DestBody\""), std::string::npos) << what;
    EXPECT_NE(styles.find("w:styleId=\"RD\""), std::string::npos) << what << ": the copy went into their file";
    EXPECT_EQ(styles.find("w:val=\"Heading X\""), std::string::npos) << what << ": ours went with the old file";
  }
}

TEST_F(OrganizerTest, ClosedFilesAreHeldWrittenWhenLookedAtAndRefusedWhenReadOnlyAndAStylesListFollowsItsBase) {
  std::string src_path = WriteSource();
  std::string dst_path = WriteBlank("closed.docx");
  auto before = ooxml::Package::Open(dst_path);
  auto word = Word();
  auto src = word.GetDocuments().Open(src_path);
  word.ref().call("OrganizerCopy", {src.FullName(), dst_path, "R&D", 0});
  EXPECT_EQ(word.GetDocuments().Count(), 1) << "the destination file is not left open";

  auto after = ooxml::Package::Open(dst_path);
  for (const auto& part : before.Names()) {
    if (part == "word/styles.xml") continue;
    EXPECT_EQ(after.Get(part), before.Get(part)) << part;
  }
  auto dst = word.GetDocuments().Open(dst_path);
  auto style = dst.GetStyles().Item("R&D");
  EXPECT_EQ(style.NameLocal(), "R&D");
  EXPECT_EQ(style.BaseStyle(), "") << "a reference dangling in the source is not carried";
  ExpectNothingDangles(*ModelOf(dst));

  // A closed file is held in memory between the organizer's calls, and
  // written whole whenever anything may look at it.
  std::string held_path = WriteBlank("held.docx");
  auto has_style = [](const std::string& path, const std::string& id) {
    auto pkg = ooxml::Package::Open(path);
    return pkg.Get("word/styles.xml").find("w:styleId=\"" + id + "\"") != std::string::npos;
  };
  {
    // Its own Word, so that Word goes at the end of the block.
    host::Application word(Application::Create(options_));
    auto& app = dynamic_cast<Application&>(word.ref());
    word.ref().call("OrganizerCopy", {src_path, held_path, "R&D", 0});
    word.ref().call("OrganizerCopy", {src_path, held_path, "BodyT", 0});
    app.FlushOrganizerFile(held_path);
    EXPECT_TRUE(has_style(held_path, "RD"));
    EXPECT_TRUE(has_style(held_path, "BodyT"));

    // Word opening the file sees every change; Word going writes the rest.
    word.ref().call("OrganizerCopy", {src_path, held_path, "Heading X Char", 0});
    auto opened = word.GetDocuments().Open(held_path);
    EXPECT_EQ(opened.GetStyles().Item("Heading X Char").NameLocal(), "Heading X Char");
    opened.Close(0);
    std::string late = WriteWithStyles(
        "late.docx", "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Late\"><w:name w:val=\"Late\"/></w:style>");
    word.ref().call("OrganizerCopy", {late, held_path, "Late", 0});
  }
  EXPECT_TRUE(has_style(held_path, "Late")) << "written when Word went";

  // A file deleted from outside is not brought back.
  std::string gone = WriteBlank("gone.docx");
  {
    host::Application word(Application::Create(options_));
    word.ref().call("OrganizerCopy", {src_path, gone, "R&D", 0});
    fs::remove(gone);
    dynamic_cast<Application&>(word.ref()).ForgetOrganizerFile(gone);
  }
  EXPECT_FALSE(fs::exists(gone));

  std::string ro_path = WriteBlank("ro.docx");
  EXPECT_EQ(ErrorOf([&] { word.ref().call("OrganizerCopy", {src_path, ro_path, "No Such", 0}); }),
            host::kErrNoSuchCollectionMember);
  EXPECT_EQ(ErrorOf([&] { word.ref().call("OrganizerCopy", {src_path, ro_path, "R&D", 1}); }),
            host::kErrInvalidProcedureCall);
  // Held since the first copy, and made read-only after it.
  word.ref().call("OrganizerCopy", {src_path, ro_path, "BodyT", 0});
  dynamic_cast<Application&>(word.ref()).FlushOrganizerFile(ro_path);
  std::string bytes = ReadFile(ro_path);
  fs::permissions(ro_path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(ErrorOf([&] { word.ref().call("OrganizerCopy", {src_path, ro_path, "R&D", 0}); }),
            host::kErrCannotSaveFile);
  EXPECT_EQ(ReadFile(ro_path), bytes);
  EXPECT_EQ(ErrorOf([&] { word.ref().call("OrganizerCopy", {src_path, Path("missing.docx"), "R&D", 0}); }),
            host::kErrFileNotFound);

  auto doc = word.GetDocuments().Open(src_path);
  auto styles = doc.GetStyles();
  EXPECT_TRUE(styles.Item("Normal").ref().get("ListTemplate").is_empty());
  auto lt = styles.Item("Heading X").ref().get("ListTemplate").as_object();
  ASSERT_TRUE(lt);
  EXPECT_EQ(lt->get("Name").as_string(), "Heads");
  EXPECT_TRUE(lt->get("OutlineNumbered").as_bool());
  EXPECT_EQ(host::deref(lt->get("ListLevels").as_object()).get("Count").as_int(), 2);

  auto child = styles.Add("Child");
  child.SetBaseStyle("Heading X");
  EXPECT_TRUE(child.ref().get("ListTemplate").as_object()) << "reported through the based-on chain";

  // A style that turns its base's list off keeps it off when unlinked.
  auto plain = styles.Add("Plain Child");
  plain.SetBaseStyle("Heading X");
  pugi::xml_node own = ModelOf(doc)->styles().find("Plain Child");
  own.append_child("w:pPr").append_child("w:numPr").append_child("w:numId").append_attribute("w:val").set_value("0");
  EXPECT_TRUE(plain.ref().get("ListTemplate").is_empty());
  plain.ref().call("LinkToListTemplate", {host::Value()});
  EXPECT_TRUE(plain.ref().get("ListTemplate").is_empty()) << "the base's list is not let in";

  styles.Item("Heading X").ref().call("LinkToListTemplate", {host::Value()});
  EXPECT_TRUE(styles.Item("Heading X").ref().get("ListTemplate").is_empty());

  auto body = styles.Item("BodyT");
  body.ref().call("LinkToListTemplate", {host::Value(lt), 2});
  auto relinked = body.ref().get("ListTemplate").as_object();
  ASSERT_TRUE(relinked);
  EXPECT_EQ(relinked->get("Name").as_string(), "Heads");
  auto& m = *ModelOf(doc);
  pugi::xml_node lvl1 = m.numbering().abstract_num("3").find_child_by_attribute("w:lvl", "w:ilvl", "1");
  EXPECT_STREQ(lvl1.child("w:pStyle").attribute("w:val").value(), "BodyT");
}

}  // namespace
}  // namespace tarnwell::engine::testing
