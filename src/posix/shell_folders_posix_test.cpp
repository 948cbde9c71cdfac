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

class SpecialFolders : public HomeTest {
 protected:
  PosixSpecialFolders folders;
};

void WriteUserDirs(const std::string& config_dir, const std::string& body) {
  fs::create_directories(config_dir);
  std::ofstream(config_dir + "/user-dirs.dirs") << body;
}

TEST_F(SpecialFolders, DocumentsFromUserDirsFileWithHomeExpandedOrAbsoluteUnderXdgConfigHome) {
  fs::create_directories(home / "Papiers bureau");
  fs::create_directories(home / "Documents");
  WriteUserDirs(home / ".config",
                "# written by the desktop\n"
                "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                "XDG_DOCUMENTS_DIR=\"$HOME/Papiers bureau/\"\n");
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), home / "Papiers bureau");
  // XDG_CONFIG_HOME, where set, holds the file; its path may be absolute.
  fs::create_directories(home / "elsewhere/docs");
  setenv("XDG_CONFIG_HOME", (home / "cfg").c_str(), 1);
  WriteUserDirs(home / "cfg", "XDG_DOCUMENTS_DIR=\"" + (home / "elsewhere/docs") + "\"\n");
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), home / "elsewhere/docs");
}

TEST_F(SpecialFolders, DocumentsFallBackToHomeDocumentsThenEmpty) {
  // Named in the file but never created: the fallback applies, and a file
  // in its place is not a folder.
  WriteUserDirs(home / ".config", "XDG_DOCUMENTS_DIR=\"$HOME/Gone\"\n");
  std::ofstream(home / "Documents") << "not a folder";
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), "");
  fs::remove(home / "Documents");
  fs::create_directories(home / "Documents");
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), home / "Documents");
  // Set to the home folder itself means the desktop disabled it.
  WriteUserDirs(home / ".config", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  EXPECT_EQ(folders.Get(0, kCsidlPersonal), home / "Documents");
  // Other numbers are unknown.
  EXPECT_EQ(folders.Get(0, 26), "");
  EXPECT_EQ(folders.Get(0, -1), "");
}

TEST_F(SpecialFolders, LocalAppDataFromXdgDataHomeIgnoringRelativeValues) {
  EXPECT_EQ(folders.Get(0, kCsidlLocalAppData), "");
  fs::create_directories(home / ".local/share");
  EXPECT_EQ(folders.Get(0, kCsidlLocalAppData), home / ".local/share");
  setenv("XDG_DATA_HOME", "relative/data", 1);
  EXPECT_EQ(folders.Get(0, kCsidlLocalAppData), home / ".local/share");
  fs::create_directories(home / "data");
  setenv("XDG_DATA_HOME", (home / "data/").c_str(), 1);
  EXPECT_EQ(folders.Get(0, kCsidlLocalAppData), home / "data");
}

TEST_F(SpecialFolders, RuntimeDirDefaultsToTmpAndPathsLoseTrailingSlashes) {
  EXPECT_EQ(RuntimeDir(), "/tmp");
  setenv("XDG_RUNTIME_DIR", (home / "run//").c_str(), 1);
  EXPECT_EQ(RuntimeDir(), home / "run");
  EXPECT_EQ(StripTrailingSlashes("/"), "/");
  EXPECT_EQ(TarnwellConfigDir(), home / ".config/tarnwell");
}

}  // namespace
}  // namespace tarnwell::posix
