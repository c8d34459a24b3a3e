// Saving read coefficients: the file appears whole or not at all, an
// existing one is kept unless replacing was asked for, a NaN is refused.
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
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
    std::memset(image, 0xFF, sizeof image);
    for (int n = 1; n <= 28; ++n) Set(n, n * 0.1f);
  }
  void TearDown() override { std::system(("rm -rf " + directory).c_str()); }

  void Set(int n, float value) {
    const DeviceFloat bytes = ToDeviceFloat(value);
    std::memcpy(image + 4 * (n - 1), bytes.bytes, 4);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    }
    closedir(dir);
    return names;
  }

  std::string directory;
  uint8_t image[128];
};

TEST_F(CoefficientSaving, SavedFileReadsBackToTheSameImageAndLeavesNoTemporary) {
  const std::string path = directory + "/k.koeff";
  const SaveReport report = SaveCoefficientFile(image, path.c_str(), false);
  ASSERT_EQ(report.result, SaveResult::saved) << report.reason;
  EXPECT_FALSE(report.fillerNotErased);
  EXPECT_EQ(Names(), std::vector<std::string>{"k.koeff"});
  const std::string text = FileText(path);
  EXPECT_EQ(text.substr(0, 12), "0.1\n0.2\n0.3\n");
  EXPECT_EQ(text.find('\r'), std::string::npos);
  ASSERT_EQ(ReadCoefficientFile(path.c_str()), coefficientFileOk);
  EXPECT_EQ(std::memcmp(coefficientImage, image, sizeof image), 0);
}

TEST_F(CoefficientSaving, ExistingFileIsKeptUnlessReplacingIsAsked) {
  const std::string path = directory + "/k.koeff";
  std::ofstream(path) << "old";
  const SaveReport kept = SaveCoefficientFile(image, path.c_str(), false);
  EXPECT_EQ(kept.result, SaveResult::exists);
  EXPECT_NE(kept.reason.find("уже есть"), std::string::npos) << kept.reason;
  EXPECT_EQ(FileText(path), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"k.koeff"});

  EXPECT_EQ(SaveCoefficientFile(image, path.c_str(), true).result, SaveResult::saved);
  EXPECT_EQ(FileText(path).substr(0, 4), "0.1\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"k.koeff"});
}

TEST_F(CoefficientSaving, RefusalsWriteNothingAndSayWhy) {
  struct Case {
    std::vector<int> erased;  // coefficients set to FF FF FF FF, a NaN
    bool otherNan;            // coefficient 5 a NaN that is not FF FF FF FF
    const char* reasonHas;
    const char* reasonLacks;  // or null
  };
  std::vector<int> all;
  for (int n = 1; n <= 28; ++n) all.push_back(n);
  const Case cases[] = {
      {{}, true, "коэффициент 5 не число", "стёрт"},
      {{2, 17}, false, "коэффициенты 2, 17 не число", "страницы"},
      {{2, 17}, false, "похоже на стёртую память", nullptr},
      {{4}, true, "коэффициенты 4, 5 не число", "стёрт"},
      {all, false, "страницы 0x7000 и 0x7040, похоже, стёрты", nullptr},
  };
  const uint8_t good[128] = {};
  for (const Case& c : cases) {
    std::memcpy(image, good, sizeof image);
    for (int n : c.erased) std::memset(image + 4 * (n - 1), 0xFF, 4);
    if (c.otherNan) Set(5, std::numeric_limits<float>::quiet_NaN());
    const std::string path = directory + "/k.koeff";
    const SaveReport report = SaveCoefficientFile(image, path.c_str(), true);
    EXPECT_EQ(report.result, SaveResult::notANumber) << c.reasonHas;
    EXPECT_NE(report.reason.find(c.reasonHas), std::string::npos) << report.reason;
    if (c.reasonLacks != nullptr) {
      EXPECT_EQ(report.reason.find(c.reasonLacks), std::string::npos) << report.reason;
    }
    EXPECT_TRUE(Names().empty()) << c.reasonHas;
  }
}

TEST_F(CoefficientSaving, UnwritablePlaceLeavesNothingBehind) {
  const std::string missing = directory + "/no/such/dir/k.koeff";
  EXPECT_EQ(SaveCoefficientFile(image, missing.c_str(), false).result, SaveResult::unwritable);
  // The name is a directory: the temporary is written, the rename fails.
  const std::string folder = directory + "/k.koeff";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const SaveReport report = SaveCoefficientFile(image, folder.c_str(), true);
  EXPECT_EQ(report.result, SaveResult::unwritable);
  EXPECT_EQ(Names(), std::vector<std::string>{"k.koeff"});
}

TEST_F(CoefficientSaving, FillerThatIsNotErasedIsFlaggedButTheFileIsSaved) {
  image[120] = 0x00;
  const std::string path = directory + "/k.koeff";
  const SaveReport report = SaveCoefficientFile(image, path.c_str(), false);
  EXPECT_EQ(report.result, SaveResult::saved);
  EXPECT_TRUE(report.fillerNotErased);
}

}  // namespace
