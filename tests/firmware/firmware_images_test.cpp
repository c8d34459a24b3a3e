#include "firmware/firmware_images.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "link/boot_link.h"
#include "firmware/intel_hex.h"

namespace {

struct Layout {
  const PageTable* table;
  int firstEmpty;    // firmware entries are 0 .. firstEmpty - 1
  int trailingFF;    // erased bytes that end the last firmware page
};

const Layout layouts[] = {
    {&controller1Image, 53, 22},
    {&controller2Image, 41, 28},
    {&controller3Image, 55, 0},
};

constexpr int coefficientEntry = 320;  // 0x7000 in a table based at 0x2000

bool IsCoefficientEntry(int controller, int entry) {
  return controller == 0 && (entry == coefficientEntry || entry == coefficientEntry + 1);
}

TEST(FirmwareImages, PresentEntriesMatchTheControllersLayout) {
  std::set<const uint8_t*> pages;
  int total = 0;
  for (int c = 0; c < 3; ++c) {
    const PageTable& table = *layouts[c].table;
    ASSERT_EQ(table.pageCount, firmwareTableEntries);
    for (int entry = 0; entry < firmwareTableEntries; ++entry) {
      const bool expected = entry < layouts[c].firstEmpty || IsCoefficientEntry(c, entry);
      EXPECT_EQ(table.pages[entry] != nullptr, expected) << "controller " << c + 1 << " entry " << entry;
      if (table.pages[entry] != nullptr) {
        pages.insert(table.pages[entry]);
        ++total;
      }
    }
  }
  EXPECT_EQ(total, 151);
  EXPECT_EQ(pages.size(), 151u) << "no two entries share a page";
}

TEST(FirmwareImages, LastPagesArePaddedWithErasedBytes) {
  for (int c = 0; c < 3; ++c) {
    const uint8_t* last = layouts[c].table->pages[layouts[c].firstEmpty - 1];
    const int used = pageSize - layouts[c].trailingFF;
    for (int i = used; i < pageSize; ++i) EXPECT_EQ(last[i], 0xFF) << "controller " << c + 1;
    EXPECT_NE(last[used - 1], 0xFF) << "controller " << c + 1 << ": padding is exactly as long as stated";
  }
}

TEST(FirmwareImages, PagesHoldRunsOfErasedBytesAndBytesThatNeedEscaping) {
  for (int c = 0; c < 3; ++c) {
    const uint8_t* first = layouts[c].table->pages[0];
    int longestRun = 0;
    for (int i = 0, run = 0; i < pageSize; ++i) {
      run = first[i] == 0xFF ? run + 1 : 0;
      longestRun = std::max(longestRun, run);
    }
    EXPECT_GE(longestRun, 8) << "controller " << c + 1;
    std::set<uint8_t> seen(first, first + pageSize);
    for (const uint8_t special : {0x04, 0x05, 0x0F}) EXPECT_TRUE(seen.count(special)) << c + 1;
  }
}

TEST(FirmwareImages, DefaultCoefficientsAreOneAtSevenElevenTwentyAndTwentyEight) {
  uint8_t image[128];
  std::copy(controller1Image.pages[coefficientEntry], controller1Image.pages[coefficientEntry] + 64, image);
  std::copy(controller1Image.pages[coefficientEntry + 1], controller1Image.pages[coefficientEntry + 1] + 64,
            image + 64);
  for (int n = 1; n <= 28; ++n) {
    const bool one = n == 7 || n == 11 || n == 20 || n == 28;
    const uint8_t expected[4] = {static_cast<uint8_t>(one ? 0x7F : 0x00), 0, 0, 0};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(image[4 * (n - 1) + i], expected[i]) << "value " << n;
  }
  for (int i = 112; i < 128; ++i) EXPECT_EQ(image[i], 0xFF) << i;
}

TEST(FirmwareImages, BuiltInTablesAreTheThreeControllersInOrder) {
  const FirmwareTables tables = BuiltInFirmwareTables();
  EXPECT_EQ(tables[0], &controller1Image);
  EXPECT_EQ(tables[1], &controller2Image);
  EXPECT_EQ(tables[2], &controller3Image);
}

// A page in no job's range never reaches the device; one in two is a load overwriting coefficients.
TEST(FirmwareImages, EachPresentPageLiesInTheRangeOfExactlyOneJob) {
  const FirmwareTables tables = BuiltInFirmwareTables();
  for (int k = 0; k < controllerCount; ++k) {
    const auto count = [&](uint32_t start, uint32_t end) {
      return CountPresentPages(*tables[k], start, end, firmwareBase);
    };
    const bool keepsCoefficients = &controllerLayouts[k] == &coefficientController;
    const int reset = keepsCoefficients ? count(coefficientPagesStart, coefficientPagesEnd) : 0;
    EXPECT_EQ(count(firmwareBase, controllerLayouts[k].firmwareEnd) + reset,
              count(firmwareBase, applicationEnd)) << "controller " << k + 1;
  }
  EXPECT_EQ(CountFirmwarePages(tables), 149) << "the firmware load's progress total";
}

// The whole address space: these cases are about the records, not a range.
constexpr HexRange anyAddress{0, 0xFFFFFFFF};

TEST(IntelHex, ReadsDataAcrossAddressRecords) {
  HexImage image;
  HexProblem problem;
  ASSERT_EQ(ParseIntelHex(":020000040001F9\r\n:022000000405D5\n\n:00000001FF\n", anyAddress, image,
                          problem),
            HexStatus::ok);
  EXPECT_EQ(image.bytes.size(), 2u);
  EXPECT_EQ(image.bytes.at(0x12000), 0x04);
  EXPECT_EQ(image.bytes.at(0x12001), 0x05);
}

TEST(IntelHex, RejectsMalformedFilesNamingTheLine) {
  struct Case {
    const char* text;
    HexStatus status;
    int line;
    const char* reason;
  };
  const Case cases[] = {
      {":022000000405D4\n:00000001FF\n", HexStatus::badChecksum, 1, "неверная контрольная сумма"},
      {"0220000004058D\n:00000001FF\n", HexStatus::noColon, 1, "запись не начинается с «:»"},
      {":02200000040GD5\n:00000001FF\n", HexStatus::notHexadecimal, 1,
       "в записи не шестнадцатеричные цифры"},
      {":032000000405AA\n:00000001FF\n", HexStatus::badLength, 1,
       "длина записи не совпадает с её счётчиком байтов"},
      {":022000000405D5\n:0120000011CE\n:00000001FF\n", HexStatus::conflictingByte, 2,
       "байт 0x2000 задан дважды с разными значениями"},
      {":022000000405D5\n", HexStatus::noEnd, 1, "нет записи конца файла (:00000001FF)"},
      {":00000001FF\n:022000000405D5\n", HexStatus::afterEnd, 2, "запись после записи конца файла"},
      {":022000070405CE\n:00000001FF\n", HexStatus::unknownRecordType, 1,
       "неизвестный тип записи 07"},
  };
  for (const Case& c : cases) {
    HexImage image;
    HexProblem problem;
    EXPECT_EQ(ParseIntelHex(c.text, anyAddress, image, problem), c.status) << c.text;
    EXPECT_EQ(problem.line, c.line) << c.text;
    EXPECT_EQ(HexProblemReason(problem, anyAddress), c.reason) << c.text;
  }
}

}  // namespace
