#include <filesystem>

#include <gtest/gtest.h>

#include "platform/fakes.h"
#include "support/globals.h"
#include "support/modGetCSIDLFolderPath.h"
#include "support/paths.h"

namespace tarnwell::support {
namespace {

using platform::FileEntry;

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetGlobals(); }
  void TearDown() override { ResetGlobals(); }
  platform::FakePlatform fake;
  platform::Platform platform = fake.platform();
};

const std::string kDocs = std::string("/home/ann/Documents");
const std::string kLocal = std::string("/home/ann/.local/share");

// A docs folder with a file keeps its path and separator; an empty or
// unresolved one falls back to a writable folder.
TEST_F(FolderTest, FoldersAreKeptWhenTheyHoldAFileAndFallBackOtherwise) {
  fake.folders.folders[platform::kCsidlPersonal] = kDocs;
  fake.files.AddFile(kDocs + kPathSeparator, FileEntry{"letter.docx"});
  fncSetDocsFolder(platform, 0);
  EXPECT_EQ(gDocsFolder, kDocs + kPathSeparator);

  fake.files.folders[kDocs + kPathSeparator] = {};
  fncSetDocsFolder(platform, 0);
  EXPECT_EQ(gDocsFolder, FallbackDocsFolder());

  fake.folders.folders.clear();
  gDocsFolder = "stale";
  fncSetDocsFolder(platform, 0);
  EXPECT_EQ(gDocsFolder, FallbackDocsFolder());

  ASSERT_FALSE(gDocsFolder.empty());
  EXPECT_EQ(gDocsFolder.back(), kPathSeparator);
#ifndef _WIN32
  EXPECT_TRUE(std::filesystem::is_directory(gDocsFolder));
#endif

  fake.folders.folders[platform::kCsidlPersonal] = kDocs;
  fake.folders.folders[platform::kCsidlLocalAppData] = kLocal;
  FileEntry sub{"Projects"};
  sub.directory = true;
  FileEntry hidden{"desktop.ini"};
  hidden.hidden = true;
  for (const auto& folder : {kDocs, kLocal}) {
    fake.files.AddFile(folder + kPathSeparator, sub);
    fake.files.AddFile(folder + kPathSeparator, hidden);
  }
  gScratchFolder = "stale";
  fncSetDocsFolder(platform, 0);
  fncSetScratchFolder(platform, 0);
  EXPECT_EQ(gDocsFolder, FallbackDocsFolder());
  EXPECT_EQ(gScratchFolder, "");

  // One ordinary file among them is enough.
  fake.files.AddFile(kLocal + kPathSeparator, FileEntry{"state.db"});
  fncSetScratchFolder(platform, 0);
  EXPECT_EQ(gScratchFolder, kLocal + kPathSeparator);

  // Unresolved, it is empty even when the root holds files.
  fake.folders.folders.clear();
  fake.files.AddFile(std::string(1, kPathSeparator), FileEntry{"boot.ini"});
  fncSetScratchFolder(platform, 0);
  EXPECT_EQ(gScratchFolder, "");
}

}  // namespace
}  // namespace tarnwell::support
