#include "engine/builtin_styles.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <set>

namespace tarnwell::engine {
namespace {

TEST(BuiltinStyles, NamesNumbersAndIdsFollowWordAndTheTableIsConsistent) {
  const std::pair<const char*, const char*> cases[] = {
      {"heading 1", "Heading 1"},
      {"heading 9", "Heading 9"},
      {"normal", "Normal"},
      {"Normal Table", "Table Normal"},
      {"Table Normal", "Table Normal"},
      {"toc 3", "TOC 3"},
      {"index 2", "Index 2"},
      {"toa heading", "TOA Heading"},
      {"annotation text", "Comment Text"},
      {"annotation reference", "Comment Reference"},
      {"annotation subject", "Comment Subject"},
      {"macro", "Macro Text"},
      {"HTML Top of Form", "z-Top of Form"},
      {"HTML Bottom of Form", "z-Bottom of Form"},
      {"Outline List 1", "1 / a / i"},
      {"Outline List 2", "1 / 1.1 / 1.1.1"},
      {"Outline List 3", "Article / Section"},
      {"footnote text", "Footnote Text"},
      {"table of figures", "Table of Figures"},
      {"caption", "Caption"},
      {"header", "Header"},
      {"FollowedHyperlink", "FollowedHyperlink"},
      {"Light Shading Accent 1", "Light Shading Accent 1"},
  };
  for (const auto& [stored, shown] : cases) {
    EXPECT_EQ(DisplayName(stored, false), shown) << stored;
    // And back: the shown name finds the same built-in.
    ASSERT_NE(FindBuiltin(shown), nullptr) << shown;
    EXPECT_EQ(FindBuiltin(shown), FindBuiltin(stored)) << shown;
  }
  // Custom and unknown names stay as written.
  EXPECT_EQ(DisplayName("heading 1", true), "heading 1") << "a custom style is not Word's";
  EXPECT_EQ(DisplayName("Heading 1 Char", false), "Heading 1 Char");
  EXPECT_EQ(DisplayName("heading 1,h1", false), "heading 1,h1");
  EXPECT_EQ(FindBuiltin("Heading 10"), nullptr);
  EXPECT_EQ(FindBuiltin(""), nullptr);

  const std::pair<int32_t, const char*> numbers[] = {
      {-1, "Normal"},        {-2, "heading 1"},     {-10, "heading 9"}, {-20, "toc 1"},
      {-63, "Title"},        {-66, "Default Paragraph Font"},           {-67, "Body Text"},
      {-86, "Hyperlink"},    {-95, "Normal (Web)"}, {-106, "Normal Table"},
      {-107, nullptr},       {0, nullptr}};
  for (const auto& [number, name] : numbers) {
    const BuiltinStyle* b = BuiltinByNumber(number);
    EXPECT_EQ(b ? b->file_name : "(none)", name ? name : "(none)") << number;
  }

  const auto& table = BuiltinStyles();
  EXPECT_GT(table.size(), 250u) << "Word 2003's built-ins and 2007's gallery";
  std::set<std::string> keys, ids;
  int defaults = 0;
  for (const auto& b : table) {
    SCOPED_TRACE(b.file_name);
    EXPECT_TRUE(ids.insert(Lower(b.id)).second) << "duplicate id " << b.id;
    EXPECT_TRUE(keys.insert(Lower(b.file_name)).second) << "duplicate name";
    if (Lower(b.ui_name) != Lower(b.file_name)) {
      EXPECT_TRUE(keys.insert(Lower(b.ui_name)).second) << "shown name taken";
    }
    if (!b.based_on.empty()) {
      const BuiltinStyle* base = FindBuiltin(b.based_on);
      ASSERT_NE(base, nullptr);
      EXPECT_EQ(base->kind, b.kind) << "based on a style of another type";
    }
    if (!b.next.empty()) {
      const BuiltinStyle* next = FindBuiltin(b.next);
      ASSERT_NE(next, nullptr);
      EXPECT_EQ(next->kind, StyleKind::Paragraph);
    }
    defaults += b.is_default;
    std::string xml = BuiltinStyleXml(b, b.id, "Base", "Next");
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(xml.c_str())) << xml;
  }
  EXPECT_EQ(defaults, 4) << "Normal, Default Paragraph Font, Table Normal, No List";

  const BuiltinStyle* h3 = FindBuiltin("Heading 3");
  ASSERT_NE(h3, nullptr);
  EXPECT_EQ(h3->kind, StyleKind::Paragraph);
  EXPECT_EQ(h3->based_on, "Normal");
  EXPECT_EQ(h3->next, "Normal");
  std::string xml = BuiltinStyleXml(*h3, "Heading3", "Normal", "Normal");
  for (const char* part : {"<w:keepNext/>", "<w:keepLines/>", "<w:outlineLvl w:val=\"2\"/>", "<w:b/>"}) {
    EXPECT_NE(xml.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(FindBuiltin("Hyperlink")->kind, StyleKind::Character);
  EXPECT_EQ(FindBuiltin("Table Grid")->kind, StyleKind::Table);
  EXPECT_EQ(FindBuiltin("Table Grid")->based_on, "Normal Table");
  EXPECT_EQ(FindBuiltin("No List")->kind, StyleKind::List);
  EXPECT_EQ(FindBuiltin("TOC Heading")->based_on, "heading 1");

  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(LatentStylesXml().c_str()));
  size_t n = 0;
  for (auto e : doc.document_element().children("w:lsdException")) {
    EXPECT_NE(FindBuiltin(e.attribute("w:name").value()), nullptr);
    ++n;
  }
  EXPECT_EQ(n, BuiltinStyles().size());
  EXPECT_EQ(doc.document_element().attribute("w:count").as_uint(), n);

  const std::pair<const char*, const char*> id_cases[] = {
      {"Heading 1", "Heading1"}, {"Normal (Web)", "NormalWeb"},     {"1 / 1.1 / 1.1.1", "111111"},
      {"E-mail Signature", "E-mailSignature"},                      {"Überschrift 1", "Überschrift1"},
      {"!!!", "Style"}};
  for (const auto& [name, id] : id_cases) {
    EXPECT_EQ(IdFromName(name), id);
  }
}

}  // namespace
}  // namespace tarnwell::engine
