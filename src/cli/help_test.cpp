#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/help_command.h"
#include "cli/manual.h"
#include "cli/test_support.h"

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;

using posix::Slurp;

class HelpTest : public testing::CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    fs::create_directories(dir_ / "bin");
    path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", path_.c_str(), 1);
    unsetenv("XDG_CACHE_HOME");
    CommandTest::TearDown();
  }
  std::string path_;
};

TEST_F(HelpTest, EveryTopicOfTheManualIsListedAndPrintedAsText) {
  const auto list = Tarnwell({"help"});
  ASSERT_EQ(list.code, kExitDone) << list.err;
  const std::vector<Topic> topics = Topics();
  ASSERT_GE(topics.size(), 10u);
  EXPECT_EQ(topics[0].name, "getting-started");
  EXPECT_EQ(topics[1].name, "using");
  for (const Topic& topic : topics) {
    SCOPED_TRACE(topic.name);
    EXPECT_NE(list.out.find("  " + topic.name), std::string::npos);
    const auto shown = Tarnwell({"help", topic.name});
    ASSERT_EQ(shown.code, kExitDone) << shown.err;
    // Titled as the help file's table of contents has it, no markup left.
    EXPECT_EQ(shown.out.rfind(topic.title + "\n" + std::string(topic.title.size(), '=') + "\n", 0), 0u);
    EXPECT_EQ(shown.out.find('<'), std::string::npos);
    std::istringstream lines(shown.out);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 78u) << line;
  }
  EXPECT_EQ(topics[0].title, "Getting started");
  EXPECT_EQ(topics[1].title, "Using Tarnwell");
  // Links name the command that shows their topic.
  EXPECT_NE(Tarnwell({"help", "getting-started"}).out.find("(tarnwell help using)"), std::string::npos);

  const auto unknown = Tarnwell({"help", "nonsense"});
  EXPECT_EQ(unknown.code, kExitUsage);
  EXPECT_NE(unknown.err.find("\"nonsense\""), std::string::npos);
  EXPECT_NE(unknown.err.find("getting-started"), std::string::npos);
}

TEST_F(HelpTest, TextKeepsListsTermsAndExamplesApart) {
  const ManualFile file{"t.html",
                        "<html><head><title>T</title></head><body><h1>T</h1>"
                        "<p>one two three four five six seven eight nine ten</p>"
                        "<ol><li>first <b>step</b></li><li>second</li></ol>"
                        "<dl><dt>--yes</dt><dd>answer OK &amp; go on</dd></dl>"
                        "<pre>\ntarnwell  help\n  using\n</pre></body></html>"};
  const Topic topic{"t", "T", &file};
  EXPECT_EQ(TopicText(topic, 20),
            "T\n=\n\n"
            "one two three four\nfive six seven eight\nnine ten\n\n"
            "  1. first step\n  2. second\n\n"
            "  --yes\n      answer OK & go\n      on\n\n"
            "    tarnwell  help\n      using\n");
}

TEST_F(HelpTest, TheManPageHoldsEveryTopicAndFormatsCleanly) {
  const std::string page = Slurp(TARNWELL_MAN_PAGE);
  ASSERT_FALSE(page.empty()) << TARNWELL_MAN_PAGE;
  EXPECT_EQ(page.rfind(".TH TARNWELL 1", 0), 0u);
  for (const Topic& topic : Topics()) {
    std::string title = topic.title;
    for (char& c : title) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_NE(page.find("\n.SH " + title + "\n"), std::string::npos) << title;
  }
  if (std::system("command -v groff >/dev/null 2>&1") != 0) GTEST_SKIP() << "no groff to check the page with";
  const fs::path warnings = dir_ / "warnings";
  const std::string check = "groff -man -Tutf8 -ww -z '" + std::string(TARNWELL_MAN_PAGE) + "' 2>'" +
                            warnings.string() + "'";
  EXPECT_EQ(std::system(check.c_str()), 0);
  EXPECT_EQ(Slurp(warnings), "");
}

TEST_F(HelpTest, HtmlOpensTheTopicsPageWithTheDesktopOpenerWhereThereIsOne) {
  const fs::path opener = dir_ / "bin" / "xdg-open";
  const fs::path opened = dir_ / "opened";
  std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << opened.string() << "'\n";
  fs::permissions(opener, fs::perms::owner_all);
  setenv("PATH", (dir_ / "bin").c_str(), 1);
  const auto r = Tarnwell({"help", "--html", "using"});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  const fs::path page = Slurp(opened);
  EXPECT_EQ(page.filename(), "using.html");
  EXPECT_EQ(Slurp(page), FindTopic(Topics(), "using")->file->content);
  EXPECT_TRUE(fs::exists(page.parent_path() / "tarnwell.css"));

  // Without an opener the page's place is the answer.
  fs::remove(opener);
  const auto none = Tarnwell({"help", "--html", "exit-codes"});
  EXPECT_EQ(none.code, kExitDone);
  EXPECT_NE(none.out.find((page.parent_path() / "exit-codes.html").string()), std::string::npos) << none.out;
}

TEST_F(HelpTest, VersionPrintsTheAboutTextAndTheBuildsVersion) {
  const auto r = Tarnwell({"--version"});
  EXPECT_EQ(r.code, kExitDone);
  EXPECT_EQ(r.out, "Quillon Tarnwell\n\nVersion 2.3.30\ntarnwell " TARNWELL_BUILD_VERSION "\n");
}

}  // namespace
}  // namespace tarnwell::cli
