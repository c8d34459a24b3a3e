// The firmware set reader: how it cuts a set into pages, which sets it
// refuses and with what words, and the set's digest.
#include "firmware/firmware_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "firmware/default_coefficients.h"
#include "firmware/firmware_images.h"
#include "runner/load_firmware_set.h"
#include "runner/job_identity.h"
#include "tests/firmware/odd_set.h"
#include "tests/support/image_bytes.h"
#include "tests/support/temporary_folder.h"

namespace {

constexpr uint8_t absent = 0x00;  // not the padding's 0xFF

class FirmwareSetReader : public ::testing::Test {
 protected:
  std::string WriteSet(const std::string& folder, int perRecord = 16, bool reversed = false) {
    std::filesystem::create_directories(scratch / folder);
    for (int k = 0; k < controllerCount; ++k) {
      scratch.Write(folder + "/" + firmwareSetFiles[k], HexText(odd[k], perRecord, reversed));
    }
    return scratch / folder;
  }
  FirmwareSetStatus Read(const std::string& folder) {
    return LoadFirmwareSet(folder, set, problem);
  }
  const TemporaryFolder scratch{"velt-firmware-set"};
  SetBytes odd = OddSetBytes();
  FirmwareSet set;
  FirmwareSetProblem problem;
};

TEST_F(FirmwareSetReader, CutsEachFileIntoItsPagesPaddingPartialOnesAndLeavingOthersAbsent) {
  ASSERT_EQ(Read(WriteSet("set")), FirmwareSetStatus::ok) << DescribeFirmwareSetProblem(problem);
  for (int k = 0; k < controllerCount; ++k) {
    const PageTable& table = set.controllers[k].table;
    EXPECT_EQ(MemoryWithImage(std::vector<uint8_t>(applicationEnd, absent), table, firmwareBase,
                              controllerLayouts[k].firmwareEnd, firmwareBase),
              MemoryHolding(odd[k], absent))
        << "controller " << k + 1;
  }
  EXPECT_EQ(CountFirmwarePages(SetTables(set)), 60 + 42 + 10);
  const DefaultCoefficientImage defaults = DefaultCoefficients();
  EXPECT_EQ(ImageBytes(set.controllers[0].table, coefficientPagesStart, coefficientPagesEnd,
                       firmwareBase),
            std::vector<uint8_t>(defaults.begin(), defaults.end()));
}

// The placeholders read at run time are the built-in images, digest and all.
TEST_F(FirmwareSetReader, ThePlaceholderFolderIsTheBuiltInImages) {
  ASSERT_EQ(Read(FIRMWARE_DIR), FirmwareSetStatus::ok) << DescribeFirmwareSetProblem(problem);
  const FirmwareTables builtIn = BuiltInFirmwareTables();
  for (int k = 0; k < controllerCount; ++k) {
    EXPECT_EQ(ImageBytes(set.controllers[k].table, firmwareBase, applicationEnd, firmwareBase),
              ImageBytes(*builtIn[k], firmwareBase, applicationEnd, firmwareBase));
    EXPECT_EQ(CountPresentPages(set.controllers[k].table, firmwareBase, applicationEnd, firmwareBase),
              CountPresentPages(*builtIn[k], firmwareBase, applicationEnd, firmwareBase));
  }
  EXPECT_EQ(set.sha256, FirmwareSha256(builtIn));
}

// Of the pages, not of the text: record length and order do not count.
TEST_F(FirmwareSetReader, DigestFollowsThePagesNotTheText) {
  ASSERT_EQ(Read(WriteSet("a")), FirmwareSetStatus::ok);
  const std::string first = set.sha256;
  ASSERT_EQ(Read(WriteSet("b", 32, true)), FirmwareSetStatus::ok);
  EXPECT_EQ(set.sha256, first);
  odd[2][applicationEnd - 1] ^= 1;
  ASSERT_EQ(Read(WriteSet("c")), FirmwareSetStatus::ok);
  EXPECT_NE(set.sha256, first);
}

// The set travels by copy; a copy pointing into the original's pages would
// read freed memory once the original went.
TEST_F(FirmwareSetReader, ACopyOwnsItsPages) {
  auto original = std::make_unique<FirmwareSet>();
  ASSERT_EQ(ReadFirmwareSet(WriteSet("set"), *original, problem), FirmwareSetStatus::ok);
  const std::vector<uint8_t> before = ImageBytes(original->controllers[1].table, firmwareBase,
                                                 applicationEnd, firmwareBase);
  FirmwareSet copy = *original;
  set = *original;
  original.reset();
  for (const FirmwareSet* held : {&copy, &set}) {
    const ControllerPages& pages = held->controllers[1];
    EXPECT_EQ(pages.table.pages[1], pages.storage.data() + pageSize);
    EXPECT_EQ(ImageBytes(pages.table, firmwareBase, applicationEnd, firmwareBase), before);
  }
}

using Spoil = std::function<void(const TemporaryFolder&)>;

Spoil Put(const std::string& name, const std::string& text) {
  return [=](const TemporaryFolder& scratch) { scratch.Write("set/" + name, text); };
}
Spoil Remove(const std::string& name) {
  return [=](const TemporaryFolder& scratch) { std::filesystem::remove_all(scratch / name); };
}
std::string Data(uint32_t address, std::vector<uint8_t> bytes) {
  return HexRecord(0x00, address, bytes);
}
const std::string end = HexRecord(0x01, 0, {});

// What the reader must let through, and what it then holds.
struct Accepted {
  const char* name;
  Spoil change;
  std::function<bool(const FirmwareSet&)> holds;
};

const uint8_t* FirstPage(const FirmwareSet& set) { return set.controllers[0].table.pages[0]; }

const Accepted acceptedSets[] = {
    {"ReleaseLineWithItsNotes", Put("release.txt", "Выпуск 3.1\nзаметки\n"),
     [](const FirmwareSet& s) { return s.release == "Выпуск 3.1"; }},
    {"ReleaseLineWithBomAndCr", Put("release.txt", "\xEF\xBB\xBFрелиз 7\r\n"),
     [](const FirmwareSet& s) { return s.release == "релиз 7"; }},
    {"SixtyFourCharactersInTwiceAsManyBytes", Put("release.txt", [] {
       std::string line;
       for (int k = 0; k < releaseLineLimit; ++k) line += "ж";
       return line;
     }()),
     [](const FirmwareSet& s) { return s.release.size() == 2u * releaseLineLimit; }},
    {"TheSameByteTwiceAndEntryPoints",
     Put("controller1.hex", Data(0x2000, {0xAA, 0xBB}) + Data(0x2001, {0xBB}) +
                                HexRecord(0x03, 0, {0, 0, 0, 0}) + HexRecord(0x05, 0, {0, 0, 0x20, 0}) + end),
     [](const FirmwareSet& s) { return FirstPage(s)[0] == 0xAA && FirstPage(s)[2] == 0xFF; }},
    {"SegmentAddress", Put("controller1.hex", HexRecord(0x02, 0, {0x01, 0x00}) + Data(0x1040, {0xCC}) + end),
     [](const FirmwareSet& s) { return s.controllers[0].table.pages[1][0] == 0xCC; }},
};

// A line for each refusal; `spoil` turns the odd set into the bad one.
struct Rejected {
  const char* name;
  Spoil spoil;
  FirmwareSetStatus status;
  const char* message;  // after the scratch folder's path
};

const Rejected rejectedSets[] = {
    {"RecordWithoutColon", Put("controller1.hex", Data(0x2000, {1}) + "022000000405D5\n" + end),
     FirmwareSetStatus::badHex, "/set/controller1.hex, строка 2: запись не начинается с «:»"},
    {"NotHexadecimal", Put("controller2.hex", ":02200000040GD5\n" + end), FirmwareSetStatus::badHex,
     "/set/controller2.hex, строка 1: в записи не шестнадцатеричные цифры"},
    {"LengthAgainstCount", Put("controller3.hex", ":032000000405AA\n" + end), FirmwareSetStatus::badHex,
     "/set/controller3.hex, строка 1: длина записи не совпадает с её счётчиком байтов"},
    {"BadChecksum", Put("controller2.hex", Data(0x2000, {1, 2}) + ":022000000405D4\n" + end),
     FirmwareSetStatus::badHex, "/set/controller2.hex, строка 2: неверная контрольная сумма"},
    {"UnknownRecordType", Put("controller1.hex", HexRecord(0x06, 0, {1}) + end), FirmwareSetStatus::badHex,
     "/set/controller1.hex, строка 1: неизвестный тип записи 06"},
    {"AddressRecordOfThreeBytes", Put("controller1.hex", HexRecord(0x04, 0, {0, 0, 0}) + end),
     FirmwareSetStatus::badHex, "/set/controller1.hex, строка 1: в записи адреса должно быть два байта"},
    {"Controller1IntoItsCoefficients", Put("controller1.hex", Data(0x6FFE, {1, 2, 3}) + end),
     FirmwareSetStatus::badHex,
     "/set/controller1.hex, строка 1: байт 0x7000 вне области контроллера 0x2000-0x6FFF"},
    {"BelowTheApplicationArea", Put("controller2.hex", Data(0x2000, {1}) + Data(0x1FFF, {1}) + end),
     FirmwareSetStatus::badHex,
     "/set/controller2.hex, строка 2: байт 0x1FFF вне области контроллера 0x2000-0x7FFF"},
    {"PastTheApplicationArea", Put("controller3.hex", Data(0x7FFF, {1, 2}) + end), FirmwareSetStatus::badHex,
     "/set/controller3.hex, строка 1: байт 0x8000 вне области контроллера 0x2000-0x7FFF"},
    {"AnotherSixtyFourKilobytes", Put("controller3.hex", HexRecord(0x04, 0, {0, 1}) + Data(0x2000, {1}) + end),
     FirmwareSetStatus::badHex,
     "/set/controller3.hex, строка 2: байт 0x12000 вне области контроллера 0x2000-0x7FFF"},
    {"AByteGivenTwiceDifferently", Put("controller2.hex", Data(0x2000, {1, 2}) + Data(0x2001, {3}) + end),
     FirmwareSetStatus::badHex, "/set/controller2.hex, строка 2: байт 0x2001 задан дважды с разными значениями"},
    {"RecordAfterTheEnd", Put("controller1.hex", Data(0x2000, {1}) + end + Data(0x2001, {1})),
     FirmwareSetStatus::badHex, "/set/controller1.hex, строка 3: запись после записи конца файла"},
    {"NoEndRecord", Put("controller3.hex", Data(0x2000, {1}) + Data(0x2001, {1})), FirmwareSetStatus::badHex,
     "/set/controller3.hex, строка 2: нет записи конца файла (:00000001FF)"},
    {"NoDataAtAll", Put("controller2.hex", HexRecord(0x04, 0, {0, 0}) + end), FirmwareSetStatus::noData,
     "/set/controller2.hex: в файле нет данных"},
    {"EmptyFile", Put("controller1.hex", ""), FirmwareSetStatus::noData,
     "/set/controller1.hex: в файле нет данных"},
    {"MissingFile", Remove("set/controller2.hex"), FirmwareSetStatus::missingFile,
     "/set/controller2.hex: файла нет"},
    {"AFolderOfOtherFiles",
     [](const TemporaryFolder& scratch) {
       for (const char* name : firmwareSetFiles) Remove("set/" + std::string(name))(scratch);
       scratch.Write("set/firmware.hex", end);
     },
     FirmwareSetStatus::notASet,
     "/set: это не набор прошивок: нет controller1.hex, controller2.hex и controller3.hex"},
    {"AFileInsteadOfAFolder",
     [](const TemporaryFolder& scratch) {
       Remove("set")(scratch);
       scratch.Write("set", end);
     },
     FirmwareSetStatus::notAFolder, "/set: это не папка"},
    {"NoSuchFolder", Remove("set"), FirmwareSetStatus::notAFolder, "/set: папки нет"},
    {"AFolderNamedLikeAFile",
     [](const TemporaryFolder& scratch) {
       Remove("set/controller3.hex")(scratch);
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
    {"ReleaseLineWithAnOverlongSlash", Put("release.txt", "a\xC0\xAF\n"), FirmwareSetStatus::badRelease,
     "/set/release.txt, строка 1: текст не в UTF-8"},
};

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

class AcceptedSet : public FirmwareSetReader, public ::testing::WithParamInterface<Accepted> {};
class RejectedSet : public FirmwareSetReader, public ::testing::WithParamInterface<Rejected> {};

TEST_P(AcceptedSet, IsReadAsMeant) {
  const std::string folder = WriteSet("set");
  GetParam().change(scratch);
  ASSERT_EQ(Read(folder), FirmwareSetStatus::ok) << DescribeFirmwareSetProblem(problem);
  EXPECT_TRUE(GetParam().holds(set));
}

TEST_P(RejectedSet, IsRefusedNamingFileLineAndReason) {
  const std::string folder = WriteSet("set") + "/";  // as a shell completes it
  GetParam().spoil(scratch);
  EXPECT_EQ(Read(folder), GetParam().status);
  EXPECT_EQ(DescribeFirmwareSetProblem(problem), scratch.Path() + GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(FirmwareSetReader, AcceptedSet, ::testing::ValuesIn(acceptedSets),
                         RowName<Accepted>);
INSTANTIATE_TEST_SUITE_P(FirmwareSetReader, RejectedSet, ::testing::ValuesIn(rejectedSets),
                         RowName<Rejected>);

}  // namespace
