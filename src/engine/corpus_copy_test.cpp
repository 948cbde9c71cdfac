// Real documents that we did not make, put through what the copy run asks
// of the engine: the scratch paragraph and table, and the organizer copy of
// every style into a blank document.

#include <algorithm>
#include <iostream>

#include "engine/body.h"
#include "engine/test_support.h"
#include "ooxml/xml.h"

namespace tarnwell::engine::testing {
namespace {

std::string Print(pugi::xml_node n) { return ooxml::NodeXml(n); }

DocumentModel& ModelOf(const host::Document& d) { return std::dynamic_pointer_cast<Document>(d.obj())->model(); }

pugi::xml_node BodyOf(DocumentModel& m) {
  pugi::xml_node root = m.xml(m.main_part()).document_element();
  std::string prefix = ooxml::PrefixFor(root, ooxml::kWordNs, "w");
  return root.child(ooxml::Q(prefix, "body").c_str());
}

TEST_F(CorpusTest, ScratchParagraphAndTableLeaveEveryBodyAsItWas) {
  int checked = 0;
  for (const auto& file : files_) {
    SCOPED_TRACE(file.string());
    auto word = host::Application(Application::Create(options_));
    host::Document doc;
    try {
      doc = word.GetDocuments().Open(file.string());
    } catch (const host::HostError&) {
      continue;  // refusals are the other corpus test's business
    }
    std::string before = Print(BodyOf(ModelOf(doc)));
    auto r = doc.ref().call("Range").as_object();
    r->call("InsertParagraphAfter");
    r->call("MoveEnd", {4, 1});
    r->call("Collapse", {0});
    auto table = doc.ref().get("Tables").as_object()->call("Add", {host::Value(r), 1, 1}).as_object();
    EXPECT_TRUE(r->call("Information", {12}).as_bool());
    r->put("Style", "Table Normal");
    table->call("Delete");
    r->call("MoveEnd", {4, 1});
    r->call("Delete");
    EXPECT_EQ(Print(BodyOf(ModelOf(doc))), before);
    ++checked;
  }
  std::cout << "scratch edits undone in " << checked << " corpus documents\n";
}

// A style's formatting with what it inherits below its type's root folded
// in; list links are left out, as their numbers differ between documents.
std::string Looks(StyleSheet& s, pugi::xml_node style) {
  pugi::xml_document scratch;
  pugi::xml_node mine = scratch.append_copy(style);
  std::vector<pugi::xml_node> seen{style};
  for (pugi::xml_node up = s.by_id(s.reference(style, "basedOn")); up && !s.is_type_root(up);
       up = s.by_id(s.reference(up, "basedOn"))) {
    if (std::find(seen.begin(), seen.end(), up) != seen.end()) break;
    seen.push_back(up);
    InheritFormatting(mine, up, s.prefix());
  }
  mine.child(s.q("pPr").c_str()).remove_child(s.q("numPr").c_str());
  std::string out;
  for (const char* part : {"pPr", "rPr", "tblPr", "trPr", "tcPr", "tblStylePr"}) {
    for (pugi::xml_node c : mine.children(s.q(part).c_str())) out += Print(c);
  }
  return out;
}

// The levels a style's list resolves to, through a list style where the
// definition takes its levels from one.
std::string Levels(DocumentModel& m, pugi::xml_node style) {
  Numbering& n = m.numbering();
  pugi::xml_node abstract = n.abstract_for_num(StyleNumId(m, style));
  for (int hops = 0; abstract && abstract.child(n.q("numStyleLink").c_str()) && hops < 10; ++hops) {
    pugi::xml_node list = m.styles().by_id(abstract.child(n.q("numStyleLink").c_str()).attribute(n.q("val").c_str()).value());
    pugi::xml_node next = list ? n.abstract_for_num(StyleNumId(m, list)) : pugi::xml_node();
    if (!next || next == abstract) break;
    abstract = next;
  }
  std::string out;
  for (pugi::xml_node lvl : abstract.children(n.q("lvl").c_str())) {
    out += std::string(lvl.child(n.q("numFmt").c_str()).attribute(n.q("val").c_str()).value()) + " " +
           lvl.child(n.q("lvlText").c_str()).attribute(n.q("val").c_str()).value() + "|";
  }
  return out;
}

// Every style copied alone into a blank document, in the source's order
// (bases mostly there already) and in reverse (bases mostly missing, so
// rebased on the root with their formatting folded in): each looks as it
// did wherever its new chain is made of copies; after a second pass, with
// every base there, each looks as it did and keeps its list's levels.
TEST_F(CorpusTest, EveryStyleCopiesIntoABlankDocumentLookingAsItDid) {
  int styles = 0, compared = 0;
  for (const auto& file : files_) {
    SCOPED_TRACE(file.string());
    auto word = host::Application(Application::Create(options_));
    host::Document src;
    try {
      src = word.GetDocuments().Open(file.string());
    } catch (const host::HostError&) {
      continue;
    }
    DocumentModel& from = ModelOf(src);
    std::vector<std::string> names;
    for (auto& s : src.GetStyles().all()) names.push_back(s.NameLocal());
    for (bool reversed : {false, true}) {
      std::string blank = Path(reversed ? "reversed.docx" : "blank.docx");
      WriteBlankDocument(blank);
      auto dst = word.GetDocuments().Open(blank);
      DocumentModel& to = ModelOf(dst);
      std::vector<std::string> order = names, copied;
      if (reversed) std::reverse(order.begin(), order.end());
      for (const auto& name : order) {
        word.ref().call("OrganizerCopy", {src.FullName(), dst.FullName(), name, 0});
        copied.push_back(name);
        pugi::xml_node mine = to.styles().find(name);
        bool all_copied = true;
        for (pugi::xml_node up = to.styles().by_id(to.styles().reference(mine, "basedOn"));
             up && !to.styles().is_type_root(up) && all_copied; up = to.styles().by_id(to.styles().reference(up, "basedOn"))) {
          all_copied = std::find(copied.begin(), copied.end(), to.styles().display_name(up)) != copied.end();
          if (up == mine) break;
        }
        if (!all_copied) continue;
        pugi::xml_node theirs = from.styles().find(name);
        EXPECT_EQ(Looks(to.styles(), mine), Looks(from.styles(), theirs)) << name;
        EXPECT_EQ(Levels(to, mine), Levels(from, theirs)) << name;
        ++compared;
      }
      EXPECT_EQ(Dangling(to), std::vector<std::string>{});
      EXPECT_EQ(BeforeTheirBases(to.styles()), std::vector<std::string>{});
      pugi::xml_node numbering = to.numbering().root(false);
      std::string lists = numbering ? Print(numbering) : "";
      for (const auto& name : order) word.ref().call("OrganizerCopy", {src.FullName(), dst.FullName(), name, 0});
      // Reversed, a first copy drops level links to styles not there yet.
      if (!reversed) {
        EXPECT_EQ(numbering ? Print(numbering) : "", lists) << "a second copy adds no list definitions";
      }
      for (const auto& name : names) {
        pugi::xml_node mine = to.styles().find(name), theirs = from.styles().find(name);
        ASSERT_TRUE(mine) << name;
        EXPECT_EQ(Looks(to.styles(), mine), Looks(from.styles(), theirs)) << name;
        EXPECT_EQ(Levels(to, mine), Levels(from, theirs)) << name;
      }
      EXPECT_EQ(BeforeTheirBases(to.styles()), std::vector<std::string>{});
      dst.Save();
      dst.Close();
    }
    styles += static_cast<int>(names.size());
  }
  std::cout << "copied " << styles << " corpus styles four times; " << compared << " compared right after their copy\n";
}

}  // namespace
}  // namespace tarnwell::engine::testing
