// Real documents that we did not make, put through what the copy run asks
// of the engine: the scratch paragraph and table, and the organizer copy of
// every style into a blank document.

#include <algorithm>
#include <chrono>
#include <iostream>

#include "engine/body.h"
#include "engine/builtin_styles.h"
#include "engine/numbering.h"
#include "engine/styles.h"
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

// Style references that point at nothing, as "style child -> id".
std::vector<std::string> Dangling(DocumentModel& m) {
  std::vector<std::string> out;
  StyleSheet& s = m.styles();
  for (size_t i = 0; i < s.count(); ++i) {
    pugi::xml_node st = s.at(i);
    for (const char* child : {"basedOn", "next", "link"}) {
      std::string ref = s.reference(st, child);
      if (!ref.empty() && !s.by_id(ref)) out.push_back(s.id(st) + " " + child + " -> " + ref);
    }
    std::string num = st.child(s.q("pPr").c_str()).child(s.q("numPr").c_str()).child(s.q("numId").c_str())
                          .attribute(s.q("val").c_str()).value();
    if (!num.empty() && num != "0" && !m.numbering().abstract_for_num(num)) {
      out.push_back(s.id(st) + " numId -> " + num);
    }
  }
  return out;
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

TEST_F(CorpusTest, EveryStyleCopiesIntoABlankDocumentWithNothingDangling) {
  int styles = 0;
  auto started = std::chrono::steady_clock::now();
  for (const auto& file : files_) {
    SCOPED_TRACE(file.string());
    auto word = host::Application(Application::Create(options_));
    host::Document src;
    try {
      src = word.GetDocuments().Open(file.string());
    } catch (const host::HostError&) {
      continue;
    }
    std::string blank = Path("blank.docx");
    WriteBlankDocument(blank);
    auto dst = word.GetDocuments().Open(blank);
    std::vector<std::string> names;
    for (auto& s : src.GetStyles().all()) names.push_back(s.NameLocal());
    for (const auto& name : names) word.ref().call("OrganizerCopy", {src.FullName(), dst.FullName(), name, 0});
    EXPECT_EQ(Dangling(ModelOf(dst)), std::vector<std::string>{});
    pugi::xml_node numbering = ModelOf(dst).numbering().root(false);
    std::string lists = numbering ? Print(numbering) : "";
    for (const auto& name : names) word.ref().call("OrganizerCopy", {src.FullName(), dst.FullName(), name, 0});
    EXPECT_EQ(numbering ? Print(numbering) : "", lists) << "a second copy adds no list definitions";
    for (const auto& name : names) EXPECT_EQ(dst.GetStyles().Item(name).NameLocal(), name);
    dst.Save();
    dst.Close();
    styles += static_cast<int>(names.size());
  }
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
  std::cout << "copied " << styles << " corpus styles twice in " << ms.count() << " ms\n";
}

}  // namespace
}  // namespace tarnwell::engine::testing
