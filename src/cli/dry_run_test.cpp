// `copy --dry-run` and `update --dry-run`: the report a real run would give,
// and not one byte changed or added anywhere the user keeps files.

#include "cli/dry_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "cli/app.h"
#include "cli/test_support.h"

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;

// Every file under root with its size and a hash of its bytes.
std::map<std::string, std::pair<size_t, size_t>> Files(const fs::path& root) {
  std::map<std::string, std::pair<size_t, size_t>> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    files[e.path().string()] = {bytes.size(), std::hash<std::string>{}(bytes)};
  }
  return files;
}

// The dry run's report in a real run's words.
std::string AsReal(std::string report) {
  for (auto [dry, real] : {std::pair{"Would copy", "Copied"}, {"Would write: ", "Written: "},
                           {"Would update ", "Updated "}, {"Dry run: no file was changed.\n", ""}})
    for (size_t at; (at = report.find(dry)) != std::string::npos;) report.replace(at, std::string(dry).size(), real);
  return report;
}

using DryRunCommand = testing::CommandTest;

TEST_F(DryRunCommand, ReportsWhatTheRealRunDoesAndChangesNothing) {
  const std::string source = (dir_ / "source.docx").string(), target = (dir_ / "target.docx").string();
  const std::string elsewhere = (dir_ / "elsewhere.docx").string();
  struct Case {
    const char* what;
    std::vector<std::string> args;
    bool read_only_target = false;
  } cases[] = {
      {"copy with dependencies", {"--yes", "copy", source, target, "-s", "Report Quote"}},
      {"copy declining them", {"--yes", "copy", source, target, "-s", "Report Quote", "--deps", "none"}},
      {"copy into the Normal template", {"--yes", "copy", source, "--to-normal", "-s", "Report Quote"}},
      {"copy from the Normal template", {"--yes", "copy", "--from-normal", target, "-s", "Normal"}},
      {"slow copy", {"--yes", "copy", source, target, "-s", "Report Quote", "--method", "slow"}},
      {"read-only target saved as", {"--yes", "copy", source, target, "-s", "Report Quote", "--save-target-as", elsewhere},
       true},
      {"update", {"--yes", "update", target}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(elsewhere);
    fs::remove(dir_ / "Normal.dotx");
    ASSERT_EQ(Tarnwell({"example", "--force", dir_.string()}).code, kExitDone);
    if (c.read_only_target) fs::permissions(target, fs::perms::owner_read);
    const auto before = Files(dir_);
    auto args = c.args;
    args.push_back("--dry-run");
    auto dry = Tarnwell(args);
    ASSERT_EQ(dry.code, kExitDone) << dry.err;
    EXPECT_EQ(Files(dir_), before) << "a file changed, appeared or went";
    auto real = Tarnwell(c.args);
    ASSERT_EQ(real.code, kExitDone) << real.err;
    EXPECT_EQ(AsReal(dry.out), real.out);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  }
}

TEST_F(DryRunCommand, AnswersAndRefusalsAreTheRealRunsAndMissingFilesAreNamed) {
  ASSERT_EQ(Tarnwell({"example", dir_.string()}).code, kExitDone);
  const std::string source = (dir_ / "source.docx").string(), target = (dir_ / "target.docx").string();
  const auto before = Files(dir_);
  // No terminal and no --yes: "Save documents?" is answered Cancel.
  EXPECT_EQ(Tarnwell({"copy", "-n", source, target, "-s", "Report Quote"}).code, kExitRefused);
  EXPECT_EQ(Tarnwell({"--yes", "copy", "-n", source, source, "-s", "Report Quote"}).code, kExitRefused);
  auto missing = Tarnwell({"--yes", "update", "-n", (dir_ / "gone.docx").string()});
  EXPECT_EQ(missing.code, kExitDocument);
  EXPECT_NE(missing.err.find((dir_ / "gone.docx").string()), std::string::npos) << missing.err;
  EXPECT_EQ(Files(dir_), before);
}

// Each corpus document as a dry run's target, or its Normal style as the
// source, in turn. The corpus is read-only, so each run is told where to save
// it; the corpus and the test's own folder stay as they were.
TEST_F(DryRunCommand, CorpusDocumentsStayByteEqual) {
  fs::path corpus = TARNWELL_CORPUS_DIR;
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus << "; skipped";
  ASSERT_EQ(Tarnwell({"example", dir_.string()}).code, kExitDone);
  const auto corpus_before = Files(corpus), mine_before = Files(dir_);
  const std::string source = (dir_ / "source.docx").string(), target = (dir_ / "target.docx").string();
  int documents = 0, reported = 0;
  for (const auto& [file, size_and_hash] : corpus_before) {
    std::string ext = fs::path(file).extension().string();
    if (ext != ".docx" && ext != ".dotx" && ext != ".docm" && ext != ".dotm") continue;
    const bool as_target = documents++ % 2 == 0;
    const std::string saved = (dir_ / ("saved" + ext)).string();
    auto r = as_target ? Tarnwell({"--yes", "copy", "-n", source, file, "-s", "Report Quote", "--save-target-as", saved})
                       : Tarnwell({"--yes", "copy", "-n", file, target, "-s", "Normal", "--save-source-as", saved});
    if (r.code == kExitDone) {
      EXPECT_NE(r.out.find("Would write: " + (as_target ? saved : target) + "\n"), std::string::npos) << r.out;
      ++reported;
    }
  }
  EXPECT_EQ(Files(corpus), corpus_before);
  EXPECT_EQ(Files(dir_), mine_before);
  std::cout << reported << " of " << documents << " dry runs on corpus documents reported a copy\n";
  EXPECT_GT(reported, documents / 2);
}

}  // namespace
}  // namespace tarnwell::cli
