#include "posix/files_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "posix/file_io.h"
#include "posix/test_home.h"

namespace tarnwell::posix {
namespace {

namespace fs = std::filesystem;

const platform::FileEntry* Find(const std::vector<platform::FileEntry>& entries, const std::string& name) {
  const auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.name == name; });
  return it == entries.end() ? nullptr : &*it;
}

class Files : public HomeTest {
 protected:
  PosixFiles files;
};

TEST_F(Files, ListReportsSizesFoldersAndHiddenEntries) {
  const std::string dir = home / "scratch/";
  fs::create_directories(dir + "sub");
  std::ofstream(dir + "~wrs0001.tmp") << std::string(1234, 'a');
  std::ofstream(dir + ".hidden") << "xy";
  ASSERT_EQ(mkfifo((dir + "pipe").c_str(), 0600), 0);
  fs::create_symlink(dir + "~wrs0001.tmp", dir + "link.tmp");
  fs::create_symlink(dir + "nowhere", dir + "dangling");
  // A known access time, to check it is the one reported.
  timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (dir + "~wrs0001.tmp").c_str(), times, 0), 0);

  const auto entries = files.List(dir);
  EXPECT_EQ(entries.size(), 6u);
  EXPECT_EQ(Find(entries, "."), nullptr);
  EXPECT_EQ(Find(entries, ".."), nullptr);

  const auto* tmp = Find(entries, "~wrs0001.tmp");
  ASSERT_NE(tmp, nullptr);
  EXPECT_EQ(tmp->size, 1234u);
  EXPECT_FALSE(tmp->directory);
  EXPECT_FALSE(tmp->hidden);
  EXPECT_EQ(std::chrono::system_clock::to_time_t(tmp->last_access), 1'000'000'000);

  for (const auto& [name, hidden] :
       {std::pair{"sub", false}, {".hidden", true}, {"pipe", true}, {"link.tmp", false}, {"dangling", true}}) {
    ASSERT_NE(Find(entries, name), nullptr) << name;
    EXPECT_EQ(Find(entries, name)->hidden, hidden) << name;
  }
  EXPECT_TRUE(Find(entries, "sub")->directory);
  EXPECT_EQ(Find(entries, "link.tmp")->size, 1234u);

  // Without the trailing separator too; a missing folder lists nothing.
  EXPECT_EQ(files.List(home / "scratch").size(), 6u);
  EXPECT_TRUE(files.List(home / "missing/").empty());
}

TEST_F(Files, DeleteRemovesFilesAndFailsOnMissingOrFolders) {
  std::ofstream(home / "a.tmp") << "x";
  fs::create_directories(home / "dir");
  EXPECT_TRUE(files.Exists(home / "a.tmp"));
  EXPECT_TRUE(files.Delete(home / "a.tmp"));
  EXPECT_FALSE(files.Exists(home / "a.tmp"));
  EXPECT_FALSE(files.Delete(home / "a.tmp"));
  EXPECT_FALSE(files.Delete(home / "dir"));
  EXPECT_TRUE(files.Exists(home / "dir"));
  EXPECT_FALSE(files.Delete(""));
}

TEST_F(Files, CopyReplacesTheTargetWholeAndKeepsTheMode) {
  const std::string from = home / "Tarnwell.doc";
  const std::string to = home / "Documents/TARNWELLTEMPDOC.doc";
  fs::create_directories(home / "Documents");
  std::string content(200'000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  std::ofstream(from, std::ios::binary) << content;
  ASSERT_EQ(chmod(from.c_str(), 0640), 0);
  std::ofstream(to) << "an older, longer scratch document than the new one will be" << std::string(300'000, 'z');

  ASSERT_TRUE(files.Copy(from, to));
  EXPECT_EQ(Slurp(to), content);
  struct stat st {};
  ASSERT_EQ(stat(to.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(fs::directory_iterator(home / "Documents"), fs::directory_iterator()), 1);
}

TEST_F(Files, FailedCopyLeavesNothingBehindAndTheLongestNameIsTaken) {
  std::ofstream(home / "src.doc") << "x";
  fs::create_directories(home / "out");
  EXPECT_FALSE(files.Copy(home / "missing.doc", home / "out/a.doc"));
  EXPECT_FALSE(files.Copy(home / "src.doc", home / "no/such/folder/a.doc"));
  EXPECT_FALSE(files.Copy(home / "out", home / "out/b.doc"));  // a folder is not copied
  EXPECT_FALSE(files.Copy(home / "src.doc", home / "out/"));
  EXPECT_TRUE(fs::is_empty(home / "out"));
  const std::string longest = home / (std::string(251, 'n') + ".doc");
  ASSERT_TRUE(files.Copy(home / "src.doc", longest));
  EXPECT_EQ(Slurp(longest), "x");
}

TEST_F(Files, OwnFolderHoldsTheRunningProgram) {
  const auto folder = files.OwnFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  const auto exe = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(folder + exe.filename().string(), exe.string());
}

TEST_F(Files, AtomicWriteMakesParentsAndLeavesNoTemporary) {
  const std::string path = home / "a/b/c.txt";
  EXPECT_EQ(WriteFileAtomically(path, "one"), 0);
  EXPECT_EQ(WriteFileAtomically(path, "two"), 0);
  EXPECT_EQ(Slurp(path), "two");
  EXPECT_EQ(std::distance(fs::directory_iterator(home / "a/b"), fs::directory_iterator()), 1);
  // The same content again leaves the file itself in place; a longer or
  // shorter one replaces it.
  struct stat before {}, after {};
  ::stat(path.c_str(), &before);
  EXPECT_EQ(WriteFileAtomically(path, "two"), 0);
  ::stat(path.c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(WriteFileAtomically(path, "tw"), 0);
  EXPECT_EQ(Slurp(path), "tw");
  EXPECT_EQ(WriteFileAtomically(path, "two!"), 0);
  EXPECT_EQ(Slurp(path), "two!");
  // A folder in the way: refused, and no temporary left beside it.
  fs::create_directories(home / "a/b/d.txt");
  EXPECT_NE(WriteFileAtomically(home / "a/b/d.txt", "x"), 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(home / "a/b"), fs::directory_iterator()), 2);
}

TEST_F(Files, ReadRefusesFilesOverTheCap) {
  std::ofstream(home / "f") << "12345";
  EXPECT_EQ(ReadWholeFile(home / "f", 5).text, "12345");
  const auto over = ReadWholeFile(home / "f", 4);
  EXPECT_EQ(over.error, EFBIG);
  EXPECT_TRUE(over.text.empty());
  EXPECT_EQ(ReadWholeFile(home / "none", 4).error, ENOENT);
  EXPECT_EQ(ReadWholeFile(home.path(), 4).error, EISDIR);
}

}  // namespace
}  // namespace tarnwell::posix
