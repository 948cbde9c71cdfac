// --json: the output parses, and says what the text output says.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/app.h"
#include "cli/test_support.h"
#include "engine/test_support.h"
#include "numbering/list_template_copy.h"

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class JsonOutput : public testing::CommandTest {
 protected:

  // The same line as text and as JSON; false when either failed.
  bool Both(std::vector<std::string> args, testing::Result& text, json& parsed, bool fresh_examples = false) {
    if (fresh_examples) Tarnwell({"example", "--force", dir_.string()});
    text = Tarnwell(args);
    if (fresh_examples) Tarnwell({"example", "--force", dir_.string()});
    args.push_back("--json");
    auto j = Tarnwell(args);
    EXPECT_EQ(j.code, text.code) << j.err;
    if (j.code != kExitDone) return false;
    parsed = json::parse(j.out);  // throws, failing the test, on anything else
    return text.code == kExitDone;
  }

  // Every message box shown, as the text output put it on stderr.
  static void ExpectMessagesAsShown(const json& parsed, const std::string& err) {
    for (const auto& m : parsed.at("messages")) {
      std::istringstream text(m.at("text").get<std::string>());
      std::string first;
      std::getline(text, first);
      EXPECT_NE(err.find(m.at("title").get<std::string>() + ": " + first), std::string::npos) << m << err;
    }
  }
};

TEST_F(JsonOutput, InspectAndStylesSayWhatTheTextSaysOnTheCorpus) {
  auto corpus = engine::testing::CorpusDocuments();
  if (corpus.empty()) GTEST_SKIP() << "no corpus at " << TARNWELL_CORPUS_DIR << "; skipped";
  int compared = 0;
  for (const auto& file : corpus) {
    SCOPED_TRACE(file.string());
    testing::Result text;
    json parsed;
    if (!Both({"inspect", file.string()}, text, parsed)) continue;
    std::string lines;
    ASSERT_EQ(parsed.at("files").size(), 1u);
    for (const auto& s : parsed["files"][0].at("styles"))
      lines += s.at("name").get<std::string>() + '\t' + s.at("type").get<std::string>() + '\t' +
               s.at("based_on").get<std::string>() + '\t' + s.at("next").get<std::string>() + '\n';
    EXPECT_EQ(lines, text.out);
    if (!Both({"styles", "--type", "Paragraph", file.string()}, text, parsed)) continue;
    std::string names;
    for (const auto& n : parsed.at("styles")) names += n.get<std::string>() + '\n';
    EXPECT_EQ(names, text.out);
    ExpectMessagesAsShown(parsed, text.err);
    ++compared;
  }
  std::cout << compared << " of " << corpus.size() << " corpus documents compared\n";
  EXPECT_GT(compared, static_cast<int>(corpus.size()) / 2);
}

TEST_F(JsonOutput, CopyUpdateAndDocsSayWhatTheTextSays) {
  const std::string source = (dir_ / "source.docx").string(), target = (dir_ / "target.docx").string();
  const std::vector<std::vector<std::string>> copies = {
      {"--yes", "copy", source, target, "-s", "Report Quote"},
      {"--yes", "copy", source, target, "-s", "Report Quote", "--deps", "none"},
      {"--yes", "copy", source, target, "-s", "Report Title", "-s", "Heading 2", "--dry-run"},
      {"--yes", "copy", source, target, "-s", "Key Term", "--type", "Character", "--dry-run"},
  };
  for (const auto& args : copies) {
    SCOPED_TRACE(args.back());
    testing::Result text;
    json parsed;
    ASSERT_TRUE(Both(args, text, parsed, true)) << text.err;
    const bool dry = parsed.at("dry_run").get<bool>();
    std::string lines;
    const bool character = std::find(args.begin(), args.end(), "Character") != args.end();
    for (const auto& c : parsed.at("copied")) EXPECT_EQ(c.at("type"), character ? "character" : "paragraph");
    for (const auto& c : parsed.at("copied"))
      lines += "  " + c.at("name").get<std::string>() + (c.at("overwritten").get<bool>() ? "  overwritten" : "") + "\n";
    for (const auto& d : parsed.at("dependencies").at("declined")) lines += "Declined: " + d.get<std::string>() + "\n";
    numbering::ListTemplateReport report;
    report.copied = parsed.at("list_templates").at("copied").get<std::vector<std::string>>();
    for (const auto& r : parsed["list_templates"].at("renamed")) report.renamed.push_back({r["document"], r["from"], r["to"]});
    for (const auto& line : report.Lines()) lines += line + "\n";
    for (const auto& w : parsed.at("written")) lines += (dry ? "Would write: " : "Written: ") + w.get<std::string>() + "\n";
    EXPECT_NE(text.out.find(lines), std::string::npos) << text.out << "\nfrom JSON:\n" << lines;
    EXPECT_EQ(parsed.at("dependencies").at("added").empty(), text.out.find("as confirmed") == std::string::npos);
    EXPECT_FALSE(parsed.at("messages").empty());
    ExpectMessagesAsShown(parsed, text.err);
  }
  // Refused (no terminal to say OK to saving): still one document, saying so.
  auto refused = Tarnwell({"copy", source, target, "-s", "Report Quote", "--json"});
  ASSERT_EQ(refused.code, kExitRefused) << refused.err;
  auto parsed_refusal = json::parse(refused.out);
  EXPECT_FALSE(parsed_refusal.at("done").get<bool>());
  EXPECT_EQ(parsed_refusal.at("exit_code"), kExitRefused);
  EXPECT_TRUE(parsed_refusal.at("copied").empty() && parsed_refusal.at("written").empty());
  EXPECT_EQ(parsed_refusal.at("messages").at(0).at("answer"), "Cancel");
  for (bool dry : {false, true}) {
    testing::Result text;
    json parsed;
    std::vector<std::string> args{"--yes", "update", target};
    if (dry) args.push_back("-n");
    ASSERT_TRUE(Both(args, text, parsed, true)) << text.err;
    EXPECT_NE(text.out.find(std::string(dry ? "Would update " : "Updated ") + target), std::string::npos) << text.out;
    EXPECT_EQ(parsed.at("written"), json::array({parsed.at("target")}));
    ExpectMessagesAsShown(parsed, text.err);
  }
  testing::Result text;
  json parsed;
  ASSERT_TRUE(Both({"docs", source, target}, text, parsed));
  std::string lines;
  for (const auto& d : parsed.at("documents")) {
    lines += d.at("name").get<std::string>();
    if (!d.at("full_name").get<std::string>().empty()) lines += "\t" + d["full_name"].get<std::string>();
    lines += "\n";
  }
  EXPECT_EQ(lines, text.out);
}

}  // namespace
}  // namespace tarnwell::cli
