#include "addin/modSearchForFiles.h"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/fakes.h"
#include "support/paths.h"

namespace tarnwell::addin {
namespace {

using namespace std::chrono_literals;
using platform::FileEntry;
using Clock = std::chrono::system_clock;

constexpr char kSep = support::kPathSeparator;

// A local time of day; built through mktime so tests hold in any time zone.
Clock::time_point LocalTime(int year, int month, int day, int hour) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_isdst = -1;
  return Clock::from_time_t(std::mktime(&tm));
}

std::string Folder(std::initializer_list<const char*> parts) {
  std::string out;
  for (const char* p : parts) out += std::string(p) + kSep;
  return out;
}

const std::string kAppData = Folder({"", "home", "ann", "Local Settings", "Application Data"});
const std::string kTemp = Folder({"", "home", "ann", "Local Settings", "Temp"});

const char* kExpectedWarning =
    "Word's temporary scratch file is getting very large.  This can happen when you edit a large number of "
    "styles - please see Microsoft's KnowledgeBase article \"Creating Large Numbers of Styles Creates Huge "
    "Scratch File\" for more information.\r\n\r\n"
    "You should save your work, close Word and restart Word to clear the scratch file.";

TEST(FncMatchSpecTest, StarAndQuestionMarkIgnoringCaseOneCharacterAtATime) {
  const struct {
    const char* name;
    const char* pattern;
    bool match;
  } cases[] = {
      {"~WRS0001.TMP", "*.tmp", true}, {".tmp", "*.tmp", true},  {"a.b.tmp", "*.tmp", true},
      {"a.tmpx", "*.tmp", false},      {"tmp", "*.tmp", false},   {"a.tm", "*.tmp", false},
      {"abc", "a?c", true},            {"ac", "a?c", false},      {"abbc", "a?c", false},
      {"", "*", true},                 {"", "?", false},          {"x", "**", true},
      {"abcXbcd", "*bcd", true},  // needs a step back after a false start
      // "*.*" matches names without a dot.
      {"README", "*.*", true},         {"a.b", "*.*", true},      {"README", "*.?*", false},
      // "?" is one character, not one byte.
      {"\xC3\xA9.tmp", "?.tmp", true}, {"\xC3\xA9.tmp", "??.tmp", false},
  };
  for (const auto& c : cases) EXPECT_EQ(fncMatchSpec(c.name, c.pattern), c.match) << c.name << " " << c.pattern;
  // A hostile name and pattern: a matcher that backtracks without bound never ends.
  const std::string name(20000, 'a');
  EXPECT_FALSE(fncMatchSpec(name, "*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(fncMatchSpec(name + "b", "*a*a*a*a*a*a*a*a*b"));
}

TEST(PathHelpersTest, AddBackslashAddsOnlyAMissingSeparatorAndTrimFixedStopsAtTheFirstNul) {
  EXPECT_EQ(fncAddBackslash(std::string("x") + kSep), std::string("x") + kSep);
  EXPECT_EQ(fncAddBackslash("x"), std::string("x") + kSep);
  EXPECT_EQ(fncAddBackslash(""), "");
#ifdef _WIN32
  EXPECT_EQ(fncAddBackslash("C:/x/"), "C:/x/");
#else
  EXPECT_EQ(fncAddBackslash("x\\"), "x\\/");  // a backslash is part of a POSIX name
#endif
  // A fixed-length buffer ends at its first NUL.
  EXPECT_EQ(fncTrimFixed(std::string("abc\0def\0", 8)), "abc");
  EXPECT_EQ(fncTrimFixed(std::string("\0abc", 4)), "");
  EXPECT_EQ(fncTrimFixed("abc"), "abc");
}

TEST(PathHelpersTest, TempFolderRewritesEveryApplicationDataCaseSensitivelyAndLocalDay) {
  EXPECT_EQ(fncTempFolder(kAppData), kTemp);
  EXPECT_EQ(fncTempFolder("/Application Data/x/Application Data"), std::string("/Temp/x/Temp") + kSep);
  EXPECT_EQ(fncTempFolder("/application data/"), "/application data/");
  EXPECT_EQ(fncTempFolder("/Application DataApplication Data/"), "/TempTemp/");
  // A local day is day/month/year.
  EXPECT_EQ(fncLocalDay(LocalTime(2026, 3, 5, 0)), "05/03/2026");
  EXPECT_EQ(fncLocalDay(LocalTime(2026, 12, 31, 23)), "31/12/2026");
}

class ScratchFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { fake_.clock.now = LocalTime(2026, 3, 15, 12); }

  void Add(const std::string& name, uint64_t size = 1000, Clock::duration age = 1h, bool directory = false) {
    FileEntry e;
    e.name = name;
    e.size = size;
    e.directory = directory;
    e.last_access = fake_.clock.now - age;
    fake_.files.AddFile(kTemp, e);
  }
  std::vector<std::string> Deleted() const {
    std::vector<std::string> names;
    for (const auto& path : fake_.files.deleted) {
      EXPECT_EQ(path.rfind(kTemp, 0), 0u) << path;
      names.push_back(path.substr(kTemp.size()));
    }
    return names;
  }
  void AddCommonFiles() {
    Add("~WRS0001.TMP");
    Add("~wrc0002.tmp");
    Add("~wrl0003.tmp");
    Add("~wrs1.tmp", 0, 1h, true);
    Add("~wrf0004.Tmp");
    Add("~wrs0005.tmp.bak");
    Add("~wr.tmp");
    Add("notes.txt");
  }

  platform::FakePlatform fake_;
  platform::Platform p_ = fake_.platform();
};

TEST_F(ScratchFilesTest, ClearDeletesAllThreeKindsInTheTempFolderGoingOnPastFilesThatCannotBeDeleted) {
  Add("~wrs0000.tmp");
  fake_.files.undeletable.insert(kTemp + "~wrs0000.tmp");
  AddCommonFiles();
  fake_.files.AddFile(kAppData, FileEntry{"~wrs9.tmp"});
  fncClearScratchFiles(p_, kAppData);
  EXPECT_EQ(Deleted(), (std::vector<std::string>{"~WRS0001.TMP", "~wrc0002.tmp", "~wrf0004.Tmp"}));
  EXPECT_EQ(fake_.files.folders[kAppData].size(), 1u);  // only the Temp folder is searched
  EXPECT_TRUE(fake_.ui.shown.empty());
}

TEST_F(ScratchFilesTest, CheckDeletesOnlyWrsFiles) {
  AddCommonFiles();
  fncCheckScratchFile(p_, kAppData);
  EXPECT_EQ(Deleted(), std::vector<std::string>{"~WRS0001.TMP"});
  EXPECT_TRUE(fake_.ui.shown.empty());
}

TEST_F(ScratchFilesTest, EmptyFolderDoesNothing) {
  // Wherever an empty folder could lead: the current or the root folder.
  for (const std::string& where : {std::string(), std::string("./"), std::string(1, kSep)}) {
    fake_.files.AddFile(where, FileEntry{"~wrs0001.tmp", false, false, 400000000u, fake_.clock.now});
  }
  fncClearScratchFiles(p_, "");
  fncCheckScratchFile(p_, "");
  EXPECT_TRUE(fake_.files.deleted.empty());
  EXPECT_TRUE(fake_.ui.shown.empty());
}

TEST_F(ScratchFilesTest, LargeScratchFileOfTodayIsWarnedAboutOnce) {
  Add("~wrs0001.tmp", 350000001u, 11h);  // 01:00 today
  Add("~wrs0002.tmp", 350000001u, 24h);  // yesterday
  Add("~wrs0003.tmp", 350000000u, 1h);   // at the limit, not over it
  Add("~wrf0004.tmp", 900000000u, 1h);   // not a ~wrs file
  fncCheckScratchFile(p_, kAppData);
  ASSERT_EQ(fake_.ui.shown.size(), 1u);
  const auto& shown = fake_.ui.shown[0];
  EXPECT_EQ(shown.title, "Word's scratch file too large");
  EXPECT_EQ(shown.text, kExpectedWarning);
  EXPECT_EQ(shown.icon, platform::Icon::Exclamation);
  EXPECT_EQ(shown.buttons, platform::Buttons::OK);
  EXPECT_EQ(Deleted(), (std::vector<std::string>{"~wrs0001.tmp", "~wrs0002.tmp", "~wrs0003.tmp"}));
}

TEST_F(ScratchFilesTest, SizeIsJudgedOnItsLow32Bits) {
  // 4,645,000,000 - 2^32 = 350,032,704: over the limit; each such file
  // gets its own warning.
  Add("~wrs0001.tmp", 4645000000ull);
  Add("~wrs0004.tmp", 400000000u);
  fncCheckScratchFile(p_, kAppData);
  EXPECT_EQ(fake_.ui.shown.size(), 2u);

  // 2^32 + 100 is a huge file whose low half is small: no warning.
  fake_.ui.shown.clear();
  Add("~wrs0002.tmp", 4294967296ull + 100u);
  fncCheckScratchFile(p_, kAppData);
  EXPECT_TRUE(fake_.ui.shown.empty());

  // A low half past 2^31 counts as large, not as a negative number.
  Add("~wrs0003.tmp", 3000000000ull);
  fncCheckScratchFile(p_, kAppData);
  EXPECT_EQ(fake_.ui.shown.size(), 1u);
}

TEST_F(ScratchFilesTest, FileThatCannotBeDeletedEndsTheCheckQuietly) {
  Add("~wrs0001.tmp", 400000000u);
  Add("~wrs0002.tmp", 400000000u);
  Add("~wrs0003.tmp", 400000000u);
  fake_.files.undeletable.insert(kTemp + "~wrs0002.tmp");
  fncCheckScratchFile(p_, kAppData);
  // The first went (and was warned about); from the locked one on, nothing.
  EXPECT_EQ(Deleted(), std::vector<std::string>{"~wrs0001.tmp"});
  EXPECT_EQ(fake_.ui.shown.size(), 1u);
  EXPECT_EQ(fake_.files.folders[kTemp].size(), 2u);
  // With the locked one first, no warning at all.
  fncCheckScratchFile(p_, kAppData);
  EXPECT_EQ(fake_.ui.shown.size(), 1u);
}

class ThrowingFiles : public platform::FakeFiles {
 public:
  bool Delete(const std::string& path) override {
    if (path.find("boom") != std::string::npos) throw std::runtime_error("io");
    return FakeFiles::Delete(path);
  }
};

TEST(ScratchFilesErrorsTest, ClearSkipsAnErrorAndCheckStopsAtIt) {
  platform::FakePlatform fake;
  ThrowingFiles files;
  platform::Platform p{fake.ui, files, fake.registry, fake.processes, fake.folders, fake.settings, fake.clock};
  const std::string temp = fncTempFolder("/x/Application Data/");
  files.AddFile(temp, FileEntry{"~wrsboom.tmp"});
  files.AddFile(temp, FileEntry{"~wrs0002.tmp"});

  fncCheckScratchFile(p, "/x/Application Data/");
  EXPECT_TRUE(files.deleted.empty());

  EXPECT_NO_THROW(fncClearScratchFiles(p, "/x/Application Data/"));
  EXPECT_EQ(files.deleted, std::vector<std::string>{temp + "~wrs0002.tmp"});
}

}  // namespace
}  // namespace tarnwell::addin
