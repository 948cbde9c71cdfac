#include "posix/processes_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "posix/test_home.h"

namespace tarnwell::posix {
namespace {

using Processes = HomeTest;

TEST(PosixProcesses, ListsThisProcessWithItsExecutable) {
  PosixProcesses procs;
  const auto ids = procs.Ids();
  const auto self = static_cast<uint32_t>(getpid());
  EXPECT_NE(std::find(ids.begin(), ids.end(), self), ids.end());
  const auto path = procs.ExecutablePath(self);
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(*path, std::filesystem::read_symlink("/proc/self/exe").string());
  // Some process of the list is this program: what a process count relies on.
  const auto same = std::count_if(ids.begin(), ids.end(), [&](uint32_t id) { return procs.ExecutablePath(id) == path; });
  EXPECT_GE(same, 1);
}

TEST_F(Processes, ProgramDeletedWhileRunningKeepsItsPath) {
  const std::string copy = home / "sleeper";
  std::filesystem::copy_file("/bin/sleep", copy);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    execl(copy.c_str(), "sleeper", "30", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Wait until the child runs the copy rather than this test program.
  PosixProcesses procs;
  std::optional<std::string> path;
  for (int i = 0; i < 200 && path != copy; ++i) {
    usleep(10'000);
    path = procs.ExecutablePath(static_cast<uint32_t>(child));
  }
  EXPECT_EQ(path, copy);
  std::filesystem::remove(copy);
  EXPECT_EQ(procs.ExecutablePath(static_cast<uint32_t>(child)), copy);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

TEST(PosixProcesses, UnreadableProcessGivesNothing) {
  PosixProcesses procs;
  EXPECT_FALSE(procs.ExecutablePath(UINT32_MAX).has_value());
  // Another user's process, when there is one to look at.
  struct stat st {};
  if (geteuid() == 0 || stat("/proc/1", &st) != 0 || st.st_uid == geteuid()) {
    GTEST_SKIP() << "no process of another user is visible";
  }
  EXPECT_FALSE(procs.ExecutablePath(1).has_value());
}

TEST_F(Processes, NamedMutexHoldsASanitisedLockFileAndRefusesALinkInItsPlace) {
  setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
  PosixProcesses procs;
  const std::string path = home / "tarnwell-Quillon_Tarnwell.lock";
  EXPECT_EQ(PosixProcesses::MutexPath("Quillon Tarnwell"), path);
  EXPECT_EQ(PosixProcesses::MutexPath("../x/y"), home / "tarnwell-.._x_y.lock");
  ASSERT_TRUE(procs.CreateNamedMutex("Quillon Tarnwell"));
  EXPECT_TRUE(procs.CreateNamedMutex("Quillon Tarnwell"));

  // Another holder can share it but cannot take it alone while we live.
  const int other = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(flock(other, LOCK_SH | LOCK_NB), 0);
  close(other);

  // A link planted in a lock file's place is refused, not followed.
  std::filesystem::create_symlink(home / "victim", home / "tarnwell-m.lock");
  EXPECT_FALSE(procs.CreateNamedMutex("m"));
  EXPECT_FALSE(std::filesystem::exists(home / "victim"));
}

}  // namespace
}  // namespace tarnwell::posix
