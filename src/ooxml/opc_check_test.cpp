#include "ooxml/opc_check.h"

#include <gtest/gtest.h>

#include <functional>

#include "ooxml/package.h"

namespace tarnwell::ooxml {
namespace {

// A small package as Word writes one: a main part with a styles part.
Package Small() {
  auto p = Package::Empty();
  p.Set("[Content_Types].xml",
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Default Extension=\"png\" ContentType=\"image/png\"/>"
        "<Override PartName=\"/word/document.xml\" ContentType=\"main\"/></Types>");
  p.Set("_rels/.rels",
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"t/officeDocument\" Target=\"word/document.xml\"/></Relationships>");
  p.Set("word/document.xml", "<w:document xmlns:w=\"w\"/>");
  p.Set("word/_rels/document.xml.rels",
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"t/styles\" Target=\"styles.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"t/hyperlink\" Target=\"http://example.invalid/\" TargetMode=\"External\"/>"
        "<Relationship Id=\"rId3\" Type=\"t/image\" Target=\"media/a%20b.png\"/></Relationships>");
  p.Set("word/styles.xml", "<w:styles xmlns:w=\"w\"/>");
  p.Set("word/media/a b.png", "png");
  return p;
}

void Replace(Package& p, const std::string& part, const std::string& from, const std::string& to) {
  auto bytes = p.Get(part);
  bytes.replace(bytes.find(from), from.size(), to);
  p.Set(part, bytes);
}

TEST(CheckPackage, NamesEachBrokenRule) {
  EXPECT_EQ(CheckPackage(Small()), std::vector<std::string>{});
  struct Case {
    const char* broken;
    std::function<void(Package&)> change;
    const char* expected;
  } cases[] = {
      {"a part without a content type", [](Package& p) { p.Set("word/media/c.emf", "x"); },
       "word/media/c.emf: no content type"},
      {"a relationship to nothing", [](Package& p) { p.Remove("word/styles.xml"); },
       "word/_rels/document.xml.rels: relationship rId1 names a missing part styles.xml"},
      {"an id used twice", [](Package& p) { Replace(p, "word/_rels/document.xml.rels", "rId3", "rId1"); },
       "word/_rels/document.xml.rels: relationship id rId1 used twice"},
      {"no content types", [](Package& p) { p.Remove("[Content_Types].xml"); }, "[Content_Types].xml is missing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.broken);
    auto p = Small();
    c.change(p);
    auto problems = CheckPackage(p);
    EXPECT_NE(std::find(problems.begin(), problems.end(), c.expected), problems.end()) << ::testing::PrintToString(problems);
  }
}

}  // namespace
}  // namespace tarnwell::ooxml
