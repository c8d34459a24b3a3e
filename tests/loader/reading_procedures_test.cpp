// The two jobs that only read, in-process against the device model: verify's
// report of differing pages, and the coefficient round trip through a saved
// file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "coeff/coefficient_file.h"
#include "coeff/coefficient_saving.h"
#include "coeff/device_float.h"
#include "firmware/firmware_images.h"
#include "loader/procedures.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/image_bytes.h"
#include "tests/support/model_line.h"

namespace {

using Lines = std::vector<std::string>;

const SimCommand changingKinds[] = {SimCommand::erase, SimCommand::write, SimCommand::control,
                                    SimCommand::null};

// A device whose three controllers hold the built-in firmware.
void LoadImages(ModelLine* line) {
  const FirmwareTables tables = BuiltInFirmwareTables();
  for (int c = 0; c < 3; ++c) {
    line->model.memory[c] =
        MemoryWithImage(line->model.memory[c], *tables[c], 0x2000, 0x8000, 0x2000);
  }
}

std::vector<int> ChangingFrames(const ModelLine& line) {
  std::vector<int> counts;
  for (SimCommand kind : changingKinds) counts.push_back(line.FramesReceived(kind));
  return counts;
}

void ExpectNothingChanged(const ModelLine& line) {
  EXPECT_EQ(ChangingFrames(line), std::vector<int>(4, 0)) << "erase, write, control, null";
}

TEST(VerifyFirmware, EachDifferingByteIsNamedAndTheOtherControllersAreStillRead) {
  struct Corruption {
    int controller;
    uint32_t address;  // of the byte
    Lines log;
  };
  const Corruption cases[] = {
      {2, 0x2140 + 17, {"@C4Контроллер 1 - проверка", "@C4Контроллер 2 - проверка", "@C1Ошибка!!!.",
                        "@C4Контроллер 3 - проверка"}},
      {1, 0x2000, {"@C4Контроллер 1 - проверка", "@C1Ошибка!!!.", "@C4Контроллер 2 - проверка",
                   "@C4Контроллер 3 - проверка"}},
      {3, 0x2DBF, {"@C4Контроллер 1 - проверка", "@C4Контроллер 2 - проверка",
                   "@C4Контроллер 3 - проверка", "@C1Ошибка!!!."}},
  };
  for (const Corruption& c : cases) {
    ModelLine device;
    LoadImages(&device);
    std::vector<PageDifference> reported;
    device.run.reports.difference = [&](const PageDifference& d) { reported.push_back(d); };
    const uint8_t expected = device.model.memory[c.controller - 1][c.address];
    device.model.memory[c.controller - 1][c.address] ^= 0x5A;
    EXPECT_EQ(VerifyFirmware(device.run, BuiltInFirmwareTables()), Outcome::failed);
    EXPECT_EQ(device.log, c.log) << "controller " << c.controller;
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].controller, c.controller);
    EXPECT_EQ(reported[0].address, c.address & ~63u);
    EXPECT_EQ(reported[0].differingBytes, 1);
    EXPECT_EQ(reported[0].firstOffset, int(c.address % 64));
    EXPECT_EQ(reported[0].expected, expected);
    EXPECT_EQ(reported[0].found, expected ^ 0x5A);
    EXPECT_EQ(device.FramesReceived(SimCommand::read), 149) << "every page is read";
    EXPECT_EQ(device.FramesReceived(SimCommand::launch), 0) << "left in its bootloaders";
    EXPECT_FALSE(device.model.launched);
    ExpectNothingChanged(device);
  }
}

// A float of every kind the coefficients can hold, NaN aside.
float RandomCoefficient(std::mt19937& random) {
  const float inf = std::numeric_limits<float>::infinity();
  const float specials[] = {0.0f, -0.0f, inf, -inf, std::numeric_limits<float>::denorm_min(),
                            -std::numeric_limits<float>::max(), 0.1f, 1.0f};
  switch (random() % 4) {
    case 0:
      return specials[random() % 8];
    case 1: {  // subnormal
      const uint32_t bits = (random() & 0x807FFFFFu) | 1u;
      float value;
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
    default: {
      float value;
      do {
        const uint32_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
      } while (std::isnan(value));
      return value;
    }
  }
}

TEST(CoefficientRoundTrip, WriteSaveWriteGivesTheSameBytesForAThousandImages) {
  const TemporaryFolder folder{"velt-roundtrip"};
  ASSERT_TRUE(folder.Ok());
  const std::string path = folder / "saved.koeff";
  std::mt19937 random(13);
  constexpr int images = 1000;
  for (int round = 0; round < images; ++round) {
    uint8_t original[128];
    std::memset(original, 0xFF, sizeof original);
    for (int n = 0; n < 28; ++n) {
      const DeviceFloat bytes = ToDeviceFloat(RandomCoefficient(random));
      std::memcpy(original + 4 * n, bytes.bytes, 4);
    }
    const uint8_t* entries[2] = {original, original + 64};
    ModelLine line;
    ASSERT_EQ(WriteCoefficients(line.run, PageTable{entries, 2}), Outcome::started);

    uint8_t read[coefficientPagesSize];
    const std::vector<int> before = ChangingFrames(line);
    ASSERT_EQ(ReadCoefficients(line.run, read), Outcome::started);
    ASSERT_EQ(ChangingFrames(line), before) << "reading changes nothing";
    const SaveReport saved = SaveCoefficientFile(read, path.c_str(), true);
    ASSERT_EQ(saved.result, SaveResult::saved) << saved.reason;
    // Wipe the pages so that the second write has to bring every byte back.
    for (int i = 0; i < 128; ++i) line.model.memory[0][0x7000 + i] = 0x00;
    CoefficientImage fromFile{};
    ASSERT_EQ(ReadCoefficientFile(path.c_str(), &fromFile), coefficientFileOk);
    const CoefficientPages pages(fromFile.data());
    ASSERT_EQ(WriteCoefficients(line.run, pages.table), Outcome::started);

    ASSERT_EQ(std::memcmp(line.model.memory[0].data() + 0x7000, original, 128), 0)
        << "round " << round;
  }
}

}  // namespace
