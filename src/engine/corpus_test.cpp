// Real documents that we did not make: every one must open, list its styles,
// save and reopen with the same styles, or be refused with a clear error.

#include <algorithm>
#include <iostream>
#include <tuple>

#include "engine/test_support.h"

namespace tarnwell::engine::testing {
namespace {

using StyleRow = std::tuple<std::string, int32_t, std::string, std::string, bool>;

std::vector<StyleRow> Rows(const host::Document& doc) {
  std::vector<StyleRow> rows;
  for (auto& s : doc.GetStyles().all()) {
    rows.emplace_back(s.NameLocal(), static_cast<int32_t>(s.Type()), s.BaseStyle(), s.NextParagraphStyle(),
                      s.BuiltIn());
  }
  return rows;
}

// Each document is saved as it was read, then again with a new style.
TEST_F(CorpusTest, EveryDocumentListsItsStylesSavesThemUnchangedAndTakesANewStyle) {
  int opened = 0;
  std::vector<std::string> refused;
  for (const auto& file : files_) {
    SCOPED_TRACE(file.string());
    auto word = host::Application(Application::Create(options_));
    host::Document doc;
    try {
      doc = word.GetDocuments().Open(file.string());
    } catch (const host::HostError& e) {
      EXPECT_NE(std::string(e.what()).find(file.filename().string()), std::string::npos) << e.what();
      refused.push_back(file.filename().string() + ": " + e.what());
      continue;
    }
    ++opened;
    auto rows = Rows(doc);
    EXPECT_TRUE(doc.Saved()) << "reading changes nothing";
    std::string copy = Path("copy-" + std::to_string(opened) + ".docx"), probe = Path("probe.docx");
    doc.SaveAs(copy);
    auto added = doc.GetStyles().Add("Tarnwell Probe");
    added.SetBaseStyle("Heading 2");
    added.SetNextParagraphStyle("Normal");
    doc.SaveAs(probe);
    doc.Close();

    auto before = ooxml::Package::Open(file.string());
    auto after = ooxml::Package::Open(copy), probed = ooxml::Package::Open(probe);
    auto sorted = [](std::vector<std::string> v) {
      std::sort(v.begin(), v.end());
      return v;
    };
    EXPECT_EQ(sorted(after.Names()), sorted(before.Names()));
    const std::string styles_part = before.Related(before.MainPart(), "styles");
    for (const auto& part : before.Names()) {
      EXPECT_TRUE(after.Has(part) && after.Get(part) == before.Get(part)) << part << " changed";
      if (part != styles_part && part != "[Content_Types].xml" && part != ooxml::Package::RelsPartFor(before.MainPart())) {
        EXPECT_TRUE(probed.Has(part) && probed.Get(part) == before.Get(part)) << part << " changed with a new style";
      }
    }
    EXPECT_EQ(Rows(host::Application(Application::Create(options_)).GetDocuments().Open(copy)), rows);
    auto again = host::Application(Application::Create(options_)).GetDocuments().Open(probe);
    auto reread = Rows(again);
    // The old styles keep their places; the new ones follow.
    ASSERT_GE(reread.size(), rows.size() + 1);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), reread.begin()));
    EXPECT_EQ(again.GetStyles().Item("Tarnwell Probe").BaseStyle(), "Heading 2");
    EXPECT_EQ(again.GetStyles().Item("Tarnwell Probe").NextParagraphStyle(), "Normal");
  }
  std::cout << "opened " << opened << " of " << files_.size() << " corpus documents\n";
  for (const auto& r : refused) std::cout << "refused " << r << "\n";
  EXPECT_GT(opened, static_cast<int>(files_.size()) * 9 / 10) << "most of the corpus must open";
}

}  // namespace
}  // namespace tarnwell::engine::testing
