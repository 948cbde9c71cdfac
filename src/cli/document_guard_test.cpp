// Runs that meet: owner files of other programs, two runs on one document,
// and runs killed at any point.

#include "cli/document_guard.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/test_support.h"
#include "engine/engine.h"
#include "ooxml/package.h"
#include "ooxml/xml.h"

extern char** environ;

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class GuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::TestHome("tw-guard");
    engine::WriteBlankDocument((dir_ / "Normal.dotx").string());
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& name, const std::string& bytes, std::chrono::hours age = 0h) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    fs::last_write_time(dir_ / name, fs::file_time_type::clock::now() - age);
  }

  // The real command in a process of its own, with this test's home.
  pid_t Start(const std::vector<std::string>& args, const std::string& kill_at = "") {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      std::string_view v(*e);
      if (v.starts_with("HOME=") || v.starts_with("XDG_") || v.starts_with("TARNWELL_KILL_AT=")) continue;
      env.emplace_back(v);
    }
    env.push_back("HOME=" + (dir_ / "home").string());
    if (!kill_at.empty()) env.push_back("TARNWELL_KILL_AT=" + kill_at);
    std::vector<std::string> all{TARNWELL_BINARY, "--normal", (dir_ / "Normal.dotx").string(), "--yes"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (auto& a : all) argv.push_back(a.data());
    for (auto& e : env) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&quiet);
    return pid;
  }
  static int Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
  }
  int Run(const std::vector<std::string>& args) {
    int status = Wait(Start(args));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::vector<std::string> Copy(const std::string& style) {
    return {"copy", (dir_ / "source.docx").string(), (dir_ / "target.docx").string(), "--style", style};
  }
  std::string Read(const std::string& name) { return posix::Slurp(dir_ / name); }
  std::vector<std::string> Leftovers() {
    std::vector<std::string> out;
    for (auto& e : fs::directory_iterator(dir_))
      if (e.path().filename().string().starts_with(".~")) out.push_back(e.path().filename().string());
    return out;
  }

  fs::path dir_;
};

TEST_F(GuardTest, OwnerFilesOfWordAndLibreOfficeRefuseTheirDocumentUnlessForced) {
  const std::string word_file = std::string(1, '\x08') + "Jane Doe" + std::string(40, '\0');
  struct Case {
    const char* document;
    const char* owner_file;
    std::string bytes;
    std::chrono::hours age;
    std::optional<std::string> holder;
  } cases[] = {
      {"a.docx", "~$a.docx", word_file, 0h, "Jane Doe"},
      {"Report.docx", "~$Report.docx", word_file, 0h, "Jane Doe"},  // short stems keep their name
      {"Reports.docx", "~$eports.docx", word_file, 0h, "Jane Doe"},
      {"Annual report.docx", "~$nual report.docx", word_file, 0h, "Jane Doe"},
      {"Annual report.docx", "~$Annual report.docx", word_file, 0h, "Jane Doe"},
      {"b.docx", "~$b.docx", std::string(4, '\xff'), 0h, "someone"},
      {"c.docx", ".~lock.c.docx#", "Jane Doe,host,jane,06.12.2026 10:00,file:///home/jane;", 0h, "Jane Doe"},
      {"d.docx", ".~lock.d.docx#", ",host,jane,06.12.2026 10:00,file:///home/jane;", 0h, "jane"},
      {"e.docx", "~$e.docx", word_file, 24h * 8, std::nullopt},       // left over from a crash long ago
      {"Reports.docx", "~$ports.docx", word_file, 0h, std::nullopt},  // another document's owner file
      {"f.docx", "~$g.docx", word_file, 0h, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.document) + " / " + c.owner_file);
    Write(c.document, "doc");
    Write(c.owner_file, c.bytes, c.age);
    EXPECT_EQ(OwnerOf((dir_ / c.document).string()), c.holder);
    fs::remove(dir_ / c.owner_file);
  }
  // A document held so is refused, naming its holder, unless forced.
  Write("~$a.docx", std::string(1, '\x04') + "Jane");
  std::ostringstream err;
  DocumentGuard refused, forced;
  EXPECT_FALSE(refused.Take({(dir_ / "a.docx").string()}, {}, err));
  EXPECT_NE(err.str().find("Jane"), std::string::npos) << err.str();
  EXPECT_TRUE(forced.Take({(dir_ / "a.docx").string()}, {.force = true}, err));
}

TEST_F(GuardTest, OneRunAtATimePerDocument) {
  Write("a.docx", "doc");
  Write("b.docx", "doc");
  std::ostringstream err;
  auto first = std::make_unique<DocumentGuard>();
  ASSERT_TRUE(first->Take({(dir_ / "a.docx").string()}, {}, err));
  DocumentGuard second;
  EXPECT_FALSE(second.Take({(dir_ / "b.docx").string(), (dir_ / "a.docx").string()}, {.wait = false}, err));
  first.reset();
  EXPECT_TRUE(second.Take({(dir_ / "a.docx").string()}, {.wait = false}, err)) << err.str();
}

// Runs at once: two into one target, and one into another target through
// the same scratch documents.
TEST_F(GuardTest, RunsAtOnceKeepEachRunsStyles) {
  ASSERT_EQ(Run({"example", dir_.string()}), 0);
  fs::copy_file(dir_ / "target.docx", dir_ / "other.docx");
  auto into_other = Copy("Report Lead");
  into_other[2] = (dir_ / "other.docx").string();
  pid_t runs[] = {Start(Copy("Report Quote")), Start(Copy("Report Title")), Start(into_other)};
  for (pid_t run : runs) EXPECT_EQ(WEXITSTATUS(Wait(run)), 0);
  auto styles = ooxml::Package::Open((dir_ / "target.docx").string()).Get("word/styles.xml");
  EXPECT_NE(styles.find("w:val=\"Report Quote\""), std::string::npos);
  EXPECT_NE(styles.find("w:val=\"Report Title\""), std::string::npos);
  auto other = ooxml::Package::Open((dir_ / "other.docx").string()).Get("word/styles.xml");
  EXPECT_NE(other.find("w:val=\"Report Lead\""), std::string::npos);
}

// Killed at each point of a run, every document on disk is as it was or a
// whole document, and the next run clears what the killed one left.
TEST_F(GuardTest, ARunKilledAnywhereLeavesEveryDocumentWhole) {
  ASSERT_EQ(Run({"example", dir_.string()}), 0);
  int kills = 0;
  for (const char* event : {"saved", "writing", "organizer"}) {
    for (int n = 1; n <= 40; ++n) {
      const std::string before[] = {Read("source.docx"), Read("target.docx")};
      int status = Wait(Start(Copy("Report Quote"), std::string(event) + ":" + std::to_string(n)));
      if (!WIFSIGNALED(status)) break;  // the run got past its last such point
      ++kills;
      SCOPED_TRACE(std::string(event) + ":" + std::to_string(n));
      int i = 0;
      for (const char* name : {"source.docx", "target.docx"}) {
        if (Read(name) == before[i++]) continue;
        pugi::xml_document styles;
        auto path = (dir_ / name).string();
        EXPECT_NO_THROW(ooxml::LoadXml(styles, ooxml::Package::Open(path).Get("word/styles.xml"), path, "styles"));
      }
    }
  }
  EXPECT_GT(kills, 5);
  EXPECT_EQ(Run(Copy("Report Title")), 0);
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

}  // namespace
}  // namespace tarnwell::cli
