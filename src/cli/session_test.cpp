// The host's files beside the embedded Word: what the organizer holds for a
// file shows in a copy of it, and a deleted file stays deleted.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "cli/session.h"
#include "engine/engine.h"
#include "host/word.h"
#include "ooxml/package.h"
#include "platform/fakes.h"
#include "posix/files_posix.h"

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;

TEST(OrganizerAwareFilesTest, CopiesShowHeldChangesAndDeletedFilesStayGone) {
  fs::path dir = fs::temp_directory_path() / ("tw-session-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const char* name : {"source.docx", "held.docx", "gone.docx"}) engine::WriteBlankDocument((dir / name).string());
  {
    engine::Options options;
    options.normal_template = (dir / "Normal.dotx").string();
    auto app = std::dynamic_pointer_cast<engine::Application>(engine::CreateApplication(options));
    host::Application word(app);
    auto source = word.GetDocuments().Open((dir / "source.docx").string());
    source.GetStyles().Add("Held Style");
    posix::PosixFiles inner;
    OrganizerAwareFiles files(inner, *app);

    word.ref().call("OrganizerCopy", {source.FullName(), (dir / "held.docx").string(), "Held Style", 0});
    ASSERT_TRUE(files.Copy((dir / "held.docx").string(), (dir / "copy.docx").string()));
    auto copy = ooxml::Package::Open((dir / "copy.docx").string());
    EXPECT_NE(copy.Get("word/styles.xml").find("Held Style"), std::string::npos);

    word.ref().call("OrganizerCopy", {source.FullName(), (dir / "gone.docx").string(), "Held Style", 0});
    ASSERT_TRUE(files.Delete((dir / "gone.docx").string()));
    // A file of that name made afresh is not overwritten with the old one.
    engine::WriteBlankDocument((dir / "gone.docx").string());
  }
  auto fresh = ooxml::Package::Open((dir / "gone.docx").string());
  EXPECT_EQ(fresh.Get("word/styles.xml").find("Held Style"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tarnwell::cli
