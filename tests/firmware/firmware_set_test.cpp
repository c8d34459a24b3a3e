// The firmware set reader: which sets it takes and how it cuts them into
// pages, which it refuses and with what words, and the set's digest.
#include "firmware/firmware_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "firmware/default_coefficients.h"
#include "firmware/firmware_images.h"
#include "firmware/load_firmware_set.h"
#include "record/job_identity.h"
#include "tests/firmware/odd_set.h"
#include "tests/support/hex_text.h"
#include "tests/support/temporary_folder.h"

namespace {

uint32_t PageAddress(int entry) { return firmwareBase + uint32_t(entry) * pageSize; }

struct OddSet {
  SetBytes controllers = OddSetBytes();
};

class FirmwareSetReader : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratch.Ok()); }
  std::string WriteSet(const SetBytes& controllers, int perRecord = 16,
                       bool reversed = false, const std::string& folder = "set") {
    std::filesystem::create_directories(scratch / folder);
    for (int k = 0; k < controllerCount; ++k) {
      scratch.Write(folder + "/" + firmwareSetFiles[k],
                    HexText(controllers[k], perRecord, reversed));
    }
    return scratch / folder;
  }
  const TemporaryFolder scratch{"velt-firmware-set"};
  const OddSet odd;
};

TEST_F(FirmwareSetReader, CutsEachFileIntoItsPagesPaddingPartialOnesAndLeavingOthersAbsent) {
  FirmwareSet set;
  FirmwareSetProblem problem;
  ASSERT_EQ(ReadFirmwareSet(WriteSet(odd.controllers), set, problem), FirmwareSetStatus::ok)
      << DescribeFirmwareSetProblem(problem);
  const int topEntry = firmwareTableEntries - 1;
  const int coefficientEntry = int((coefficientPagesStart - firmwareBase) / pageSize);
  struct Expected {
    int controller;
    std::vector<int> present;
  };
  std::vector<int> c1(60), c2(42), c3(9);
  for (int k = 0; k < 60; ++k) c1[k] = k;
  for (int k = 0; k < 42; ++k) c2[k] = k;
  for (int k = 0; k < 9; ++k) c3[k] = k;
  c1.push_back(coefficientEntry);
  c1.push_back(coefficientEntry + 1);
  c3.push_back(topEntry);
  const Expected expected[] = {{1, c1}, {2, c2}, {3, c3}};
  for (const Expected& e : expected) {
    const ControllerPages& pages = set.controllers[e.controller - 1];
    ASSERT_EQ(pages.table.pageCount, firmwareTableEntries);
    std::vector<int> present;
    for (int entry = 0; entry < firmwareTableEntries; ++entry) {
      if (pages.table.pages[entry] != nullptr) present.push_back(entry);
    }
    EXPECT_EQ(present, e.present) << "controller " << e.controller;
    // Every byte of every present firmware page: the file's, else erased.
    for (const int entry : e.present) {
      if (e.controller == 1 && entry >= coefficientEntry) continue;
      for (int i = 0; i < pageSize; ++i) {
        const uint32_t address = PageAddress(entry) + uint32_t(i);
        const auto given = odd.controllers[e.controller - 1].find(address);
        const int want = given == odd.controllers[e.controller - 1].end() ? 0xFF : given->second;
        ASSERT_EQ(pages.table.pages[entry][i], want)
            << "controller " << e.controller << std::hex << " at 0x" << address;
      }
    }
  }
  const DefaultCoefficientImage defaults = DefaultCoefficients();
  EXPECT_TRUE(std::equal(defaults.begin(), defaults.begin() + pageSize,
                         set.controllers[0].table.pages[coefficientEntry]));
  EXPECT_TRUE(std::equal(defaults.begin() + pageSize, defaults.end(),
                         set.controllers[0].table.pages[coefficientEntry + 1]));
  EXPECT_EQ(set.release, "");
}

// The built-in images come from the same reader: reading the placeholder
// folder at run time gives the same pages and the digest --version prints.
TEST_F(FirmwareSetReader, ThePlaceholderFolderIsTheBuiltInImages) {
  FirmwareSet set;
  FirmwareSetProblem problem;
  ASSERT_EQ(LoadFirmwareSet(FIRMWARE_DIR, set, problem), FirmwareSetStatus::ok)
      << DescribeFirmwareSetProblem(problem);
  const FirmwareTables builtIn = BuiltInFirmwareTables();
  for (int k = 0; k < controllerCount; ++k) {
    for (int entry = 0; entry < firmwareTableEntries; ++entry) {
      const uint8_t* mine = set.controllers[k].table.pages[entry];
      const uint8_t* theirs = builtIn[k]->pages[entry];
      ASSERT_EQ(mine == nullptr, theirs == nullptr) << "controller " << k + 1 << " entry " << entry;
      if (mine != nullptr) {
        ASSERT_TRUE(std::equal(mine, mine + pageSize, theirs)) << entry;
      }
    }
  }
  EXPECT_EQ(set.sha256, FirmwareSha256(builtIn));
  EXPECT_EQ(set.sha256.size(), 64u);
}

// The digest is of the pages, not of the text: record length and order do
// not count, one byte does.
TEST_F(FirmwareSetReader, DigestFollowsThePagesNotTheText) {
  FirmwareSet a, b, c;
  FirmwareSetProblem problem;
  ASSERT_EQ(LoadFirmwareSet(WriteSet(odd.controllers, 16, false, "a"), a, problem),
            FirmwareSetStatus::ok);
  ASSERT_EQ(LoadFirmwareSet(WriteSet(odd.controllers, 32, true, "b"), b, problem),
            FirmwareSetStatus::ok);
  OddSet changed;
  changed.controllers[2][applicationEnd - 1] ^= 1;
  ASSERT_EQ(LoadFirmwareSet(WriteSet(changed.controllers, 16, false, "c"), c, problem),
            FirmwareSetStatus::ok);
  EXPECT_EQ(a.sha256, b.sha256);
  EXPECT_NE(a.sha256, c.sha256);
  EXPECT_EQ(a.sha256, FirmwareSha256(SetTables(a)));
}

// The set travels by copy; a copy that pointed into the original's pages
// would read freed memory once the original went.
TEST_F(FirmwareSetReader, ACopyOwnsItsPages) {
  auto original = std::make_unique<FirmwareSet>();
  FirmwareSetProblem problem;
  ASSERT_EQ(ReadFirmwareSet(WriteSet(odd.controllers), *original, problem), FirmwareSetStatus::ok);
  FirmwareSet copy = *original;
  FirmwareSet assigned;
  assigned = *original;
  const std::vector<uint8_t> firstPage(original->controllers[1].table.pages[0],
                                       original->controllers[1].table.pages[0] + pageSize);
  original.reset();
  for (const FirmwareSet* set : {&copy, &assigned}) {
    const ControllerPages& pages = set->controllers[1];
    ASSERT_NE(pages.table.pages[0], nullptr);
    EXPECT_EQ(pages.table.pages, pages.entries.data());
    EXPECT_EQ(pages.table.pages[0], pages.storage.data());
    EXPECT_TRUE(std::equal(firstPage.begin(), firstPage.end(), pages.table.pages[0]));
    EXPECT_EQ(pages.table.pages[1], pages.storage.data() + pageSize);
  }
}

TEST_F(FirmwareSetReader, TheReleaseLineIsTheFirstLineOfReleaseTxt) {
  struct Case {
    const char* text;
    const char* release;
  };
  const Case cases[] = {
      {"Выпуск 3.1 от 2026-12-01\nзаметки\n", "Выпуск 3.1 от 2026-12-01"},
      {"\xEF\xBB\xBFрелиз 7\r\n", "релиз 7"},  // a byte order mark and a CR line end
      {"", ""},
  };
  const std::string folder = WriteSet(odd.controllers);
  for (const Case& c : cases) {
    scratch.Write("set/release.txt", c.text);
    FirmwareSet set;
    FirmwareSetProblem problem;
    ASSERT_EQ(ReadFirmwareSet(folder, set, problem), FirmwareSetStatus::ok)
        << c.text << ": " << DescribeFirmwareSetProblem(problem);
    EXPECT_EQ(set.release, c.release);
  }
  std::string longest;
  for (int k = 0; k < releaseLineLimit; ++k) longest += "ж";  // 64 characters, 128 bytes
  scratch.Write("set/release.txt", longest);
  FirmwareSet set;
  FirmwareSetProblem problem;
  EXPECT_EQ(ReadFirmwareSet(folder, set, problem), FirmwareSetStatus::ok)
      << "the limit counts characters, not bytes";
  EXPECT_EQ(set.release, longest);
}

// A line for each refusal; `spoil` turns a good set into the bad one.
struct Rejected {
  const char* name;
  std::function<void(const TemporaryFolder&)> spoil;
  FirmwareSetStatus status;
  const char* message;  // after the scratch folder's path
};

std::function<void(const TemporaryFolder&)> Put(const std::string& name, const std::string& text) {
  return [=](const TemporaryFolder& scratch) { scratch.Write("set/" + name, text); };
}

std::string Data(uint32_t address, std::vector<uint8_t> bytes) {
  return HexRecord(0x00, address, bytes);
}
const std::string end = HexRecord(0x01, 0, {});

const Rejected rejectedSets[] = {
    {"RecordWithoutColon", Put("controller1.hex", Data(0x2000, {1}) + "022000000405D5\n" + end),
     FirmwareSetStatus::badHex, "/set/controller1.hex, строка 2: запись не начинается с «:»"},
    {"NotHexadecimal", Put("controller2.hex", ":02200000040GD5\n" + end),
     FirmwareSetStatus::badHex, "/set/controller2.hex, строка 1: в записи не шестнадцатеричные цифры"},
    {"LengthAgainstCount", Put("controller3.hex", ":032000000405AA\n" + end),
     FirmwareSetStatus::badHex,
     "/set/controller3.hex, строка 1: длина записи не совпадает с её счётчиком байтов"},
    {"BadChecksum", Put("controller2.hex", Data(0x2000, {1, 2}) + ":022000000405D4\n" + end),
     FirmwareSetStatus::badHex, "/set/controller2.hex, строка 2: неверная контрольная сумма"},
    {"UnknownRecordType", Put("controller1.hex", HexRecord(0x06, 0, {1}) + end),
     FirmwareSetStatus::badHex, "/set/controller1.hex, строка 1: неизвестный тип записи 06"},
    {"AddressRecordOfThreeBytes", Put("controller1.hex", HexRecord(0x04, 0, {0, 0, 0}) + end),
     FirmwareSetStatus::badHex, "/set/controller1.hex, строка 1: в записи адреса должно быть два байта"},
    {"Controller1IntoItsCoefficients", Put("controller1.hex", Data(0x6FFE, {1, 2, 3}) + end),
     FirmwareSetStatus::badHex,
     "/set/controller1.hex, строка 1: байт 0x7000 вне области контроллера 0x2000-0x6FFF"},
    {"BelowTheApplicationArea", Put("controller2.hex", Data(0x2000, {1}) + Data(0x1FFF, {1}) + end),
     FirmwareSetStatus::badHex,
     "/set/controller2.hex, строка 2: байт 0x1FFF вне области контроллера 0x2000-0x7FFF"},
    {"PastTheApplicationArea", Put("controller3.hex", Data(0x7FFF, {1, 2}) + end),
     FirmwareSetStatus::badHex,
     "/set/controller3.hex, строка 1: байт 0x8000 вне области контроллера 0x2000-0x7FFF"},
    {"AnotherSixtyFourKilobytes",
     Put("controller3.hex", HexRecord(0x04, 0, {0, 1}) + Data(0x2000, {1}) + end),
     FirmwareSetStatus::badHex,
     "/set/controller3.hex, строка 2: байт 0x12000 вне области контроллера 0x2000-0x7FFF"},
    {"AByteGivenTwiceDifferently", Put("controller2.hex", Data(0x2000, {1, 2}) + Data(0x2001, {3}) + end),
     FirmwareSetStatus::badHex,
     "/set/controller2.hex, строка 2: байт 0x2001 задан дважды с разными значениями"},
    {"RecordAfterTheEnd", Put("controller1.hex", Data(0x2000, {1}) + end + Data(0x2001, {1})),
     FirmwareSetStatus::badHex, "/set/controller1.hex, строка 3: запись после записи конца файла"},
    {"NoEndRecord", Put("controller3.hex", Data(0x2000, {1}) + Data(0x2001, {1})),
     FirmwareSetStatus::badHex, "/set/controller3.hex, строка 2: нет записи конца файла (:00000001FF)"},
    {"NoDataAtAll", Put("controller2.hex", HexRecord(0x04, 0, {0, 0}) + end),
     FirmwareSetStatus::noData, "/set/controller2.hex: в файле нет данных"},
    {"EmptyFile", Put("controller1.hex", ""), FirmwareSetStatus::noData,
     "/set/controller1.hex: в файле нет данных"},
    {"MissingFile",
     [](const TemporaryFolder& scratch) { std::filesystem::remove(scratch / "set/controller2.hex"); },
     FirmwareSetStatus::missingFile, "/set/controller2.hex: файла нет"},
    {"AFolderOfOtherFiles",
     [](const TemporaryFolder& scratch) {
       for (const char* name : firmwareSetFiles) std::filesystem::remove(scratch / ("set/" + std::string(name)));
       scratch.Write("set/firmware.hex", end);
     },
     FirmwareSetStatus::notASet,
     "/set: это не набор прошивок: нет controller1.hex, controller2.hex и controller3.hex"},
    {"AFileInsteadOfAFolder",
     [](const TemporaryFolder& scratch) {
       std::filesystem::remove_all(scratch / "set");
       scratch.Write("set", end);
     },
     FirmwareSetStatus::notAFolder, "/set: это не папка"},
    {"NoSuchFolder",
     [](const TemporaryFolder& scratch) { std::filesystem::remove_all(scratch / "set"); },
     FirmwareSetStatus::notAFolder, "/set: папки нет"},
    {"AFolderNamedLikeAFile",
     [](const TemporaryFolder& scratch) {
       std::filesystem::remove(scratch / "set/controller3.hex");
       std::filesystem::create_directory(scratch / "set/controller3.hex");
     },
     FirmwareSetStatus::unreadableFile, "/set/controller3.hex: файл не открывается"},
    {"AHugeFile", Put("controller2.hex", std::string(firmwareFileLimit + 1, '\n')),
     FirmwareSetStatus::fileTooLarge, "/set/controller2.hex: файл больше 1 МБ: это не прошивка контроллера"},
    {"ReleaseLineTooLong", Put("release.txt", std::string(releaseLineLimit + 1, 'v') + "\n"),
     FirmwareSetStatus::badRelease, "/set/release.txt, строка 1: строка длиннее 64 символов"},
    {"ReleaseLineWithATab", Put("release.txt", "3.1\tбета\n"), FirmwareSetStatus::badRelease,
     "/set/release.txt, строка 1: в строке управляющий символ"},
    {"ReleaseLineWithAnEscape", Put("release.txt", "3.1 \x1B[31m\n"), FirmwareSetStatus::badRelease,
     "/set/release.txt, строка 1: в строке управляющий символ"},
    {"ReleaseLineInWindows1251", Put("release.txt", "\xC2\xFB\xEF\xF3\xF1\xEA 3\n"),
     FirmwareSetStatus::badRelease, "/set/release.txt, строка 1: текст не в UTF-8"},
    {"ReleaseLineWithAnOverlongSlash", Put("release.txt", "a\xC0\xAF\n"),
     FirmwareSetStatus::badRelease, "/set/release.txt, строка 1: текст не в UTF-8"},
};

class RejectedSet : public ::testing::TestWithParam<Rejected> {};

TEST_P(RejectedSet, IsRefusedNamingFileLineAndReason) {
  const TemporaryFolder scratch{"velt-rejected-set"};
  ASSERT_TRUE(scratch.Ok());
  const OddSet odd;
  std::filesystem::create_directory(scratch / "set");
  for (int k = 0; k < controllerCount; ++k) {
    scratch.Write(std::string("set/") + firmwareSetFiles[k], HexText(odd.controllers[k]));
  }
  GetParam().spoil(scratch);
  FirmwareSet set;
  FirmwareSetProblem problem;
  EXPECT_EQ(LoadFirmwareSet(scratch / "set", set, problem), GetParam().status);
  EXPECT_EQ(DescribeFirmwareSetProblem(problem), scratch.Path() + GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(FirmwareSetReader, RejectedSet, ::testing::ValuesIn(rejectedSets),
                         [](const ::testing::TestParamInfo<Rejected>& info) {
                           return std::string(info.param.name);
                         });

// What a reader must let through: the same byte twice, entry points, the
// segment address record.
TEST_F(FirmwareSetReader, AcceptsRecordsThatAddNothingWrong) {
  const std::string folder = WriteSet(odd.controllers);
  const std::string c1 = Data(0x2000, {0xAA, 0xBB}) + Data(0x2001, {0xBB}) +
                         HexRecord(0x03, 0, {0, 0, 0, 0}) + HexRecord(0x05, 0, {0, 0, 0x20, 0}) +
                         HexRecord(0x02, 0, {0x01, 0x00}) + Data(0x1040, {0xCC}) + end;
  scratch.Write("set/controller1.hex", c1);
  FirmwareSet set;
  FirmwareSetProblem problem;
  ASSERT_EQ(ReadFirmwareSet(folder, set, problem), FirmwareSetStatus::ok)
      << DescribeFirmwareSetProblem(problem);
  const uint8_t* first = set.controllers[0].table.pages[0];
  EXPECT_EQ(first[0], 0xAA);
  EXPECT_EQ(first[1], 0xBB);
  EXPECT_EQ(first[2], 0xFF);
  ASSERT_NE(set.controllers[0].table.pages[1], nullptr) << "0x1000 + 0x1040 is 0x2040";
  EXPECT_EQ(set.controllers[0].table.pages[1][0], 0xCC);
}

}  // namespace
