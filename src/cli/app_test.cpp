#include "cli/app.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;

struct Result {
  int code;
  std::string out, err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tw-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Result Tarnwell(std::vector<std::string> args, const std::string& input = "", bool terminal = false) {
    std::vector<std::string> all{"tarnwell", "--normal", (dir_ / "Normal.dotx").string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<const char*> argv;
    for (auto& a : all) argv.push_back(a.c_str());
    std::ostringstream out, err;
    std::istringstream in(input);
    int code = cli::Run(static_cast<int>(argv.size()), argv.data(), out, err, in, terminal);
    return {code, out.str(), err.str()};
  }

  fs::path dir_;
};

TEST_F(CliTest, InspectListsTheExampleStylesWithTheirLinks) {
  auto made = Tarnwell({"example", dir_.string()});
  ASSERT_EQ(made.code, kExitDone) << made.err;
  auto r = Tarnwell({"inspect", (dir_ / "source.docx").string()});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  EXPECT_NE(r.out.find("Report Quote\t1\tReport Body\tReport Quote Source\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Heading 2\t1\tHeading 1\tReport Body\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Key Term Strong\t2\tKey Term\t"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Report Grid\t3\t"), std::string::npos) << r.out;
  // A paragraph style with no follow-on style follows itself.
  EXPECT_NE(r.out.find("Report Body\t1\tNormal\tReport Body\n"), std::string::npos) << r.out;
}

TEST_F(CliTest, SeveralFilesGetAHeaderEach) {
  ASSERT_EQ(Tarnwell({"example", dir_.string()}).code, kExitDone);
  auto r = Tarnwell({"inspect", (dir_ / "source.docx").string(), (dir_ / "target.docx").string()});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  auto first = r.out.find("==> " + (dir_ / "source.docx").string() + " <==\n");
  auto second = r.out.find("==> " + (dir_ / "target.docx").string() + " <==\n");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_NE(r.out.find("Letter Closing\t1\tNormal\tLetter Closing\n", second), std::string::npos);
}

TEST_F(CliTest, UnreadableDocumentsExitWithThreeAndNameTheFile) {
  auto missing = (dir_ / "missing.docx").string();
  auto r = Tarnwell({"inspect", missing});
  EXPECT_EQ(r.code, kExitDocument);
  EXPECT_NE(r.err.find(missing), std::string::npos) << r.err;

  auto text = dir_ / "notes.docx";
  std::ofstream(text) << "just some text, not a package";
  r = Tarnwell({"inspect", text.string()});
  EXPECT_EQ(r.code, kExitDocument);
  EXPECT_NE(r.err.find(text.string()), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(Tarnwell({}).code, kExitUsage);
  EXPECT_EQ(Tarnwell({"inspect"}).code, kExitUsage);
  EXPECT_EQ(Tarnwell({"--word-version", "95", "inspect", "x.docx"}).code, kExitUsage);
  EXPECT_EQ(Tarnwell({"frobnicate"}).code, kExitUsage);
  auto help = Tarnwell({"--help"});
  EXPECT_EQ(help.code, kExitDone);
  EXPECT_NE(help.out.find("3  a document could not be read or written"), std::string::npos);
}

TEST_F(CliTest, TheBuiltCommandRunsFromAShell) {
  // The binary's own exit code, as a user's script sees it.
  std::string cmd = std::string(TARNWELL_BINARY) + " --normal " + (dir_ / "N.dotx").string() + " inspect " +
                    (dir_ / "nope.docx").string() + " 2>/dev/null";
  int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kExitDocument);
}

}  // namespace
}  // namespace tarnwell::cli
