#include "engine/body.h"

#include <functional>
#include <tuple>

#include "engine/test_support.h"
#include "ooxml/xml.h"

namespace tarnwell::engine::testing {
namespace {

constexpr const char* kTwoParagraphs =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
    "<w:p><w:r><w:t>Hello </w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>world</w:t></w:r></w:p>"
    "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r><w:t>Second</w:t><w:tab/></w:r></w:p>"
    "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr></w:body></w:document>";

class BodyTest : public EngineTest {
 protected:
  host::Document OpenWith(const std::string& document_xml) {
    std::string path = Path("body.docx");
    auto pkg = BlankPackage(path);
    pkg.Set("word/document.xml", document_xml);
    pkg.Save(path);
    auto doc = Word().GetDocuments().Open(path);
    model_ = std::dynamic_pointer_cast<Document>(doc.obj())->model_ptr();
    return doc;
  }
  std::string BodyXml() {
    pugi::xml_node body = model_->xml(model_->main_part()).document_element().child("w:body");
    return ooxml::NodeXml(body);
  }
  void ExpectSectionLast() {
    pugi::xml_node body = model_->xml(model_->main_part()).document_element().child("w:body");
    EXPECT_STREQ(body.last_child().name(), "w:sectPr");
    EXPECT_EQ(body.select_nodes("w:sectPr").size(), 1u);
  }
  static host::ObjectPtr Range(const host::Document& doc) { return doc.ref().call("Range").as_object(); }
  std::shared_ptr<DocumentModel> model_;
};

TEST_F(BodyTest, PositionsAndTextCountCharactersMarksAndTabsAndDeletesJoinParagraphs) {
  auto doc = OpenWith(kTwoParagraphs);
  auto all = Range(doc);
  EXPECT_EQ(all->get("Start").as_int(), 0);
  EXPECT_EQ(all->get("End").as_int(), 20);
  EXPECT_EQ(all->get("Text").as_string(), "Hello world\rSecond\t\r");
  auto part = doc.ref().call("Range", {6, 11}).as_object();
  EXPECT_EQ(part->get("Text").as_string(), "world");
  // An end set before the start takes the start along, and the other way.
  part->put("End", 3);
  EXPECT_EQ(part->get("Start").as_int(), 3);
  part->put("Start", 15);
  EXPECT_EQ(part->get("End").as_int(), 15);
  EXPECT_EQ(ErrorOf([&] { Range(doc)->put("Style", "No Such Style"); }), host::kErrNoSuchStyle);
  EXPECT_TRUE(doc.Saved());
  // A delete trims text and joins the paragraphs whose mark went.
  doc.ref().call("Range", {3, 14}).as_object()->call("Delete");
  EXPECT_EQ(Range(doc)->get("Text").as_string(), "Helcond\t\r");
  ExpectSectionLast();
}

TEST_F(BodyTest, ScratchParagraphAndTableComeAndGoLeavingTheBodyAsItWas) {
  auto doc = OpenWith(kTwoParagraphs);
  std::string before = BodyXml();
  auto r = Range(doc);
  r->call("InsertParagraphAfter");
  EXPECT_EQ(r->get("End").as_int(), 21) << "the range takes in the new paragraph";
  r->call("MoveEnd", {4, 1});
  r->call("Collapse", {0});
  EXPECT_EQ(r->get("Start").as_int(), 20) << "in the new, last paragraph";
  EXPECT_FALSE(doc.Saved());
  r->put("Style", "Heading 1");
  pugi::xml_node body = model_->xml(model_->main_part()).document_element().child("w:body");
  EXPECT_STREQ(body.child("w:sectPr").previous_sibling().child("w:pPr").child("w:pStyle").attribute("w:val").value(),
               "Heading1");
  EXPECT_STREQ(body.child("w:sectPr").previous_sibling().child("w:pPr").child("w:jc").attribute("w:val").value(),
               "center")
      << "the new paragraph carries on the formatting of the one before";
  ExpectSectionLast();
  EXPECT_EQ(r->get("Style").as_string(), "Heading 1");

  r->call("MoveEnd", {4, 1});
  r->call("Delete");
  EXPECT_EQ(BodyXml(), before);
  ExpectSectionLast();

  // Again, with a scratch table that holds the range and takes table styles.
  r = Range(doc);
  r->call("InsertParagraphAfter");
  r->call("MoveEnd", {4, 1});
  r->call("Collapse", {0});
  EXPECT_FALSE(r->call("Information", {12}).as_bool());
  EXPECT_EQ(ErrorOf([&] { r->put("Style", "Table Normal"); }), host::kErrCommandFailed)
      << "a table style needs a table";
  auto tables = doc.ref().get("Tables").as_object();
  auto table = tables->call("Add", {host::Value(r), 1, 1}).as_object();
  EXPECT_EQ(tables->get("Count").as_int(), 1);
  EXPECT_TRUE(r->call("Information", {12}).as_bool());
  r->put("Style", "Table Normal");
  r->put("Style", "Heading 2");
  pugi::xml_node tbl = body.child("w:tbl");
  ASSERT_TRUE(tbl);
  EXPECT_STREQ(tbl.child("w:tblPr").child("w:tblStyle").attribute("w:val").value(), "TableNormal");
  EXPECT_STREQ(tbl.child("w:tr").child("w:tc").child("w:p").child("w:pPr").child("w:pStyle").attribute("w:val").value(),
               "Heading2");
  EXPECT_TRUE(tbl.child("w:tblGrid").child("w:gridCol"));
  ExpectSectionLast();

  table->call("Delete");
  EXPECT_EQ(tables->get("Count").as_int(), 0);
  EXPECT_FALSE(r->call("Information", {12}).as_bool());
  EXPECT_EQ(ErrorOf([&] { table->call("Delete"); }), kErrObjectDeleted);
  r->call("MoveEnd", {4, 1});
  r->call("Delete");
  EXPECT_EQ(BodyXml(), before);
}

TEST_F(BodyTest, BookmarksRoundTripThroughSelectionAndFile) {
  auto doc = OpenWith(kTwoParagraphs);
  std::string path = doc.FullName();
  auto word = Word();
  auto marks = doc.ref().get("Bookmarks").as_object();
  EXPECT_EQ(ErrorOf([&] { marks->call("Item", {"ReturnHereQQQ"}); }), host::kErrNoSuchCollectionMember);
  EXPECT_EQ(ErrorOf([&] { marks->call("Add", {"2bad name", host::Value(Range(doc))}); }), kErrBadBookmarkName);

  marks->call("Add", {"Word", doc.ref().call("Range", {6, 11})});
  auto sel = host::deref(word.Selection()).get("Range").as_object();
  EXPECT_EQ(sel->get("Start").as_int(), 0) << "a new document's selection is at its start";
  marks->call("Add", {"ReturnHereQQQ", host::Value(sel)});
  EXPECT_TRUE(marks->call("Exists", {"ReturnHereQQQ"}).as_bool());
  EXPECT_FALSE(marks->call("Exists", {"returnhereqqq"}).as_bool());
  EXPECT_EQ(marks->get("Count").as_int(), 2);
  auto other = word.GetDocuments().Add();
  auto word_mark = marks->call("Item", {"Word"}).as_object();
  EXPECT_EQ(word_mark->get("Range").as_object()->get("Text").as_string(), "world");

  pugi::xml_node body = model_->xml(model_->main_part()).document_element().child("w:body");
  auto starts = body.select_nodes("//w:bookmarkStart");
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_STRNE(starts[0].node().attribute("w:id").value(), starts[1].node().attribute("w:id").value());

  EXPECT_EQ(word.ActiveDocument().Name(), other.Name());
  word_mark->call("Select");
  EXPECT_EQ(word.ActiveDocument().Name(), doc.Name()) << "selecting activates the document";
  sel = host::deref(word.Selection()).get("Range").as_object();
  EXPECT_EQ(sel->get("Start").as_int(), 6);
  EXPECT_EQ(sel->get("End").as_int(), 11);

  doc.Save();
  doc.Close();
  auto again = word.GetDocuments().Open(path);
  auto kept = again.ref().get("Bookmarks").as_object();
  EXPECT_TRUE(kept->call("Exists", {"ReturnHereQQQ"}).as_bool()) << "kept in the saved file";
  kept->call("Item", {"ReturnHereQQQ"}).as_object()->call("Delete");
  EXPECT_FALSE(kept->call("Exists", {"ReturnHereQQQ"}).as_bool());
  EXPECT_TRUE(kept->call("Exists", {"Word"}).as_bool());
  EXPECT_FALSE(again.Saved());
}

TEST_F(BodyTest, DeletingABookmarkedParagraphKeepsNoHalfBookmark) {
  auto doc = OpenWith(kTwoParagraphs);
  auto marks = doc.ref().get("Bookmarks").as_object();
  marks->call("Add", {"Across", doc.ref().call("Range", {2, 15})});
  doc.ref().call("Range", {0, 12}).as_object()->call("Delete");
  pugi::xml_node body = model_->xml(model_->main_part()).document_element().child("w:body");
  EXPECT_EQ(body.select_nodes("//w:bookmarkStart").size(), body.select_nodes("//w:bookmarkEnd").size());
  EXPECT_EQ(Range(doc)->get("Text").as_string(), "Second\t\r");
}

// Edits walk the body again only from the first element they touched; after
// each, what the document holds must be what a walk from scratch finds.
TEST_F(BodyTest, LayoutAfterEachEditEqualsAFreshWalk) {
  auto doc = OpenWith(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document "
      "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
      "<w:p><w:r><w:t>One</w:t></w:r></w:p><w:bookmarkStart w:id=\"3\" w:name=\"Top\"/>"
      "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>a\xC3\xA9</w:t></w:r></w:p></w:tc><w:tc><w:p/></w:tc></w:tr></w:tbl>"
      "<w:p><w:bookmarkEnd w:id=\"3\"/><w:r><w:t>Two</w:t><w:tab/><w:t>x</w:t></w:r></w:p>"
      "<w:sdt><w:sdtContent><w:p><w:r><w:t>Three</w:t></w:r></w:p></w:sdtContent></w:sdt>"
      "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>last</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
      "<w:sectPr/></w:body></w:document>");
  auto at = [&](int32_t s, int32_t e) { return doc.ref().call("Range", {s, e}).as_object(); };
  auto marks = doc.ref().get("Bookmarks").as_object();
  auto tables = doc.ref().get("Tables").as_object();
  auto end = [&] { return Range(doc)->get("End").as_int(); };
  struct Step {
    const char* what;
    std::function<void()> edit;
  };
  const std::vector<Step> steps = {
      {"paragraph in a cell", [&] { at(4, 5)->call("InsertParagraphAfter"); }},
      {"paragraph after the first", [&] { at(0, 1)->call("InsertParagraphAfter"); }},
      {"paragraph at the story's end", [&] { Range(doc)->call("InsertParagraphAfter"); }},
      {"bookmark at the start", [&] { marks->call("Add", {"Start", host::Value(at(0, 0))}); }},
      {"bookmark near the end", [&] { marks->call("Add", {"Late", host::Value(at(end() - 3, end() - 1))}); }},
      {"table before the last paragraph", [&] { tables->call("Add", {host::Value(at(end() - 1, end() - 1)), 2, 2}); }},
      {"text across the first table", [&] { at(3, 12)->call("Delete"); }},
      {"last table", [&] { tables->call("Item", {tables->get("Count").as_int()}).as_object()->call("Delete"); }},
      {"bookmark deleted", [&] { marks->call("Item", {"Start"}).as_object()->call("Delete"); }},
      {"the last two characters", [&] { at(end() - 2, end())->call("Delete"); }},
      {"everything", [&] { Range(doc)->call("Delete"); }},
  };
  auto same = [](const Body::Layout& a, const Body::Layout& b) {
    auto para = [](const Body::Para& p) { return std::tuple(p.node, p.start, p.mark, p.in_table); };
    auto table = [](const Body::Table& t) { return std::tuple(t.node, t.start, t.end, t.top_level); };
    auto mark = [](const Body::Mark& m) { return std::tuple(m.name, m.id, m.start_node, m.end_node, m.start, m.end); };
    auto atom = [](const Body::Atom& x) { return std::tuple(x.node, x.start, x.len, x.text); };
    auto eq = [](const auto& x, const auto& y, auto key) {
      return std::equal(x.begin(), x.end(), y.begin(), y.end(), [&](const auto& i, const auto& j) { return key(i) == key(j); });
    };
    return a.length == b.length && a.max_bookmark_id == b.max_bookmark_id && eq(a.paras, b.paras, para) &&
           eq(a.tables, b.tables, table) && eq(a.marks, b.marks, mark) &&
           std::equal(a.atoms.begin(), a.atoms.end(), b.atoms.begin(), b.atoms.end(),
                      [&](const auto& x, const auto& y) { return eq(x, y, atom); });
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    const Body::Layout& before = model_->body().current_layout();
    EXPECT_GT(before.tops.size(), 1u);
    step.edit();
    Body fresh(*model_);
    EXPECT_TRUE(same(model_->body().current_layout(), fresh.current_layout()));
  }
}

}  // namespace
}  // namespace tarnwell::engine::testing
