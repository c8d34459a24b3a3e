// The lock files serial programs share, in a folder of the test's own.
#include "link/port_lock_file.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/file_text.h"
#include "tests/support/temporary_folder.h"

namespace {

// A PID that no process has any more: a child's, after it was reaped.
int DeadPid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return static_cast<int>(child);
}

std::string PidText(int pid) {
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", pid);
  return text;
}

TEST(PortLockName, IsTheDevicesPathUnderDevAfterLinks) {
  TemporaryFolder folder{"velt-lock-name"};
  const std::string link = folder / "adapter";
  ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
  EXPECT_EQ(PortLockName(link), "null");
  EXPECT_EQ(PortLockName("/dev/velt-missing/ttyX"), "velt-missing_ttyX");  // not there: as given
}

// Who holds the lock file decides: nobody, a dead process, a running one.
TEST(PortLockFile, IsTakenUnlessARunningProcessHoldsIt) {
  const int dead = DeadPid();
  const int ours = static_cast<int>(getpid());
  const struct {
    const char* name;
    bool present;
    std::string content;
    PortLock result;
    int owner;  // reported when held
  } cases[] = {
      {"no lock file", false, "", PortLock::taken, 0},
      {"a killed owner's", true, PidText(dead), PortLock::takenFromDeadOwner, 0},
      {"no PID in it", true, "velt\n", PortLock::takenFromDeadOwner, 0},
      {"init's, unpadded: init always runs", true, "1\n", PortLock::heldByOther, 1},
      {"this process's own", true, PidText(ours), PortLock::heldByOther, ours},
  };
  for (const auto& c : cases) {
    TemporaryFolder folder{"velt-lock"};
    const std::string file = folder / "LCK..null";
    if (c.present) folder.Write("LCK..null", c.content);
    std::string path;
    int owner = 0;
    EXPECT_EQ(TakePortLock(folder.Path(), "/dev/null", &path, &owner), c.result) << c.name;
    if (c.result == PortLock::heldByOther) {
      EXPECT_EQ(owner, c.owner) << c.name;
      EXPECT_EQ(path, "") << c.name;
      EXPECT_EQ(FileText(file), c.content) << c.name << ": left as it was";
    } else {
      EXPECT_EQ(path, file) << c.name;
      EXPECT_EQ(FileText(file), PidText(ours)) << c.name;
      struct stat mode {};
      ASSERT_EQ(stat(file.c_str(), &mode), 0);
      EXPECT_EQ(mode.st_mode & 0777, 0644u) << "others must be able to read it";
      ReleasePortLock(path);
      EXPECT_NE(access(file.c_str(), F_OK), 0) << c.name << ": released";
    }
  }
}

TEST(PortLockFile, AFolderThatTakesNoFileIsUnavailableAndReleaseLeavesOthersAlone) {
  std::string path = "unchanged";
  int owner = 0;
  EXPECT_EQ(TakePortLock("/velt-no-such-folder", "/dev/null", &path, &owner),
            PortLock::unavailable);
  EXPECT_EQ(path, "");

  TemporaryFolder folder{"velt-lock"};
  const std::string other = folder.Write("LCK..null", PidText(1));
  ReleasePortLock(other);
  EXPECT_EQ(FileText(other), PidText(1)) << "not ours: kept";
}

}  // namespace
