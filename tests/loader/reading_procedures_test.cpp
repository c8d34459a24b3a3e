// The two jobs that only read: verify against the built-in images, and
// reading the coefficient pages; and the coefficient round trip through a
// saved file.
#include <stdlib.h>
#include <unistd.h>

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
#include "loader/firmware/firmware_images.h"
#include "loader/procedures.h"
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
    line->model.memory[c] = MemoryWithImage(line->model.memory[c], *tables[c], 0x2000, 0x8000, 0x2000);
  }
}

void ExpectNothingChanged(const ModelLine& line) {
  for (SimCommand kind : changingKinds) {
    EXPECT_EQ(line.FramesReceived(kind), 0) << SimCommandName(kind);
  }
}

std::vector<PageDifference> reported;
void Collect(const PageDifference& difference) { reported.push_back(difference); }

class VerifyFirmwareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reported.clear();
    SetDifferenceSink(Collect);
    LoadImages(&line);
    line.AttachLink();
  }
  void TearDown() override { SetDifferenceSink(nullptr); }
  ModelLine line;
};

TEST_F(VerifyFirmwareTest, LoadedDeviceMatchesAndIsOnlyRead) {
  EXPECT_EQ(VerifyFirmware(BuiltInFirmwareTables()), Outcome::started);
  EXPECT_EQ(line.log, (Lines{"@C4Контроллер 1 - проверка", "@C4Контроллер 2 - проверка",
                             "@C4Контроллер 3 - проверка", "@C4Проверка прошла.", "@C4Запуск."}));
  EXPECT_TRUE(reported.empty());
  EXPECT_EQ(line.FramesReceived(SimCommand::read), 149);
  ExpectNothingChanged(line);
  EXPECT_TRUE(line.model.launched);
}

TEST_F(VerifyFirmwareTest, EachDifferingByteIsNamedAndTheOtherControllersAreStillRead) {
  struct Corruption {
    int controller;
    uint32_t address;  // of the byte
    Lines log;
  };
  const Corruption cases[] = {
      {2, 0x2140 + 17, {"@C4Контроллер 1 - проверка", "@C4Контроллер 2 - проверка", "@C1Ошибка!!!.",
                        "@C4Контроллер 3 - проверка", "@C4Запуск."}},
      {1, 0x2000, {"@C4Контроллер 1 - проверка", "@C1Ошибка!!!.", "@C4Контроллер 2 - проверка",
                   "@C4Контроллер 3 - проверка", "@C4Запуск."}},
      {3, 0x2DBF, {"@C4Контроллер 1 - проверка", "@C4Контроллер 2 - проверка",
                   "@C4Контроллер 3 - проверка", "@C1Ошибка!!!.", "@C4Запуск."}},
  };
  for (const Corruption& c : cases) {
    ModelLine device;
    LoadImages(&device);
    device.AttachLink();
    reported.clear();
    const uint8_t expected = device.model.memory[c.controller - 1][c.address];
    device.model.memory[c.controller - 1][c.address] ^= 0x5A;
    EXPECT_EQ(VerifyFirmware(BuiltInFirmwareTables()), Outcome::failed);
    EXPECT_EQ(device.log, c.log) << "controller " << c.controller;
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].controller, c.controller);
    EXPECT_EQ(reported[0].address, c.address & ~63u);
    EXPECT_EQ(reported[0].differingBytes, 1);
    EXPECT_EQ(reported[0].firstOffset, int(c.address % 64));
    EXPECT_EQ(reported[0].expected, expected);
    EXPECT_EQ(reported[0].found, expected ^ 0x5A);
    EXPECT_EQ(device.FramesReceived(SimCommand::read), 149) << "every page is read";
    ExpectNothingChanged(device);
  }
}

TEST_F(VerifyFirmwareTest, ErasedDeviceReportsEveryPresentPage) {
  ModelLine erased;  // memory all FF
  erased.AttachLink();
  EXPECT_EQ(VerifyFirmware(BuiltInFirmwareTables()), Outcome::failed);
  EXPECT_EQ(reported.size(), 149u);
  EXPECT_EQ(reported.front().address, 0x2000u);
  EXPECT_EQ(reported.back().controller, 3);
  EXPECT_EQ(reported.back().address, 0x2D80u);
  ExpectNothingChanged(erased);
}

TEST_F(VerifyFirmwareTest, ReadWithoutAnAnswerEndsItWithoutStarting) {
  SimFaults faults;
  faults.dropAnswer = {{SimCommand::read, 60}};  // a page of controller 2
  SetDeviceFaults(&line.model, faults);
  EXPECT_EQ(VerifyFirmware(BuiltInFirmwareTables()), Outcome::failed);
  EXPECT_EQ(line.log, (Lines{"@C4Контроллер 1 - проверка", "@C4Контроллер 2 - проверка",
                             "@C1Ошибка!!!."}));
  EXPECT_EQ(line.FramesReceived(SimCommand::launch), 0);
  ExpectNothingChanged(line);
}

TEST(ReadCoefficients, ReadsBothPagesOfControllerOneAndChangesNothing) {
  ModelLine line;
  for (int i = 0; i < 128; ++i) line.model.memory[0][0x7000 + i] = uint8_t(i * 7);
  line.model.memory[1][0x7000] = 0x11;  // controller 2's page at the same address
  line.AttachLink();
  uint8_t image[coefficientPagesSize] = {};
  EXPECT_EQ(ReadCoefficients(image), Outcome::started);
  for (int i = 0; i < 128; ++i) ASSERT_EQ(image[i], uint8_t(i * 7)) << i;
  EXPECT_EQ(line.log, (Lines{"@C4Чтение коэффициентов.", "@C4Запуск."}));
  EXPECT_EQ(line.FramesReceived(SimCommand::read), 2);
  ExpectNothingChanged(line);
}

TEST(ReadCoefficients, SilentDeviceIsNoAnswer) {
  SimOptions options;
  options.faults.silent = true;
  ModelLine line(options);
  line.AttachLink();
  uint8_t image[coefficientPagesSize];
  EXPECT_EQ(ReadCoefficients(image), Outcome::noAnswer);
  EXPECT_EQ(line.log, Lines{"@C1Не отвечает."});
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
  char pattern[] = "/tmp/velt-roundtrip-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string path = std::string(pattern) + "/saved.koeff";
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
    line.AttachLink();
    ASSERT_EQ(WriteCoefficients(PageTable{entries, 2}), Outcome::started);

    uint8_t read[coefficientPagesSize];
    ASSERT_EQ(ReadCoefficients(read), Outcome::started);
    const SaveReport saved = SaveCoefficientFile(read, path.c_str(), true);
    ASSERT_EQ(saved.result, SaveResult::saved) << saved.reason;
    // Wipe the pages so that the second write has to bring every byte back.
    for (int i = 0; i < 128; ++i) line.model.memory[0][0x7000 + i] = 0x00;
    ASSERT_EQ(ReadCoefficientFile(path.c_str()), coefficientFileOk);
    ASSERT_EQ(WriteCoefficients(coefficientTable), Outcome::started);

    ASSERT_EQ(std::memcmp(line.model.memory[0].data() + 0x7000, original, 128), 0) << "round " << round;
  }
  unlink(path.c_str());
  rmdir(pattern);
}

}  // namespace
