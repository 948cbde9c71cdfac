// End to end: numbering carried by `tarnwell copy` and `tarnwell update`,
// checked through the engine's own list templates.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/test_support.h"
#include "engine/test_support.h"
#include "host/collection.h"

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;
using engine::testing::kHeadingNumbering;
using engine::testing::kHeadingStyles;
using engine::testing::Replace;
using host::deref;
using host::ObjectPtr;

// How many list definitions and instances a file holds.
std::pair<size_t, size_t> ListCounts(const std::string& file) {
  auto package = ooxml::Package::Open(file);
  std::string part = package.Related(package.MainPart(), "numbering");
  if (part.empty()) return {0, 0};
  const std::string& xml = package.Get(part);
  auto count = [&](const std::string& tag) {
    size_t n = 0;
    for (size_t at = xml.find(tag); at != std::string::npos; at = xml.find(tag, at + 1)) ++n;
    return n;
  };
  return {count("<w:abstractNum "), count("<w:num ")};
}

class NumberingCommand : public engine::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    fs::create_directories(dir_ / "home" / "Documents");
    setenv("HOME", (dir_ / "home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
  }
  testing::Result Tarnwell(const std::vector<std::string>& args) { return testing::RunTarnwell(dir_, args); }

  // Each paragraph style of file with numbering: its template's levels as
  // Word's object model reads them, one string per level.
  std::map<std::string, std::vector<std::string>> NumberedStyles(const std::string& file) {
    auto word = host::Application(engine::CreateApplication(options_));
    const host::Document doc = word.GetDocuments().Open(file);
    std::map<std::string, std::vector<std::string>> out;
    for (const host::Style& style : doc.GetStyles().all()) {
      if (style.Type() != host::StyleType::Paragraph) continue;
      const host::Value lt = style.ref().get("ListTemplate");
      if (!lt.is_object()) continue;
      std::vector<std::string>& lines = out[style.NameLocal()];
      const ObjectPtr levels = deref(lt.as_object()).get("ListLevels").as_object();
      for (int32_t i = 1; i <= host::count(deref(levels)); ++i) {
        const ObjectPtr level = host::item(deref(levels), i);
        const ObjectPtr font = deref(level).get("Font").as_object();
        std::ostringstream os;
        const std::string linked = deref(level).get("LinkedStyle").as_string();
        // Every level's style exists where the template is.
        if (!linked.empty()) {
          EXPECT_TRUE(doc.GetStyles().Item(linked)) << file << " " << linked;
        }
        for (const char* m : {"NumberFormat", "NumberStyle", "TrailingCharacter", "StartAt", "NumberPosition", "TextPosition",
                              "TabPosition", "Alignment"})
          os << m << "=" << deref(level).get(m).as_string() << ";";
        for (const char* m : {"Bold", "Italic", "Size", "Color", "Name", "Underline"}) os << m << "=" << deref(font).get(m).as_string() << ";";
        lines.push_back(os.str());
      }
    }
    return out;
  }
};

TEST_F(NumberingCommand, HeadingNumberingReplacesTheTargetsOwnAndASecondRunAddsNothing) {
  const std::string source = WriteWithNumbering("source.docx", kHeadingStyles, kHeadingNumbering);
  const std::string target = WriteWithNumbering(
      "target.docx", kHeadingStyles,
      Replace(Replace(kHeadingNumbering, "Headings", "Theirs"), "upperRoman", "decimal"));
  const std::vector<std::string> args{"--yes", "copy", source, target, "-s", "Heading 1", "-s", "Heading 2"};
  auto first = Tarnwell(args);
  ASSERT_EQ(first.code, kExitDone) << first.err;
  EXPECT_NE(first.out.find("list template \"Headings\" copied"), std::string::npos) << first.out;
  const auto counts = ListCounts(target);
  auto from = NumberedStyles(source), to = NumberedStyles(target);
  for (const char* heading : {"Heading 1", "Heading 2"}) EXPECT_EQ(to[heading], from[heading]) << heading;

  auto second = Tarnwell(args);
  ASSERT_EQ(second.code, kExitDone) << second.err;
  EXPECT_EQ(ListCounts(target), counts);
  EXPECT_EQ(NumberedStyles(target), to);
}

TEST_F(NumberingCommand, CorpusNumberedStylesCopyTwiceWithoutPilingUp) {
  const auto files = engine::testing::CorpusDocuments();
  if (files.empty()) GTEST_SKIP() << "no corpus at " << TARNWELL_CORPUS_DIR << "; skipped";
  int checked = 0;
  for (const auto& file : files) {
    if (file.extension() != ".docx") continue;
    const std::string source = Path("src.docx"), target = Path("tgt.docx");
    fs::copy_file(file, source, fs::copy_options::overwrite_existing);
    fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write);
    const auto numbered = NumberedStyles(source);
    if (numbered.empty()) continue;
    engine::WriteBlankDocument(target);
    std::vector<std::string> args{"--yes", "copy", source, target};
    for (auto it = numbered.begin(); it != numbered.end() && args.size() < 16; ++it) {
      args.push_back("-s");
      args.push_back(it->first);
    }
    auto first = Tarnwell(args);
    ASSERT_EQ(first.code, kExitDone) << file << ": " << first.err;
    const auto counts = ListCounts(target);
    const auto after = NumberedStyles(target);
    const auto source_now = NumberedStyles(source);
    for (size_t i = 5; i < args.size(); i += 2) {
      EXPECT_EQ(after.count(args[i]), 1u) << file << " " << args[i] << " lost its numbering";
      if (!after.count(args[i])) continue;
      // A template made in the target has nine levels; the source's count.
      const auto& want = source_now.at(args[i]);
      const auto& got = after.at(args[i]);
      ASSERT_GE(got.size(), want.size()) << file << " " << args[i];
      EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + static_cast<long>(want.size())), want)
          << file << " " << args[i];
    }
    auto second = Tarnwell(args);
    ASSERT_EQ(second.code, kExitDone) << file << ": " << second.err;
    EXPECT_EQ(ListCounts(target), counts) << file;
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

TEST_F(NumberingCommand, UpdateBringsTheNormalTemplatesStylesAndNumbering) {
  // The Normal template's heading numbering is unnamed: both get "LT1".
  const std::string normal = (dir_ / "Normal.dotx").string();
  fs::copy_file(WriteWithNumbering("n.dotx", kHeadingStyles, Replace(kHeadingNumbering, "<w:name w:val=\"Headings\"/>", "")),
                normal);
  std::string target = Path("doc.docx");
  const auto files = engine::testing::CorpusDocuments();
  if (!files.empty()) {
    fs::copy_file(files.front(), target);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  } else {
    engine::WriteBlankDocument(target);
  }
  // Nobody to confirm: declined, nothing written.
  EXPECT_EQ(Tarnwell({"update", target}).code, kExitRefused);
  auto first = Tarnwell({"--yes", "update", target});
  ASSERT_EQ(first.code, kExitDone) << first.err;
  EXPECT_NE(first.out.find("list template \"LT1\" copied"), std::string::npos) << first.out;
  auto styles = NumberedStyles(target);
  ASSERT_EQ(styles.count("Heading 2"), 1u);
  // The template made in the document has nine levels; the Normal's two.
  const auto want = NumberedStyles(normal)["Heading 2"];
  ASSERT_EQ(want.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(styles["Heading 2"].begin(), styles["Heading 2"].begin() + 2), want);
  const auto counts = ListCounts(target);
  ASSERT_EQ(Tarnwell({"--yes", "update", target}).code, kExitDone);
  EXPECT_EQ(ListCounts(target), counts);
  EXPECT_EQ(Tarnwell({"--yes", "--word-version", "97", "update", target}).code, kExitUsage);
}

}  // namespace
}  // namespace tarnwell::cli
