// Whole files: on the disk before they get their name, never half there,
// nothing replaced unless asked, and nothing left behind, not even by a
// killed process where the file system has unnamed files.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "coeff/file_output.h"
#include "tests/support/file_text.h"

namespace {

// What the file system held at each flush that the code under test asked for.
struct Sync {
  bool folder;         // a folder was flushed, not a file
  bool unnamed;        // a file without any name yet
  bool targetWritten;  // the target already held the new content
};

const char* spiedTarget = nullptr;
const char* spiedContent = nullptr;
std::vector<Sync> syncs;
bool killAtFileSync = false;

}  // namespace

// Stands in for the C library's fsync in this test program, so that the
// order of flushes and names can be seen, and a kill put between them.
extern "C" int fsync(int fd) {
  using Real = int (*)(int);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "fsync"));
  struct stat info;
  if (spiedTarget != nullptr && fstat(fd, &info) == 0) {
    const bool folder = S_ISDIR(info.st_mode);
    if (!folder && killAtFileSync) raise(SIGKILL);
    syncs.push_back({folder, !folder && info.st_nlink == 0, FileText(spiedTarget) == spiedContent});
  }
  return real(fd);
}

namespace {

const std::string content = "0.1\n0.2\n";
constexpr TemporaryName unnamed = TemporaryName::noneWherePossible;
constexpr TemporaryName named = TemporaryName::alwaysOne;
constexpr size_t longestName = 255;  // NAME_MAX on Linux, and NTFS's limit too

class FileOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velt-output-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
  }
  void TearDown() override {
    spiedTarget = nullptr;
    syncs.clear();
    std::system(("rm -rf " + directory).c_str());
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
  }
  bool UnnamedFilesWork() const {
    const int fd = open(directory.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (fd >= 0) close(fd);
    return fd >= 0;
  }

  std::string directory;
};

TEST_F(FileOutput, WritesTheWholeFileAndReplacesOnlyWhenAsked) {
  struct Case {
    const char* what;
    TemporaryName temporary;
    bool replace;
    const char* before;  // the target's content beforehand, or null for none
    const char* theirs;  // content of a file that bears the temporary name, or null
    WriteOutcome outcome;
    std::string after;
  };
  const Case cases[] = {
      {"new, unnamed", unnamed, false, nullptr, nullptr, WriteOutcome::written, content},
      {"new, named", named, false, nullptr, nullptr, WriteOutcome::written, content},
      {"kept, unnamed", unnamed, false, "old", nullptr, WriteOutcome::exists, "old"},
      {"kept, named", named, false, "old", nullptr, WriteOutcome::exists, "old"},
      {"replaced, unnamed", unnamed, true, "old", nullptr, WriteOutcome::written, content},
      {"replaced, named", named, true, "old", nullptr, WriteOutcome::written, content},
      {"theirs passed over", named, false, nullptr, "theirs", WriteOutcome::written, content},
      {"theirs passed over, replacing", unnamed, true, "old", "theirs", WriteOutcome::written,
       content},
  };
  for (const Case& c : cases) {
    SetUp();
    const std::string path = directory + "/k.koeff";
    std::vector<std::string> names = {"k.koeff"};
    if (c.before != nullptr) std::ofstream(path) << c.before;
    if (c.theirs != nullptr) {
      std::ofstream(directory + "/velt-save.tmp") << c.theirs;
      names.push_back("velt-save.tmp");
    }
    const FileWriteReport report = WriteWholeFile(path.c_str(), content, c.replace, c.temporary);
    EXPECT_EQ(report.outcome, c.outcome) << c.what << ": " << report.reason;
    EXPECT_EQ(FileText(path), c.after) << c.what;
    EXPECT_EQ(Names(), names) << c.what;
    if (c.theirs != nullptr) {
      EXPECT_EQ(FileText(directory + "/velt-save.tmp"), c.theirs) << c.what;
    }
    TearDown();
  }
}

// A name as long as names go still has room for the file's temporary one.
TEST_F(FileOutput, ATargetOfTheLongestNameIsWritten) {
  const std::string name(longestName, 'k');
  const std::string path = directory + "/" + name;
  const TemporaryName kinds[] = {unnamed, named};
  for (const TemporaryName kind : kinds) {
    for (const bool replace : {false, true}) {
      unlink(path.c_str());
      const FileWriteReport report = WriteWholeFile(path.c_str(), content, replace, kind);
      EXPECT_EQ(report.outcome, WriteOutcome::written) << report.reason;
      EXPECT_EQ(FileText(path), content);
      EXPECT_EQ(Names(), std::vector<std::string>{name});
    }
  }
}

TEST_F(FileOutput, AFailureSaysWhatAndTheSystemsReason) {
  struct Case {
    std::string path;
    std::string what;
    int error;
  };
  const Case cases[] = {
      {directory + "/" + std::string(longestName + 1, 'k'), "не удалось дать файлу имя",
       ENAMETOOLONG},
      {directory + "/no/such/k.koeff", "не удалось создать файл в папке " + directory + "/no/such",
       ENOENT},
  };
  for (const Case& c : cases) {
    for (const TemporaryName kind : {unnamed, named}) {
      const FileWriteReport report = WriteWholeFile(c.path.c_str(), content, false, kind);
      EXPECT_EQ(report.outcome, WriteOutcome::failed);
      EXPECT_EQ(report.reason.rfind(c.what, 0), 0u) << report.reason;
      EXPECT_NE(report.reason.find(std::strerror(c.error)), std::string::npos) << report.reason;
      EXPECT_TRUE(Names().empty()) << "nothing left behind: " << report.reason;
    }
  }
}

// "Сохранено" must survive a power cut: the data is flushed while the file
// has no name yet (or only its temporary one), the folder once it has.
TEST_F(FileOutput, TheDataReachesTheDiskBeforeTheNameAndTheFolderAfter) {
  if (!UnnamedFilesWork()) GTEST_SKIP() << "no unnamed files on " << directory;
  struct Case {
    TemporaryName temporary;
    bool replace;
  };
  const Case cases[] = {{unnamed, false}, {unnamed, true}, {named, false}, {named, true}};
  for (const Case& c : cases) {
    const std::string path = directory + "/k.koeff";
    std::ofstream(path) << "old";
    spiedTarget = path.c_str();
    spiedContent = content.c_str();
    syncs.clear();
    ASSERT_EQ(WriteWholeFile(path.c_str(), content, true, c.temporary).outcome,
              WriteOutcome::written);
    spiedTarget = nullptr;
    ASSERT_EQ(syncs.size(), 2u);
    EXPECT_FALSE(syncs[0].folder);
    EXPECT_EQ(syncs[0].unnamed, c.temporary == unnamed);
    EXPECT_FALSE(syncs[0].targetWritten);
    EXPECT_TRUE(syncs[1].folder);
    EXPECT_TRUE(syncs[1].targetWritten);
  }
}

// Killed with the data written and no name given yet: the unnamed file goes
// with the process; a named temporary one stays, which is why it is avoided.
TEST_F(FileOutput, AKilledWriteLeavesNothingWhereFilesCanBeUnnamed) {
  if (!UnnamedFilesWork()) GTEST_SKIP() << "no unnamed files on " << directory;
  struct Case {
    TemporaryName temporary;
    std::vector<std::string> left;
  };
  const Case cases[] = {{unnamed, {}}, {named, {"velt-save.tmp"}}};
  for (const Case& c : cases) {
    const std::string path = directory + "/k.koeff";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      spiedTarget = path.c_str();
      spiedContent = content.c_str();
      killAtFileSync = true;
      WriteWholeFile(path.c_str(), content, false, c.temporary);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "killed at the flush";
    EXPECT_EQ(Names(), c.left);
    std::system(("rm -f " + directory + "/*").c_str());
  }
}

}  // namespace
