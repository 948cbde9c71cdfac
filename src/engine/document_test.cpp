#include "engine/document_model.h"

#include <sys/stat.h>

#include "engine/test_support.h"
#include "ooxml/xml.h"

namespace tarnwell::engine::testing {
namespace {

// A document with markup the engine does not model, in every part it might
// touch and in parts it never reads.
constexpr const char* kRichStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:styles xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\" "
    "xmlns:w15=\"http://schemas.microsoft.com/office/word/2012/wordml\" mc:Ignorable=\"w14 w15\">\r\n"
    "  <w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"22\"/></w:rPr></w:rPrDefault></w:docDefaults>\r\n"
    "  <w:latentStyles w:defLockedState=\"0\" w:defUIPriority=\"99\" w:count=\"3\">"
    "<w:lsdException w:name=\"heading 1\" w:uiPriority=\"9\" w:qFormat=\"1\"/>"
    "<w:lsdException w:name=\"Mention\" w:semiHidden=\"1\" w:unhideWhenUsed=\"1\"/></w:latentStyles>\r\n"
    "  <w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
    "<w:qFormat/><w:rsid w:val=\"00A1B2C3\"/><w:pPr><w:spacing w:after=\"120\"/></w:pPr>"
    "<w:rPr><w14:ligatures w14:val=\"standard\"/></w:rPr></w:style>\r\n"
    "  <w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Body\" w14:paraId=\"1A2B3C4D\">"
    "<w:name w:val=\"Body\"/><w:basedOn w:val=\"Normal\"/><w:rsid w:val=\"00D4E5F6\"/>"
    "<w15:foo w15:bar=\"1\"></w15:foo></w:style>\r\n"
    "  <mc:AlternateContent><mc:Choice Requires=\"w14\"><w:style w:type=\"character\" w:styleId=\"X\">"
    "<w:name w:val=\"Inside Choice\"/></w:style></mc:Choice><mc:Fallback/></mc:AlternateContent>\r\n"
    "</w:styles>";

constexpr const char* kRichDocument =
    "<?xml version='1.0' encoding='UTF-8' standalone='yes'?>\n"
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" mc:Ignorable=\"w14\">"
    "<w:body><w:p w14:paraId=\"00000001\" w:rsidR=\"00A1B2C3\"><w:pPr><w:pStyle w:val=\"Body\"/></w:pPr>"
    "<w:r><w:t xml:space=\"preserve\"> kept </w:t></w:r></w:p>"
    "<mc:AlternateContent><mc:Choice Requires=\"w14\"><w:p/></mc:Choice><mc:Fallback><w:p/></mc:Fallback>"
    "</mc:AlternateContent><w:sectPr/></w:body></w:document>";

class DocumentTest : public EngineTest {
 protected:
  std::string WriteRich(const std::string& name) {
    auto pkg = BlankPackage(name);
    pkg.Set("word/styles.xml", kRichStyles);
    pkg.Set("word/document.xml", kRichDocument);
    pkg.Set("customXml/item1.xml", "<?xml version=\"1.0\"?><data xmlns=\"urn:ours\"><a b='c'/></data>");
    pkg.Set("word/media/blob.bin", std::string("\x00\x01\x02\xFF binary", 11));
    pkg.Save(Path(name));
    return Path(name);
  }
};

TEST_F(DocumentTest, RoundTripKeepsWhatItDoesNotTouchSavedFollowsChangesAndSaveAsMovesTheDocument) {
  std::string path = WriteRich("rich.docx");
  auto before = ooxml::Package::Open(path);
  auto doc = Word().GetDocuments().Open(path);
  auto styles = doc.GetStyles();
  EXPECT_EQ(styles.Count(), 2) << "only w:style children of w:styles are styles";
  // Reading changes nothing, and a save then writes every part as it was.
  for (auto& s : styles.all()) (void)(s.NameLocal() + s.BaseStyle() + s.NextParagraphStyle());
  EXPECT_TRUE(doc.Saved());
  doc.SaveAs(Path("copy.docx"));
  auto copy = ooxml::Package::Open(Path("copy.docx"));
  for (const auto& part : before.Names()) EXPECT_EQ(copy.Get(part), before.Get(part)) << part;

  auto added = styles.Add("Added");
  styles.Item("Body").SetBaseStyle("Added");
  added.SetNextParagraphStyle("Body");
  doc.Save();

  auto after = ooxml::Package::Open(Path("copy.docx"));
  ASSERT_EQ(after.Names(), before.Names());
  for (const auto& part : before.Names()) {
    if (part == "word/styles.xml") continue;
    EXPECT_EQ(after.Get(part), before.Get(part)) << part << " should be untouched";
  }
  const std::string& xml = after.Get("word/styles.xml");
  for (const char* kept :
       {"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n", "mc:Ignorable=\"w14 w15\"",
        "<w:lsdException w:name=\"Mention\" w:semiHidden=\"1\" w:unhideWhenUsed=\"1\"/>",
        "<w:rsid w:val=\"00A1B2C3\"/>", "<w14:ligatures w14:val=\"standard\"/>", "w14:paraId=\"1A2B3C4D\"",
        "<w15:foo w15:bar=\"1\"></w15:foo>", "<mc:Choice Requires=\"w14\"><w:style w:type=\"character\" w:styleId=\"X\">",
        "</w:style>\r\n  <mc:AlternateContent>"}) {
    EXPECT_NE(xml.find(kept), std::string::npos) << "lost: " << kept;
  }
  EXPECT_NE(xml.find("<w:name w:val=\"Body\"/><w:basedOn w:val=\"Added\"/><w:rsid w:val=\"00D4E5F6\"/>"),
            std::string::npos)
      << "the reference is changed in place";
  EXPECT_NE(xml.find("<w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"Added\"><w:name w:val=\"Added\"/>"
                     "<w:basedOn w:val=\"Normal\"/><w:next w:val=\"Body\"/></w:style>"),
            std::string::npos);

  auto blank = Word().GetDocuments().Open(WriteBlank("s.docx"));
  EXPECT_TRUE(blank.Saved());
  EXPECT_FALSE(blank.ref().get("ReadOnly").as_bool());
  blank.GetStyles().Item("Heading 3");  // a lookup, not an edit
  EXPECT_TRUE(blank.Saved());
  blank.GetStyles().Add("Edited");
  EXPECT_FALSE(blank.Saved());
  blank.Save();
  EXPECT_TRUE(blank.Saved());
  // Saved cleared with nothing changed: the file already holds the
  // document and is left as it is (a rewrite would be a new file).
  struct stat was {}, now {};
  ::stat(Path("s.docx").c_str(), &was);
  blank.SetSaved(false);
  EXPECT_FALSE(blank.Saved());
  blank.Save();
  ::stat(Path("s.docx").c_str(), &now);
  EXPECT_TRUE(blank.Saved());
  EXPECT_EQ(now.st_ino, was.st_ino);
  fs::remove(Path("s.docx"));
  blank.SetSaved(false);
  blank.Save();
  EXPECT_TRUE(fs::exists(Path("s.docx"))) << "a file gone from disk is written again";
  blank.UndoClear();
  blank.UndoClear();
  EXPECT_EQ(dynamic_cast<Document&>(*blank.obj()).undo_clears(), 2);
  auto reopened = host::Application(Application::Create(options_)).GetDocuments().Open(Path("s.docx"));
  EXPECT_EQ(reopened.GetStyles().Item("Edited").NameLocal(), "Edited");
  EXPECT_EQ(reopened.GetStyles().Item("Heading 3").NameLocal(), "Heading 3");

  auto word = Word();
  auto named = word.GetDocuments().Add();
  EXPECT_EQ(ErrorOf([&] { named.Save(); }), host::kErrWordBuffersFull) << "never saved: no name to save under";
  named.SaveAs(Path("named.docx"));
  EXPECT_EQ(named.Name(), "named.docx");
  EXPECT_EQ(named.FullName(), Path("named.docx"));
  EXPECT_EQ(named.Path(), dir_.string());
  EXPECT_TRUE(named.Saved());
  EXPECT_EQ(word.GetDocuments().Item("named.docx").obj(), named.obj());
  EXPECT_EQ(ErrorOf([&] { word.GetDocuments().Item("Document1"); }), host::kErrNoSuchCollectionMember);

  fs::permissions(Path("named.docx"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  auto other = host::Application(Application::Create(options_)).GetDocuments().Open(Path("named.docx"));
  EXPECT_TRUE(other.ref().get("ReadOnly").as_bool());
  other.GetStyles().Add("Try");
  EXPECT_EQ(ErrorOf([&] { other.Save(); }), host::kErrWordBuffersFull);
  other.SaveAs(Path("writable.docx"));
  EXPECT_FALSE(other.ref().get("ReadOnly").as_bool());
  EXPECT_EQ(other.Name(), "writable.docx");
  auto forced = word.GetDocuments().ref().call("Open", {Path("writable.docx"), host::Value::missing(), true});
  EXPECT_TRUE(forced.as_object()->get("ReadOnly").as_bool()) << "the ReadOnly argument forces it";

  fs::create_directories(dir_ / "sub");
  auto source = word.GetDocuments().Open(WriteBlank("source.docx"));
  source.GetStyles().Add("Only In Memory");
  const std::string source_bytes = ReadFile(Path("source.docx"));
  auto fresh = word.GetDocuments().Add();
  const auto cwd = fs::current_path();
  fs::current_path(dir_);
  // The same file however it is spelt.
  for (const std::string& name : {Path("source.docx"), Path("sub/../source.docx"), std::string("source.docx")}) {
    EXPECT_EQ(ErrorOf([&] { fresh.SaveAs(name); }), host::kErrNameOfOpenDocument) << name;
    EXPECT_EQ(ReadFile(Path("source.docx")), source_bytes) << name;
    EXPECT_EQ(fresh.Path(), "") << name;
  }
  fs::current_path(cwd);
  fs::permissions(WriteBlank("locked.docx"), fs::perms::owner_read);
  EXPECT_EQ(ErrorOf([&] { fresh.SaveAs(Path("locked.docx")); }), host::kErrCannotSaveFile) << "read-only stays";
  source.SaveAs(Path("source.docx"));  // its own file is its own to save
  source.Close(0);
  fresh.SaveAs(Path("source.docx"));  // closed, the file is free
  EXPECT_EQ(fresh.FullName(), Path("source.docx"));

  std::string original = ReadFile(WriteBlank("keep.docx"));
  auto keep = Word().GetDocuments().Open(Path("keep.docx"));
  keep.GetStyles().Add("Pending");

  EXPECT_NE(ErrorOf([&] { keep.SaveAs(Path("no-such-folder/keep.dotx")); }), 0);
  EXPECT_FALSE(keep.Saved());
  EXPECT_EQ(keep.FullName(), Path("keep.docx"));

  options_.faults->fail("Document.Save", 1, host::kErrWordBuffersFull);
  EXPECT_EQ(ErrorOf([&] { keep.Save(); }), host::kErrWordBuffersFull);
  EXPECT_EQ(ReadFile(Path("keep.docx")), original) << "the file on disk is as it was";
  EXPECT_FALSE(keep.Saved());

  keep.SaveAs(Path("later.doc"));  // an extension that decides nothing
  EXPECT_EQ(ooxml::Package::Open(Path("later.doc")).Get("[Content_Types].xml").find("template"), std::string::npos)
      << "the failed save as a template left the content type alone";
  keep.GetStyles().Add("Later");
  keep.Save();  // the plan failed only the first call
  EXPECT_TRUE(keep.Saved());
  EXPECT_NE(ooxml::Package::Open(Path("later.doc")).Get("word/styles.xml").find("w:styleId=\"Later\""),
            std::string::npos);
}

// Old extensions hold packages too; only the four decide the main content type.
TEST_F(DocumentTest, ExtensionsDecideTheContentTypeCloseSavesOnlyWhenAskedAndBlanksAreWhatWordStartsWith) {
  WriteBlankDocument(Path("old.doc"));
  WriteBlankDocument(Path("old.dot"));
  auto doc = Word().GetDocuments().Open(Path("old.doc"));
  doc.GetStyles().Add("Kept");
  doc.Save();
  auto again = host::Application(Application::Create(options_)).GetDocuments().Open(Path("old.doc"));
  EXPECT_EQ(again.GetStyles().Item("Kept").BaseStyle(), "Normal");
  auto main_type = [&](const std::string& name) {
    auto pkg = ooxml::Package::Open(Path(name));
    pugi::xml_document types;
    ooxml::LoadXml(types, pkg.Get("[Content_Types].xml"), name, "[Content_Types].xml");
    return std::string(types.document_element().find_child_by_attribute("Override", "PartName", "/word/document.xml")
                           .attribute("ContentType").value());
  };
  EXPECT_EQ(main_type("old.dot"), kCtTemplate);
  // Macros follow the content, not the name.
  const std::pair<const char*, const char*> saves[] = {
      {"b.dotx", kCtTemplate}, {"c.doc", kCtTemplate}, {"d.docm", kCtDocument}, {"e.dotm", kCtTemplate},
      {"f.docx", kCtDocument}};
  for (const auto& [name, type] : saves) {
    doc.SaveAs(Path(name));
    EXPECT_EQ(main_type(name), type) << name;
  }
  doc.Close();

  std::string original = ReadFile(WriteBlank("c.docx"));
  auto word = Word();
  auto closing = word.GetDocuments().Open(Path("c.docx"));
  closing.GetStyles().Add("Dropped");
  closing.Close();
  EXPECT_EQ(ReadFile(Path("c.docx")), original);
  EXPECT_EQ(word.GetDocuments().Count(), 0);

  closing = word.GetDocuments().Open(Path("c.docx"));
  EXPECT_EQ(ErrorOf([&] { closing.GetStyles().Item("Dropped"); }), host::kErrNoSuchCollectionMember)
      << "reopened from the file, not from memory";
  closing.GetStyles().Add("Kept");
  closing.Close(-1);
  EXPECT_NE(ReadFile(Path("c.docx")), original);
  closing = word.GetDocuments().Open(Path("c.docx"));
  EXPECT_EQ(closing.GetStyles().Item("Kept").NameLocal(), "Kept");

  auto fresh = word.GetDocuments().Add();
  fresh.GetStyles().Add("Unsaved");
  EXPECT_EQ(ErrorOf([&] { fresh.Close(-1); }), host::kErrWordBuffersFull)
      << "nowhere to save a never-saved document";
  EXPECT_EQ(word.GetDocuments().Count(), 2) << "a close that failed leaves it open";

  // The objects of a closed document refuse use.
  auto styles = closing.GetStyles();
  auto normal = styles.Item("Normal");
  auto window = closing.ActiveWindow();
  closing.Close();
  EXPECT_EQ(ErrorOf([&] { normal.NameLocal(); }), kErrObjectDeleted);
  EXPECT_EQ(ErrorOf([&] { styles.Count(); }), kErrObjectDeleted);
  EXPECT_EQ(ErrorOf([&] { window.Activate(); }), kErrObjectDeleted);
  EXPECT_EQ(ErrorOf([&] { closing.Save(); }), kErrObjectDeleted);

  WriteBlankDocument(Path("blank.docx"));
  WriteBlankDocument(Path("blank.dotx"));
  auto pkg = ooxml::Package::Open(Path("blank.docx"));
  EXPECT_EQ(pkg.MainPart(), "word/document.xml");
  EXPECT_EQ(pkg.Related(pkg.MainPart(), "styles"), "word/styles.xml");
  EXPECT_EQ(pkg.Related(pkg.MainPart(), "settings"), "word/settings.xml");
  EXPECT_NE(pkg.Get("[Content_Types].xml").find(kCtDocument), std::string::npos);
  EXPECT_NE(pkg.Get("word/document.xml").find("<w:body><w:p/><w:sectPr>"), std::string::npos);
  const std::string& blank_styles = pkg.Get("word/styles.xml");
  EXPECT_NE(blank_styles.find("<w:docDefaults>"), std::string::npos);
  EXPECT_NE(blank_styles.find("<w:lsdException w:name=\"heading 9\""), std::string::npos) << "the latent list";
  EXPECT_NE(ooxml::Package::Open(Path("blank.dotx")).Get("[Content_Types].xml").find(kCtTemplate),
            std::string::npos);

  auto blank = Word().GetDocuments().Open(Path("blank.docx"));
  std::vector<std::string> names;
  for (auto& s : blank.GetStyles().all()) names.push_back(s.NameLocal());
  EXPECT_EQ(names, (std::vector<std::string>{"Normal", "Default Paragraph Font", "Table Normal", "No List"}));
  EXPECT_TRUE(blank.GetStyles().Item("Table Normal").BuiltIn());
}

}  // namespace
}  // namespace tarnwell::engine::testing
