#include "posix/shell_folders_posix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "posix/test_home.h"
#include "posix/xdg.h"

namespace tarnwell::posix {
namespace {

namespace fs = std::filesystem;
using platform::kCsidlLocalAppData;
using platform::kCsidlPersonal;

void WriteUserDirs(const std::string& config_dir, const std::string& body) {
  fs::create_directories(config_dir);
  std::ofstream(config_dir + "/user-dirs.dirs") << body;
}

TEST(PosixSpecialFolders, DocumentsFromUserDirsFileWithHomeExpanded) {
  TestHome home;
  ASSERT_TRUE(home.ok());
  fs::create_directories(home / "Papiers bureau");
  fs::create_directories(home / "Documents");
  WriteUserDirs(home / ".config",
                "# written by the desktop\n"
                "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                "XDG_DOCUMENTS_DIR=\"$HOME/Papiers bureau/\"\n");
  PosixSpecialFolders folders;
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), home / "Papiers bureau");
}

TEST(PosixSpecialFolders, DocumentsFollowXdgConfigHomeAndAbsolutePaths) {
  TestHome home;
  ASSERT_TRUE(home.ok());
  fs::create_directories(home / "elsewhere/docs");
  setenv("XDG_CONFIG_HOME", (home / "cfg").c_str(), 1);
  WriteUserDirs(home / "cfg", "XDG_DOCUMENTS_DIR=\"" + (home / "elsewhere/docs") + "\"\n");
  PosixSpecialFolders folders;
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), home / "elsewhere/docs");
}

TEST(PosixSpecialFolders, DocumentsFallBackToHomeDocumentsThenEmpty) {
  TestHome home;
  ASSERT_TRUE(home.ok());
  // Named in the file but never created: the fallback applies.
  WriteUserDirs(home / ".config", "XDG_DOCUMENTS_DIR=\"$HOME/Gone\"\n");
  PosixSpecialFolders folders;
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), "");
  fs::create_directories(home / "Documents");
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), home / "Documents");
  // Set to the home folder itself means the desktop disabled it.
  WriteUserDirs(home / ".config", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), home / "Documents");
}

TEST(PosixSpecialFolders, DocumentsAsAFileIsNotAFolder) {
  TestHome home;
  ASSERT_TRUE(home.ok());
  std::ofstream(home / "Documents") << "not a folder";
  PosixSpecialFolders folders;
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), "");
}

TEST(PosixSpecialFolders, LocalAppDataFromXdgDataHomeIgnoringRelativeValues) {
  TestHome home;
  ASSERT_TRUE(home.ok());
  PosixSpecialFolders folders;
  EXPECT_EQ(folders.Get(0, kCsidlLocalAppData), "");
  fs::create_directories(home / ".local/share");
  EXPECT_EQ(folders.Get(0, kCsidlLocalAppData), home / ".local/share");
  setenv("XDG_DATA_HOME", "relative/data", 1);
  EXPECT_EQ(folders.Get(0, kCsidlLocalAppData), home / ".local/share");
  fs::create_directories(home / "data");
  setenv("XDG_DATA_HOME", (home / "data/").c_str(), 1);
  EXPECT_EQ(folders.Get(0, kCsidlLocalAppData), home / "data");
}

TEST(PosixSpecialFolders, OtherNumbersAreUnknown) {
  TestHome home;
  ASSERT_TRUE(home.ok());
  fs::create_directories(home / "Documents");
  PosixSpecialFolders folders;
  EXPECT_EQ(folders.Get(0, 26), "");
  EXPECT_EQ(folders.Get(0, -1), "");
}

TEST(Xdg, RuntimeDirDefaultsToTmpAndPathsLoseTrailingSlashes) {
  TestHome home;
  ASSERT_TRUE(home.ok());
  EXPECT_EQ(RuntimeDir(), "/tmp");
  setenv("XDG_RUNTIME_DIR", (home / "run//").c_str(), 1);
  EXPECT_EQ(RuntimeDir(), home / "run");
  EXPECT_EQ(StripTrailingSlashes("/"), "/");
  EXPECT_EQ(TarnwellConfigDir(), home / ".config/tarnwell");
}

}  // namespace
}  // namespace tarnwell::posix
