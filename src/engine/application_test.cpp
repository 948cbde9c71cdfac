#include "engine/application.h"

#include <tuple>

#include "engine/test_support.h"

namespace tarnwell::engine::testing {
namespace {

class ApplicationTest : public EngineTest {};

TEST_F(ApplicationTest, ReportsBuildVersionKeepsItsSwitchesAndActiveDocumentNeedsAnOpenDocument) {
  options_.build = "12.0.4518";
  auto word = Word();
  EXPECT_EQ(word.Build(), "12.0.4518");
  EXPECT_EQ(word.ref().get("Version").as_string(), "12.0");
  EXPECT_TRUE(word.ScreenUpdating());
  word.SetScreenUpdating(false);
  EXPECT_FALSE(word.ScreenUpdating());
  word.ScreenRefresh();
  word.ScreenRefresh();
  EXPECT_EQ(app_->screen_refreshes(), 2);
  auto opts = word.ref().get("Options").as_object();
  EXPECT_EQ(opts->get("Pagination").as_int(), host::kTrue);
  word.SetPagination(false);
  EXPECT_EQ(opts->get("Pagination").as_int(), host::kFalse);
  EXPECT_EQ(word.ref().get("Options").as_object(), opts) << "one Options object per application";

  EXPECT_EQ(ErrorOf([&] { word.ActiveDocument(); }), kErrNoDocumentOpen);
  auto a = word.GetDocuments().Add();
  auto b = word.GetDocuments().Add();
  EXPECT_EQ(word.ActiveDocument().Name(), b.Name());
  a.ActiveWindow().Activate();
  EXPECT_EQ(word.ActiveDocument().Name(), a.Name());
  a.Close();
  EXPECT_EQ(word.ActiveDocument().Name(), b.Name()) << "closing hands activity to the one left";
  b.Close();
  EXPECT_EQ(ErrorOf([&] { word.ActiveDocument(); }), kErrNoDocumentOpen);
  // The state outlives the caller's references to children.
  word.GetDocuments().Add();
  EXPECT_EQ(word.GetDocuments().Count(), 1);
  EXPECT_EQ(word.Selection()->get("Document").as_object(), word.ActiveDocument().obj());
}

TEST_F(ApplicationTest, DocumentsAddNamesCountsAndFindsInOpeningOrderAndOpenAnOpenFileOnlyOnce) {
  auto word = Word();
  auto docs = word.GetDocuments();
  auto d1 = docs.Add();
  auto opened = docs.Open(WriteBlank("report.docx"));
  auto d2 = docs.Add();
  EXPECT_EQ(d1.Name(), "Document1");
  EXPECT_EQ(d2.Name(), "Document2");
  EXPECT_EQ(d1.Path(), "");
  EXPECT_EQ(d1.FullName(), "Document1");
  EXPECT_EQ(opened.Name(), "report.docx");
  EXPECT_EQ(opened.FullName(), Path("report.docx"));
  EXPECT_EQ(opened.Path(), dir_.string());
  ASSERT_EQ(docs.Count(), 3);
  std::vector<std::string> names;
  for (auto& d : docs.all()) names.push_back(d.Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Document1", "report.docx", "Document2"}));
  EXPECT_EQ(docs.Item("report.docx").obj(), opened.obj());
  EXPECT_EQ(docs.Item(Path("report.docx")).obj(), opened.obj());
  EXPECT_EQ(docs.Item(3).obj(), d2.obj());
  EXPECT_EQ(ErrorOf([&] { docs.Item("REPORT.DOCX"); }), host::kErrNoSuchCollectionMember);
  EXPECT_EQ(ErrorOf([&] { docs.Item(4); }), host::kErrNoSuchCollectionMember);
  EXPECT_EQ(ErrorOf([&] { docs.Item(0); }), host::kErrNoSuchCollectionMember);
  EXPECT_EQ(ErrorOf([&] { docs.Item("nothing.docx"); }), host::kErrNoSuchCollectionMember);

  d1.Close();
  EXPECT_EQ(docs.Count(), 2);
  EXPECT_EQ(docs.Item(1).obj(), opened.obj());
  EXPECT_EQ(docs.Add().Name(), "Document3") << "numbers are not reused in a session";
  EXPECT_EQ(ErrorOf([&] { d1.Name(); }), kErrObjectDeleted);

  auto first = docs.Open(WriteBlank("a.docx"));
  docs.Add();
  auto again = docs.Open((dir_ / "." / "a.docx").string());
  EXPECT_EQ(first.obj(), again.obj());
  EXPECT_EQ(docs.Count(), 5);
  EXPECT_EQ(word.ActiveDocument().obj(), first.obj()) << "opening it again activates it";
}

TEST_F(ApplicationTest, OpenFailuresLeaveNothingOpenAndTheNormalTemplateIsWrittenWhenMissing) {
  auto pkg = BlankPackage("broken.docx");
  pkg.Set("word/styles.xml", std::string(kStylesOpen) + "<w:style w:styleId=\"A\"><w:name w:val=\"A\"></w:styles>");
  pkg.Save(Path("broken.docx"));
  auto docs = Word().GetDocuments();
  const std::tuple<const char*, int32_t, const char*> cases[] = {
      {"absent.docx", host::kErrFileNotFound, ""},
      {"broken.docx", host::kErrWordCannotOpenFile, "word/styles.xml"},
  };
  for (const auto& [name, number, part] : cases) {
    host::HostError e = RaisedBy([&] { docs.Open(Path(name)); });
    EXPECT_EQ(e.number(), number) << name;
    EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
  }
  EXPECT_EQ(docs.Count(), 0) << "a refused file leaves nothing open";

  auto word = Word();
  ASSERT_FALSE(fs::exists(Path("Normal.dotm")));
  auto normal = word.NormalTemplate();
  EXPECT_TRUE(fs::exists(Path("Normal.dotm")));
  EXPECT_EQ(normal.Name(), "Normal.dotm");
  EXPECT_EQ(normal.FullName(), Path("Normal.dotm"));
  EXPECT_EQ(normal.ref().get("Path").as_string(), dir_.string());
  auto doc = normal.OpenAsDocument();
  EXPECT_EQ(doc.FullName(), Path("Normal.dotm"));
  EXPECT_EQ(word.GetDocuments().Count(), 1);
  EXPECT_EQ(normal.OpenAsDocument().obj(), doc.obj());
}

TEST_F(ApplicationTest, AddedDocumentsCarryTheNormalTemplatesStylesAndListsAndTheFaultPlanIsShared) {
  WriteWithNumbering("Normal.dotm",
                     "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
                     "</w:style><w:style w:type=\"paragraph\" w:customStyle=\"1\" w:styleId=\"House\">"
                     "<w:name w:val=\"House\"/><w:basedOn w:val=\"Normal\"/></w:style>",
                     "<w:abstractNum w:abstractNumId=\"7\"/>");
  auto doc = Word().GetDocuments().Add();
  auto styles = doc.GetStyles();
  EXPECT_EQ(styles.Count(), 2);
  EXPECT_EQ(styles.Item("House").BaseStyle(), "Normal");
  EXPECT_TRUE(doc.Saved()) << "an untouched new document has nothing to save";
  doc.SaveAs(Path("new.docx"));
  auto saved = ooxml::Package::Open(Path("new.docx"));
  std::string numbering = saved.Related(saved.MainPart(), "numbering");
  ASSERT_FALSE(numbering.empty());
  EXPECT_NE(saved.Get(numbering).find("w:abstractNumId=\"7\""), std::string::npos);

  auto word = Word();
  auto faulty = word.GetDocuments().Add();
  options_.faults->fail("Style.NameLocal", 2, host::kErrWordBuffersFull);
  options_.faults->fail("Documents.Count", 1, host::kErrServerFault);
  auto normal = faulty.GetStyles().Item("Normal");
  EXPECT_EQ(ErrorOf([&] { normal.NameLocal(); }), 0);
  EXPECT_EQ(ErrorOf([&] { normal.NameLocal(); }), host::kErrWordBuffersFull);
  EXPECT_EQ(ErrorOf([&] { normal.NameLocal(); }), 0);
  EXPECT_EQ(ErrorOf([&] { word.GetDocuments().Count(); }), host::kErrServerFault);
  EXPECT_EQ(word.GetDocuments().Count(), 2);
}

}  // namespace
}  // namespace tarnwell::engine::testing
