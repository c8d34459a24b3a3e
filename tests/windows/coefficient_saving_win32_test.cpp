// Saving coefficients on Windows: CR LF line ends, a UTF-8 name with
// Cyrillic letters, no replacing without being asked, nothing left behind,
// a folder refused, a failure given with the system's reason.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "coeff/coefficient_file.h"
#include "coeff/coefficient_saving.h"
#include "coeff/device_float.h"
#include "tests/windows/win32_files.h"
#include "tests/support/coefficient_reads.h"

namespace {

TEST(CoefficientSavingOnWindows, CrLfCyrillicNameNoReplaceAndReadBack) {
  const std::string directory = TempFolder("velt-save");
  ASSERT_FALSE(directory.empty());
  const std::string path = directory + "\\коэффициенты.koeff";

  uint8_t image[128];
  std::memset(image, 0xFF, sizeof image);
  for (int n = 0; n < 28; ++n) {
    const DeviceFloat value = ToDeviceFloat(n == 0 ? 0.1f : n == 1 ? -0.0f : 1e-45f * n);
    std::memcpy(image + 4 * n, value.bytes, 4);
  }
  const SaveReport saved = SaveCoefficientFile(image, path.c_str(), false);
  ASSERT_EQ(saved.result, SaveResult::saved) << saved.reason;
  EXPECT_EQ(TextOf(path).substr(0, 15), "0.1\r\n-0.0\r\n3e-4");
  ASSERT_EQ(ReadIntoTestImage(path.c_str()), coefficientFileOk);
  EXPECT_EQ(std::memcmp(testImage, image, sizeof image), 0);

  EXPECT_EQ(SaveCoefficientFile(image, path.c_str(), false).result, SaveResult::exists);
  EXPECT_EQ(SaveCoefficientFile(image, path.c_str(), true).result, SaveResult::saved);
  EXPECT_EQ(GetFileAttributesW(Wide(directory + "\\velt-save.tmp").c_str()),
            INVALID_FILE_ATTRIBUTES);

  // A folder is refused as one, replacing or not; a missing one is named
  // with the system's reason.
  const std::string folder = directory + "\\папка.koeff";
  ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
  for (const bool replace : {false, true}) {
    EXPECT_EQ(SaveCoefficientFile(image, folder.c_str(), replace).reason, folder + ": это папка");
  }
  const std::string step = "не удалось создать файл в папке " + directory + "\\нет\\: ";
  const std::string missing = directory + "\\нет\\k.koeff";
  const std::string reason = SaveCoefficientFile(image, missing.c_str(), false).reason;
  EXPECT_TRUE(reason.rfind(step, 0) == 0 && reason.size() > step.size()) << reason;
  EXPECT_TRUE(RemoveDirectoryW(Wide(folder).c_str()));
  EXPECT_TRUE(DeleteFileW(Wide(path).c_str()));
  EXPECT_TRUE(RemoveDirectoryA(directory.c_str()));
}

}  // namespace
