#include "engine/organizer.h"

#include "engine/application.h"

#include "engine/numbering.h"
#include "engine/styles.h"
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

std::string Xml(pugi::xml_node n) { return ooxml::NodeXml(n); }

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
  // Every style reference and list link in the document resolves.
  void ExpectNothingDangles(DocumentModel& m) {
    StyleSheet& s = m.styles();
    for (size_t i = 0; i < s.count(); ++i) {
      pugi::xml_node st = s.at(i);
      // The indexes each copy keeps up find every element as a fresh reading would.
      EXPECT_EQ(s.by_id(s.id(st)), st) << s.id(st);
      EXPECT_EQ(s.find(s.display_name(st)), st) << s.display_name(st);
      for (const char* child : {"basedOn", "next", "link"}) {
        std::string ref = s.reference(st, child);
        if (!ref.empty()) {
          EXPECT_TRUE(s.by_id(ref)) << s.id(st) << " " << child << " -> " << ref;
        }
      }
      std::string num = st.child("w:pPr").child("w:numPr").child("w:numId").attribute("w:val").value();
      if (!num.empty()) {
        EXPECT_TRUE(m.numbering().abstract_for_num(num)) << s.id(st) << " numId " << num;
      }
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
  pugi::xml_node linked = to.styles().find("Heading X Char");
  ASSERT_TRUE(linked) << "a linked style missing in the destination comes along";
  EXPECT_EQ(to.styles().reference(linked, "link"), id);
  EXPECT_EQ(to.styles().reference(copied, "next"), "DestBody") << "the same-named destination style is used";
  EXPECT_EQ(to.styles().reference(copied, "basedOn"), "Normal");

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
  e.child("w:next").attribute("w:val").set_value("DestBody");
  e.child("w:link").attribute("w:val").set_value(to.styles().id(linked).c_str());
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

TEST_F(OrganizerTest, ClosedSourceIsReadFromItsFileAndLeftAlone) {
  std::string src_path = WriteSource();
  std::string bytes = ReadFile(src_path);
  std::string dst_path = WriteWithStyles("dest.docx", kDestinationStyles);
  auto word = Word();
  auto dst = word.GetDocuments().Open(dst_path);
  word.ref().call("OrganizerCopy", {src_path, dst.FullName(), "Heading X", 0});
  EXPECT_EQ(word.GetDocuments().Count(), 1);
  EXPECT_EQ(ReadFile(src_path), bytes);
  EXPECT_EQ(dst.GetStyles().Item("Heading X").BaseStyle(), "Normal");
  ExpectNothingDangles(*ModelOf(dst));
}

TEST_F(OrganizerTest, CopyingTwiceLeavesOneListDefinitionAndReplacesInPlace) {
  std::string src_path = WriteSource();
  std::string dst_path = WriteWithStyles("dest.docx", kDestinationStyles);
  auto word = Word();
  auto src = word.GetDocuments().Open(src_path);
  auto dst = word.GetDocuments().Open(dst_path);
  word.ref().call("OrganizerCopy", {src.FullName(), dst.FullName(), "Heading X", 0});
  auto& to = *ModelOf(dst);
  size_t styles = to.styles().count();
  std::string first = Xml(to.numbering().root(false));
  word.ref().call("OrganizerCopy", {src.FullName(), dst.FullName(), "Heading X", 0});
  EXPECT_EQ(to.styles().count(), styles);
  EXPECT_EQ(Xml(to.numbering().root(false)), first) << "no second list definition";
  EXPECT_EQ(to.numbering().root(false).select_nodes("w:abstractNum").size(), 1u);
  ExpectNothingDangles(to);
}

TEST_F(OrganizerTest, ClosedDestinationIsWrittenWithUntouchedPartsIntactAndNotLeftOpen) {
  std::string src_path = WriteSource();
  std::string dst_path = Path("closed.docx");
  WriteBlankDocument(dst_path);
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
}

// A closed file is held in memory between the organizer's calls, and
// written whole whenever anything may look at it.
TEST_F(OrganizerTest, ClosedFileIsHeldBetweenCallsAndWrittenWhenLookedAt) {
  std::string src_path = WriteSource();
  std::string dst_path = Path("held.docx");
  WriteBlankDocument(dst_path);
  auto has_style = [](const std::string& path, const std::string& id) {
    auto pkg = ooxml::Package::Open(path);
    return pkg.Get("word/styles.xml").find("w:styleId=\"" + id + "\"") != std::string::npos;
  };
  {
    // Its own Word, so that Word goes at the end of the block.
    host::Application word(Application::Create(options_));
    auto& app = dynamic_cast<Application&>(word.ref());
    word.ref().call("OrganizerCopy", {src_path, dst_path, "R&D", 0});
    word.ref().call("OrganizerCopy", {src_path, dst_path, "BodyT", 0});
    app.FlushOrganizerFile(dst_path);
    EXPECT_TRUE(has_style(dst_path, "RD"));
    EXPECT_TRUE(has_style(dst_path, "BodyT"));

    // Replaced from outside: the next call works on the new file, and what
    // the organizer had not written is gone with the old one.
    word.ref().call("OrganizerCopy", {src_path, dst_path, "Heading X", 0});
    std::string other = WriteWithStyles("other.docx", kDestinationStyles);
    fs::rename(other, dst_path);
    word.ref().call("OrganizerCopy", {src_path, dst_path, "R&D", 0});
    app.FlushOrganizerFile(dst_path);
    EXPECT_TRUE(has_style(dst_path, "DestBody")) << "the outside file was read afresh";
    EXPECT_TRUE(has_style(dst_path, "RD"));
    EXPECT_FALSE(has_style(dst_path, "HeadX1")) << "the earlier unwritten copy went with the old file";

    // Word opening the file sees every change; Word going writes the rest.
    word.ref().call("OrganizerCopy", {src_path, dst_path, "Heading X Char", 0});
    auto opened = word.GetDocuments().Open(dst_path);
    EXPECT_EQ(opened.GetStyles().Item("Heading X Char").NameLocal(), "Heading X Char");
    opened.Close(0);
    std::string late = WriteWithStyles(
        "late.docx", "<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Late\"><w:name w:val=\"Late\"/></w:style>");
    word.ref().call("OrganizerCopy", {late, dst_path, "Late", 0});
  }
  EXPECT_TRUE(has_style(dst_path, "Late")) << "written when Word went";

  // A file deleted from outside is not brought back.
  std::string gone = Path("gone.docx");
  WriteBlankDocument(gone);
  {
    host::Application word(Application::Create(options_));
    word.ref().call("OrganizerCopy", {src_path, gone, "R&D", 0});
    fs::remove(gone);
    dynamic_cast<Application&>(word.ref()).ForgetOrganizerFile(gone);
  }
  EXPECT_FALSE(fs::exists(gone));
}

TEST_F(OrganizerTest, RefusesMissingStylesReadOnlyFilesAndOtherObjects) {
  std::string src_path = WriteSource();
  std::string dst_path = Path("ro.docx");
  WriteBlankDocument(dst_path);
  auto word = Word();
  EXPECT_EQ(ErrorOf([&] { word.ref().call("OrganizerCopy", {src_path, dst_path, "No Such", 0}); }),
            host::kErrNoSuchCollectionMember);
  EXPECT_EQ(ErrorOf([&] { word.ref().call("OrganizerCopy", {src_path, dst_path, "R&D", 1}); }),
            host::kErrInvalidProcedureCall);
  // Held since the first copy, and made read-only after it.
  word.ref().call("OrganizerCopy", {src_path, dst_path, "BodyT", 0});
  dynamic_cast<Application&>(word.ref()).FlushOrganizerFile(dst_path);
  std::string bytes = ReadFile(dst_path);
  fs::permissions(dst_path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(ErrorOf([&] { word.ref().call("OrganizerCopy", {src_path, dst_path, "R&D", 0}); }),
            host::kErrCannotSaveFile);
  EXPECT_EQ(ReadFile(dst_path), bytes);
  EXPECT_EQ(ErrorOf([&] { word.ref().call("OrganizerCopy", {src_path, Path("missing.docx"), "R&D", 0}); }),
            host::kErrFileNotFound);
}

TEST_F(OrganizerTest, StyleListTemplateFollowsBasedOnAndUnlinks) {
  std::string src_path = WriteSource();
  auto word = Word();
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
