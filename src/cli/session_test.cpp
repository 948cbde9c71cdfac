// The host's files beside the embedded Word: what the organizer holds for a
// file shows in a copy of it, and a deleted file stays deleted.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "cli/session.h"
#include "cli/test_support.h"
#include "engine/application.h"
#include "engine/engine.h"
#include "host/collection.h"
#include "host/word.h"
#include "ooxml/package.h"
#include "platform/fakes.h"
#include "posix/files_posix.h"

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;

using Session = testing::CommandTest;

TEST_F(Session, OrganizerAwareFilesCopiesShowHeldChangesAndDeletedFilesStayGone) {
  for (const char* name : {"source.docx", "held.docx", "gone.docx"}) engine::WriteBlankDocument((dir_ / name).string());
  {
    engine::Options options;
    options.normal_template = (dir_ / "Normal.dotx").string();
    auto app = std::dynamic_pointer_cast<engine::Application>(engine::CreateApplication(options));
    host::Application word(app);
    auto source = word.GetDocuments().Open((dir_ / "source.docx").string());
    source.GetStyles().Add("Held Style");
    posix::PosixFiles inner;
    OrganizerAwareFiles files(inner, *app);

    word.ref().call("OrganizerCopy", {source.FullName(), (dir_ / "held.docx").string(), "Held Style", 0});
    ASSERT_TRUE(files.Copy((dir_ / "held.docx").string(), (dir_ / "copy.docx").string()));
    auto copy = ooxml::Package::Open((dir_ / "copy.docx").string());
    EXPECT_NE(copy.Get("word/styles.xml").find("Held Style"), std::string::npos);

    word.ref().call("OrganizerCopy", {source.FullName(), (dir_ / "gone.docx").string(), "Held Style", 0});
    ASSERT_TRUE(files.Delete((dir_ / "gone.docx").string()));
    // A file of that name made afresh is not overwritten with the old one.
    engine::WriteBlankDocument((dir_ / "gone.docx").string());
  }
  auto fresh = ooxml::Package::Open((dir_ / "gone.docx").string());
  EXPECT_EQ(fresh.Get("word/styles.xml").find("Held Style"), std::string::npos);
}

TEST_F(Session, TheButtonIsThereBesideOtherWinwordsAndItsAbsenceIsExplained) {
  // Two programs of other makers that happen to be called winword.exe.
  fs::copy_file("/bin/sleep", dir_ / "winword.exe");
  std::vector<pid_t> others;
  for (int i = 0; i < 2; ++i) {
    if (pid_t pid = fork(); pid != 0) {
      others.push_back(pid);
    } else {
      execl((dir_ / "winword.exe").c_str(), "winword.exe", "60", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  GlobalOptions g;
  g.normal_template = (dir_ / "Normal.dotx").string();
  std::ostringstream err;
  std::istringstream in;
  for (bool fail_the_button : {false, true}) {
    HostSession session(g, err, in);
    session.Open({});
    auto& word = dynamic_cast<engine::Application&>(session.word().ref());
    if (fail_the_button) word.faults()->fail("CommandBarControls.Add", 1, host::kErrCommandFailed);
    EXPECT_EQ(session.ShowDialog([](dialog::frmVell_COM& form) { form.cmdCancel_Click(); }), !fail_the_button);
    if (fail_the_button) {
      EXPECT_NE(err.str().find("Error: 4605"), std::string::npos) << err.str();
      EXPECT_NE(err.str().find("Format menu: the add-in could not put it there"), std::string::npos) << err.str();
      continue;
    }
    // The button is the last control of the Format menu.
    auto format = host::item(host::deref(word.get("CommandBars").as_object()), "Format");
    auto controls = format->get("Controls").as_object();
    host::item(*controls, controls->get("Count"))->call("Delete");
    EXPECT_FALSE(session.ShowDialog([](dialog::frmVell_COM&) {}));
    EXPECT_NE(err.str().find("Format menu: it was removed"), std::string::npos) << err.str();
    err.str("");
  }
  for (pid_t pid : others) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
}

}  // namespace
}  // namespace tarnwell::cli
