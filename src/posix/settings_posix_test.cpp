#include "posix/settings_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/host_error.h"
#include "posix/test_home.h"

namespace tarnwell::posix {
namespace {

namespace fs = std::filesystem;

class Settings : public HomeTest {
 protected:
  // Saving is refused with Word's file-access error naming the file, and
  // what is on disk stays.
  void ExpectSaveRefused(const std::string& named) {
    try {
      settings.Save("a", "b", "c", "d");
      ADD_FAILURE() << "saved over what was there";
    } catch (const host::HostError& e) {
      EXPECT_EQ(e.number(), host::kErrPathFileAccess);
      EXPECT_NE(e.description().find(named), std::string::npos);
    }
  }
  PosixSettings settings;
};

TEST_F(Settings, RoundTripAndSecondValueKeepsTheFirst) {
  EXPECT_FALSE(settings.Get("Quillon Tarnwell", "Settings", "DisplayOnConnect").has_value());
  settings.Save("Quillon Tarnwell", "Settings", "DisplayOnConnect", "1");
  settings.Save("Quillon Tarnwell", "Settings", "Other", "x");
  settings.Save("Quillon Tarnwell", "Window", "DisplayOnConnect", "7");
  settings.Save("Quillon Tarnwell", "Settings", "DisplayOnConnect", "0");
  EXPECT_EQ(settings.Get("Quillon Tarnwell", "Settings", "DisplayOnConnect"), "0");
  EXPECT_EQ(settings.Get("Quillon Tarnwell", "Settings", "Other"), "x");
  EXPECT_EQ(settings.Get("Quillon Tarnwell", "Window", "DisplayOnConnect"), "7");
  EXPECT_FALSE(settings.Get("quillon tarnwell", "Settings", "DisplayOnConnect").has_value());
  EXPECT_EQ(PosixSettings::FilePath(), home / ".config/tarnwell/settings.ini");
  EXPECT_EQ(Slurp(PosixSettings::FilePath()),
            "[Quillon Tarnwell/Settings]\nDisplayOnConnect=0\nOther=x\n\n"
            "[Quillon Tarnwell/Window]\nDisplayOnConnect=7\n");
}

TEST_F(Settings, AwkwardNamesAndValuesSurviveTheFormat) {
  setenv("XDG_CONFIG_HOME", (home / "cfg").c_str(), 1);
  const std::string nul_value("a\0b", 3);
  settings.Save("a/b", "c]", "k=v", "line1\nline2\\");
  settings.Save("a", "b/c]", "[x", nul_value);
  settings.Save("a", "b", ";not a comment", " spaced ");
  EXPECT_EQ(settings.Get("a/b", "c]", "k=v"), "line1\nline2\\");
  EXPECT_EQ(settings.Get("a", "b/c]", "[x"), nul_value);
  EXPECT_EQ(settings.Get("a", "b", ";not a comment"), " spaced ");
  EXPECT_FALSE(settings.Get("a", "b/c]", "k=v").has_value());
  EXPECT_TRUE(fs::exists(home / "cfg/tarnwell/settings.ini"));
}

TEST_F(Settings, ReadsHandEditedFiles) {
  fs::create_directories(home / ".config/tarnwell");
  std::ofstream(home / ".config/tarnwell/settings.ini")
      << "; a comment\r\n[App/Sec]\r\nk=1\r\nnot a pair\r\n[broken\nk=2\n[App/Sec]\nj=3\nk=4\n";
  EXPECT_EQ(settings.Get("App", "Sec", "k"), "4");
  EXPECT_EQ(settings.Get("App", "Sec", "j"), "3");
  settings.Save("App", "Sec", "j", "5");
  EXPECT_EQ(settings.Get("App", "Sec", "k"), "4");
  EXPECT_EQ(settings.Get("App", "Sec", "j"), "5");
}

TEST_F(Settings, OversizedFileOrAFileInPlaceOfTheFolderIsRefusedAndLeftAlone) {
  const std::string path = home / ".config/tarnwell/settings.ini";
  fs::create_directories(home / ".config/tarnwell");
  const std::string big(PosixSettings::kMaxFileBytes + 1, 'x');
  std::ofstream(path) << big;
  EXPECT_FALSE(settings.Get("a", "b", "c").has_value());
  ExpectSaveRefused(path);
  EXPECT_EQ(fs::file_size(path), big.size());

  fs::remove_all(home / ".config/tarnwell");
  std::ofstream(home / ".config/tarnwell") << "in the way";
  EXPECT_FALSE(settings.Get("a", "b", "c").has_value());
  ExpectSaveRefused(PosixSettings::FilePath());
  EXPECT_EQ(Slurp(home / ".config/tarnwell"), "in the way");
}

TEST_F(Settings, UnwritableFolderThrowsAndKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes through folder permissions";
  settings.Save("a", "b", "c", "old");
  const std::string dir = home / ".config/tarnwell";
  ASSERT_EQ(chmod(dir.c_str(), 0500), 0);
  EXPECT_THROW(settings.Save("a", "b", "c", "new"), host::HostError);
  chmod(dir.c_str(), 0700);
  EXPECT_EQ(settings.Get("a", "b", "c"), "old");
  // No temporary file left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tarnwell::posix
