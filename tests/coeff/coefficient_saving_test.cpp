// Saving read coefficients: the file appears whole or not at all, an
// existing one is kept unless replacing was asked for, a NaN is refused.
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "coeff/coefficient_file.h"
#include "coeff/coefficient_saving.h"
#include "coeff/device_float.h"
#include "tests/support/file_text.h"

namespace {

class CoefficientSaving : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velt-save-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
    path = directory + "/k.koeff";
    std::memset(image, 0xFF, sizeof image);
    for (int n = 1; n <= 28; ++n) Set(n, n * 0.1f);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
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

  std::string directory, path;
  uint8_t image[128];
};

TEST_F(CoefficientSaving, FileReadsBackToTheImageAndReplacesOnlyWhenAsked) {
  image[120] = 0x00;  // filler the file cannot carry: flagged, saved anyway
  SaveReport report = SaveCoefficientFile(image, path.c_str(), false);
  ASSERT_EQ(report.result, SaveResult::saved) << report.reason;
  EXPECT_TRUE(report.fillerNotErased);
  EXPECT_EQ(FileText(path).substr(0, 12), "0.1\n0.2\n0.3\n");
  ASSERT_EQ(ReadCoefficientFile(path.c_str()), coefficientFileOk);
  image[120] = 0xFF;
  EXPECT_EQ(std::memcmp(coefficientImage, image, sizeof image), 0);

  std::ofstream(path) << "old";
  report = SaveCoefficientFile(image, path.c_str(), false);
  EXPECT_EQ(report.result, SaveResult::exists);
  EXPECT_EQ(FileText(path), "old");
  EXPECT_EQ(SaveCoefficientFile(image, path.c_str(), true).result, SaveResult::saved);
  EXPECT_EQ(FileText(path).substr(0, 4), "0.1\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"k.koeff"}) << "no temporary left";

  // A file that happens to bear the temporary name is somebody's: kept.
  std::ofstream(path + ".tmp") << "theirs";
  EXPECT_EQ(SaveCoefficientFile(image, path.c_str(), true).result, SaveResult::saved);
  EXPECT_EQ(FileText(path + ".tmp"), "theirs");
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
    EXPECT_NE(report.reason.find(c.reasonHas), std::string::npos) << report.reason;
    EXPECT_EQ(report.reason.find(c.reasonLacks), std::string::npos) << report.reason;
    EXPECT_TRUE(Names().empty());
    TearDown();
  }
  SetUp();
  // A directory in the way: the temporary is written, the rename fails.
  ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
  EXPECT_EQ(SaveCoefficientFile(image, path.c_str(), true).result, SaveResult::unwritable);
  EXPECT_EQ(Names(), std::vector<std::string>{"k.koeff"});
  const std::string nowhere = directory + "/no/such/k.koeff";
  EXPECT_EQ(SaveCoefficientFile(image, nowhere.c_str(), false).result, SaveResult::unwritable);
}

}  // namespace
