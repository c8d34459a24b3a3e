// A read-out kept as a firmware set: the HEX text it writes and the set it
// makes of a device's memory.
#include "firmware/firmware_set_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "runner/load_firmware_set.h"
#include "tests/firmware/odd_set.h"
#include "tests/support/temporary_folder.h"

namespace {

struct HexCase {
  const char* name;
  HexBytes bytes;
  int addressRecords;  // type 04 records expected
};

HexBytes Run(uint32_t start, uint32_t count) { return PatternBytes(1, start, count); }

HexBytes Joined(HexBytes a, const HexBytes& b) {
  a.insert(b.begin(), b.end());
  return a;
}

class HexWriting : public ::testing::TestWithParam<HexCase> {};

// What the writer wrote, the reader reads back byte for byte, in records of
// at most 16 bytes that never cross a 16-byte group.
TEST_P(HexWriting, ReadsBackAsWritten) {
  const HexCase& c = GetParam();
  HexImage image;
  image.bytes = c.bytes;
  const std::string text = IntelHexText(image, "\r\n");

  HexImage back;
  HexProblem problem;
  ASSERT_EQ(ParseIntelHex(text, {0, 0x100000}, back, problem), HexStatus::ok) << problem.line;
  EXPECT_EQ(back.bytes, c.bytes);
  std::istringstream lines(text);
  std::string line;
  int addressRecords = 0;
  while (std::getline(lines, line)) {
    ASSERT_EQ(line.back(), '\r');
    const int count = std::stoi(line.substr(1, 2), nullptr, 16);
    const uint32_t offset = std::stoul(line.substr(3, 4), nullptr, 16);
    const int type = std::stoi(line.substr(7, 2), nullptr, 16);
    if (type == 4) ++addressRecords;
    if (type != 0) continue;
    EXPECT_LE(count, hexRecordData) << line;
    EXPECT_EQ(offset / hexRecordData, (offset + count - 1) / hexRecordData) << line;
  }
  EXPECT_EQ(addressRecords, c.addressRecords);
}

INSTANTIATE_TEST_SUITE_P(
    Images, HexWriting,
    ::testing::Values(HexCase{"nothing", {}, 0},
                      HexCase{"one_unaligned_run", Run(0x2005, 75), 0},
                      HexCase{"two_runs_with_a_gap", Joined(Run(0x2000, 64), Run(0x7FC0, 64)), 0},
                      HexCase{"across_64k", Run(0xFFF8, 24), 1},
                      HexCase{"above_64k_only", Run(0x20010, 8), 1}),
    [](const ::testing::TestParamInfo<HexCase>& info) { return info.param.name; });

class ReadOut : public ::testing::Test {
 protected:
  // The three areas of a device loaded with the odd set over erased flash.
  FirmwareMemory LoadedMemory() const {
    FirmwareMemory memory;
    for (int k = 0; k < controllerCount; ++k) {
      const std::vector<uint8_t> whole = MemoryHolding(odd[k], erasedByte);
      memory[k].assign(whole.begin() + firmwareBase,
                       whole.begin() + controllerLayouts[k].firmwareEnd);
    }
    return memory;
  }
  std::string WriteOddSet(const std::string& name) const {
    std::filesystem::create_directories(scratch / name);
    for (int k = 0; k < controllerCount; ++k) {
      scratch.Write(name + "/" + firmwareSetFiles[k], HexText(odd[k]));
    }
    return scratch / name;
  }
  const TemporaryFolder scratch{"velt-read-out"};
  const SetBytes odd = OddSetBytes();
};

TEST_F(ReadOut, OfALoadedDeviceIsTheSetAndLoadsBackAsIt) {
  FirmwareSet given;
  FirmwareSetProblem problem;
  ASSERT_EQ(LoadFirmwareSet(WriteOddSet("given"), given, problem), FirmwareSetStatus::ok);

  const FirmwareSet read = ReadOutSet(LoadedMemory());
  EXPECT_EQ(read.sha256, given.sha256);

  const std::string out = scratch / "out";
  const SetWriteReport report = WriteFirmwareSet(out, read, "Прочитано\n", false);
  ASSERT_TRUE(report.written) << report.reason;
  FirmwareSet back;
  ASSERT_EQ(LoadFirmwareSet(out, back, problem), FirmwareSetStatus::ok)
      << DescribeFirmwareSetProblem(problem);
  EXPECT_EQ(back.sha256, given.sha256);
  EXPECT_EQ(back.release, "Прочитано");
}

TEST_F(ReadOut, LeavesErasedPagesOutAndNeverWritesCoefficients) {
  FirmwareMemory memory = LoadedMemory();
  const FirmwareSet read = SetFromMemory(memory);
  for (int k = 0; k < controllerCount; ++k) {
    HexImage image;
    HexProblem problem;
    ASSERT_EQ(ParseIntelHex(ControllerHexText(read, k), {0, applicationEnd}, image, problem),
              HexStatus::ok);
    const std::vector<uint8_t> whole = MemoryHolding(odd[k], erasedByte);
    std::set<uint32_t> touched;  // the pages the set gives bytes in
    for (const auto& entry : odd[k]) touched.insert(entry.first / pageSize);
    EXPECT_EQ(image.bytes.size(), touched.size() * pageSize) << "controller " << k + 1;
    for (const auto& [address, value] : image.bytes) {
      ASSERT_LT(address, controllerLayouts[k].firmwareEnd) << "controller " << k + 1;
      ASSERT_EQ(value, whole[address]) << std::hex << address;
    }
  }
  // Controller 3's pages between its low nine and its top one read as erased.
  EXPECT_EQ(PresentPage(read.controllers[2].table, 0x4000, firmwareBase), nullptr);
}

}  // namespace
