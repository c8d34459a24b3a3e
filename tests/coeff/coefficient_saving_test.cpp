// Saving read coefficients: the file appears whole or not at all, on the
// disk before it has its name, an existing one is kept unless replacing was
// asked for, a folder and a NaN are refused.
#include <dirent.h>
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "coeff/coefficient_file.h"
#include "coeff/coefficient_saving.h"
#include "coeff/device_float.h"
#include "coeff/file_output.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/file_text.h"
#include "tests/support/coefficient_reads.h"

namespace {

// Each flush the code under test asks for: of a folder or a file, whether
// that file had a name yet, and whether the target held the new text.
struct Sync {
  bool folder, unnamed, targetWritten;
};
const char* spiedTarget = nullptr;
std::vector<Sync> syncs;
bool killAtFileSync = false;
const std::string text = "0.1\n";

}  // namespace

// Stands in for the C library's in this program, to see the order of flushes
// and names, and to kill the process between them.
extern "C" int fsync(int fd) {
  static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
  struct stat info;
  if (spiedTarget != nullptr && fstat(fd, &info) == 0) {
    if (!S_ISDIR(info.st_mode) && killAtFileSync) raise(SIGKILL);
    syncs.push_back({S_ISDIR(info.st_mode), info.st_nlink == 0, FileText(spiedTarget) == text});
  }
  return real(fd);
}

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr TemporaryName unnamed = TemporaryName::noneWherePossible;
constexpr TemporaryName named = TemporaryName::alwaysOne;  // as where files cannot be unnamed

class CoefficientSaving : public ::testing::Test {
 protected:
  // Also between two cases of a test: a fresh folder, the old one removed.
  void SetUp() override {
    folder = TemporaryFolder("velt-save");
    ASSERT_TRUE(folder.Ok());
    directory = folder.Path();
    path = folder / "k.koeff";
    std::memset(image, 0xFF, sizeof image);
    for (int n = 1; n <= 28; ++n) Set(n, n * 0.1f);
  }

  void Set(int n, float value) { std::memcpy(image + 4 * (n - 1), ToDeviceFloat(value).bytes, 4); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    }
    closedir(dir);
    return names;
  }

  TemporaryFolder folder;
  std::string directory, path;
  uint8_t image[128];
};

// The text is flushed while the file has no name (or only its temporary
// one), the folder once it has. Killed between the two, an unnamed file goes
// with the process; a named one would stay, which is why it is the fallback.
TEST_F(CoefficientSaving, TheTextReachesTheDiskBeforeTheNameAndAKillLeavesNothing) {
  const struct {
    TemporaryName temporary;
    bool replace;
    std::vector<std::string> leftByKill;
  } cases[] = {{unnamed, false, {}}, {unnamed, true, {}}, {named, false, {"velt-save.tmp"}},
               {named, true, {"velt-save.tmp"}}};
  for (const auto& c : cases) {
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      std::filesystem::remove(entry.path());
    }
    const pid_t child = fork();
    if (child == 0) {
      spiedTarget = path.c_str();
      killAtFileSync = true;
      WriteWholeFile(path.c_str(), text, c.replace, c.temporary);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(Names(), c.leftByKill);

    if (c.replace) std::ofstream(path) << "old";
    syncs.clear();
    spiedTarget = path.c_str();
    EXPECT_EQ(WriteWholeFile(path.c_str(), text, c.replace, c.temporary).outcome,
              WriteOutcome::written);
    spiedTarget = nullptr;
    ASSERT_EQ(syncs.size(), 2u);
    EXPECT_TRUE(!syncs[0].folder && !syncs[0].targetWritten && syncs[1].folder);
    EXPECT_TRUE(syncs[1].targetWritten);
    EXPECT_EQ(syncs[0].unnamed, c.temporary == unnamed) << "/tmp has unnamed files here";
  }
}

// Beside a target whose name is as long as names go; one byte longer, the
// failure names the step and the system's reason, and leaves nothing.
TEST_F(CoefficientSaving, LongNamesFitAndFailuresSayWhy) {
  const std::string longest = directory + "/" + std::string(255, 'k');
  for (const TemporaryName temporary : {unnamed, named}) {
    EXPECT_EQ(WriteWholeFile(longest.c_str(), text, true, temporary).outcome,
              WriteOutcome::written);
    EXPECT_EQ(WriteWholeFile((longest + "k").c_str(), text, false, temporary).reason,
              "не удалось дать файлу имя " + longest + "k: " + std::strerror(ENAMETOOLONG));
    EXPECT_EQ(Names().size(), 1u);
  }
  EXPECT_EQ(WriteWholeFile((directory + "/no/k").c_str(), text, false).reason,
            "не удалось создать файл в папке " + directory + "/no: " + std::strerror(ENOENT));
}

TEST_F(CoefficientSaving, FileReadsBackToTheImageAndReplacesOnlyWhenAsked) {
  image[120] = 0x00;  // filler the file cannot carry: flagged, saved anyway
  SaveReport report = SaveCoefficientFile(image, path.c_str(), false);
  ASSERT_EQ(report.result, SaveResult::saved) << report.reason;
  EXPECT_TRUE(report.fillerNotErased);
  EXPECT_EQ(FileText(path).substr(0, 12), "0.1\n0.2\n0.3\n");
  ASSERT_EQ(ReadIntoTestImage(path.c_str()), coefficientFileOk);
  image[120] = 0xFF;
  EXPECT_EQ(std::memcmp(testImage, image, sizeof image), 0);

  std::ofstream(path) << "old";
  report = SaveCoefficientFile(image, path.c_str(), false);
  EXPECT_EQ(report.result, SaveResult::exists);
  EXPECT_EQ(FileText(path), "old");
  EXPECT_EQ(SaveCoefficientFile(image, path.c_str(), true).result, SaveResult::saved);
  EXPECT_EQ(FileText(path).substr(0, 4), "0.1\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"k.koeff"}) << "no temporary left";

  // A file that happens to bear the temporary name is somebody's: kept,
  // whether the save is written unnamed or under such a name, replacing or not.
  folder.Write("velt-save.tmp", "theirs");
  EXPECT_EQ(SaveCoefficientFile(image, path.c_str(), true).result, SaveResult::saved);
  EXPECT_EQ(WriteWholeFile(path.c_str(), "new", false, named).outcome, WriteOutcome::exists);
  EXPECT_EQ(FileText(path).substr(0, 4), "0.1\n");
  EXPECT_EQ(WriteWholeFile(path.c_str(), "new", true, named).outcome, WriteOutcome::written);
  EXPECT_EQ(FileText(path), "new");
  EXPECT_EQ(FileText(directory + "/velt-save.tmp"), "theirs");
  EXPECT_EQ(Names().size(), 2u) << "no temporary left beside it";
}

TEST_F(CoefficientSaving, RefusalsLeaveNothingBehindAndSayWhy) {
  struct Case {
    std::vector<int> erased;  // coefficients set to FF FF FF FF, a NaN
    bool otherNan;            // coefficient 5 a NaN that is not FF FF FF FF
    const char* reasonHas;
    const char* reasonLacks;
  };
  std::vector<int> all;
  for (int n = 1; n <= 28; ++n) all.push_back(n);
  const Case cases[] = {
      {{}, true, "коэффициент 5 не число", "стёрт"},
      {{4}, true, "коэффициенты 4, 5 не число", "стёрт"},
      {{2, 17}, false, "коэффициенты 2, 17 не число (NaN), такое значение в файл не записать; "
                       "байты FF FF FF FF: похоже на стёртую память", "страницы"},
      {all, false, "страницы 0x7000 и 0x7040, похоже, стёрты", "память"},
  };
  for (const Case& c : cases) {
    SetUp();
    for (int n : c.erased) std::memset(image + 4 * (n - 1), 0xFF, 4);
    if (c.otherNan) Set(5, std::numeric_limits<float>::quiet_NaN());
    const SaveReport report = SaveCoefficientFile(image, path.c_str(), true);
    EXPECT_EQ(report.result, SaveResult::notANumber);
    EXPECT_THAT(report.reason, HasSubstr(c.reasonHas));
    EXPECT_THAT(report.reason, Not(HasSubstr(c.reasonLacks)));
    EXPECT_TRUE(Names().empty());
  }
  SetUp();
  // A folder in the way is refused as one, replacing or not.
  ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
  for (const bool replace : {false, true}) {
    const SaveReport report = SaveCoefficientFile(image, path.c_str(), replace);
    EXPECT_EQ(report.result, SaveResult::folder);
    EXPECT_EQ(report.reason, path + ": это папка");
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"k.koeff"});
  const std::string nowhere = directory + "/no/such/k.koeff";
  EXPECT_EQ(SaveCoefficientFile(image, nowhere.c_str(), false).result, SaveResult::unwritable);
}

}  // namespace
