#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "coeff/coefficient_file.h"
#include "coeff/device_float.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/coefficient_reads.h"

namespace {

constexpr int fillerOffset = 112;

class CoefficientFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder.Ok()); }
  std::string Write(const std::string& name, const std::string& content) {
    return folder.Write(name, content);
  }

  // Loads a known image first, so that a failing read can be seen to keep it.
  void LoadKnownImage() {
    ASSERT_EQ(ReadIntoTestImage(Write("known.koeff", Lines(28, "2.5", "\n")).c_str()), 0);
    known.assign(testImage, testImage + coefficientImageSize);
  }
  bool ImageIsKnown() const {
    return std::memcmp(testImage, known.data(), coefficientImageSize) == 0;
  }

  static std::string Lines(int count, const std::string& line, const std::string& end) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line + end;
    return text;
  }
  static std::string Numbered(int count, const std::string& end) {
    std::string text;
    for (int n = 1; n <= count; ++n) text += std::to_string(n) + end;
    return text;
  }
  static void ExpectValue(int n, float value) {
    const DeviceFloat expected = ToDeviceFloat(value);
    EXPECT_EQ(std::memcmp(testImage + 4 * (n - 1), expected.bytes, 4), 0)
        << "coefficient " << n << " is not " << value;
  }
  static void ExpectBytes(int n, const std::vector<uint8_t>& bytes) {
    const std::vector<uint8_t> actual(testImage + 4 * (n - 1), testImage + 4 * n);
    EXPECT_EQ(actual, bytes) << "coefficient " << n;
  }

  TemporaryFolder folder{"velt-coeff"};
  const std::string directory = folder.Path();
  std::vector<uint8_t> known;
};

// The reader keeps nothing of its own: each read fills the image it is
// given and no other, so that a station's devices can each have their own.
TEST_F(CoefficientFile, EachReadFillsOnlyTheImageItIsGiven) {
  CoefficientImage first{};
  CoefficientImage second{};
  second.fill(0xA5);
  const CoefficientImage untouched = second;
  ASSERT_EQ(ReadCoefficientFile(Write("ones.koeff", Lines(28, "1", "\n")).c_str(), &first), 0);
  EXPECT_EQ(second, untouched);
  ASSERT_EQ(ReadCoefficientFile(Write("twos.koeff", Lines(28, "2", "\n")).c_str(), &second), 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(first[0], 0x7F) << "1.0 is still the first image's";
  EXPECT_EQ(ReadCoefficientFile(Write("short.koeff", Numbered(27, "\n")).c_str(), &first), -5);
  EXPECT_EQ(first[0], 0x7F) << "a refused read leaves its image as it was";
}

TEST_F(CoefficientFile, AcceptsBothLineEndsAndAMissingLastOne) {
  const std::string texts[] = {
      Numbered(28, "\n"),
      Numbered(28, "\r\n"),
      Numbered(27, "\n") + "28",
      Numbered(27, "\r\n") + "28\r",
  };
  for (const std::string& text : texts) {
    std::memset(testImage, 0, coefficientImageSize);
    int badLine = -1;
    ASSERT_EQ(ReadIntoTestImage(Write("c.koeff", text).c_str(), &badLine), 0);
    EXPECT_EQ(badLine, 0);
    for (int n = 1; n <= 28; ++n) ExpectValue(n, static_cast<float>(n));
    for (int i = fillerOffset; i < coefficientImageSize; ++i) EXPECT_EQ(testImage[i], 0xFF);
  }
}

TEST_F(CoefficientFile, TwentyEightOnesGiveTheDocumentedImage) {
  ASSERT_EQ(ReadIntoTestImage(Write("ones.koeff", Lines(28, "1.0", "\n")).c_str()), 0);
  std::vector<uint8_t> expected;
  for (int n = 0; n < 28; ++n) expected.insert(expected.end(), {0x7F, 0x00, 0x00, 0x00});
  expected.insert(expected.end(), 16, 0xFF);
  EXPECT_EQ(std::vector<uint8_t>(testImage, testImage + 128), expected);
}

TEST_F(CoefficientFile, ValuesAreReadAsDecimalNumbers) {
  struct Case {
    std::string line;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"   1.5e2 kV", {0x86, 0x16, 0x00, 0x00}},
      {"-0.0", {0x00, 0x80, 0x00, 0x00}},
      {"-2.5", {0x80, 0xA0, 0x00, 0x00}},
      {"1e39", {0xFF, 0x00, 0x00, 0x00}},  // past the range: infinity, as the format carries it
      {"\t0x1p-1", {0x00, 0x00, 0x00, 0x00}},  // 0, then other text
      {"1 ,x 2", {0x7F, 0x00, 0x00, 0x00}},
      {std::string("3\0junk", 6), {0x80, 0x40, 0x00, 0x00}},
      {std::string(1024, '0') + "7", {0x81, 0x60, 0x00, 0x00}},
      {std::string(1100, '0') + "1.5", {0x7F, 0x40, 0x00, 0x00}},
      {"1." + std::string(1100, '0') + "e5", {0x8F, 0x43, 0x50, 0x00}},
  };
  for (const Case& c : cases) {
    // Put the case on line 17, the first of the second page.
    const std::string text = Lines(16, "0", "\n") + c.line + "\n" + Lines(11, "0", "\n");
    ASSERT_EQ(ReadIntoTestImage(Write("v.koeff", text).c_str()), 0) << c.line.substr(0, 40);
    ExpectBytes(17, c.bytes);
  }
}

// A number longer than the reader's chunks is still read whole, and a long
// line costs no more than a short one.
TEST_F(CoefficientFile, NumbersLongerThanAReadChunkAreReadWhole) {
  const std::string zeros(10000, '0');
  const std::string text = "0." + zeros + "125e10001\n" + zeros + "3" + zeros + "e-10000\n" +
                           "0." + zeros + "1\n" + Lines(25, "1", "\n");
  ASSERT_EQ(ReadIntoTestImage(Write("wide.koeff", text).c_str()), 0);
  ExpectValue(1, 1.25f);
  ExpectValue(2, 3.0f);
  ExpectValue(3, 0.0f);
}

TEST_F(CoefficientFile, ANulInsideALineEndsItsText) {
  const std::string text = std::string("3\0" "7", 3) + "\n" + std::string("\0" "5", 2) + "\n" +
                           Lines(26, "1", "\n");
  int badLine = 0;
  EXPECT_EQ(ReadIntoTestImage(Write("nul.koeff", text).c_str(), &badLine), -3);
  EXPECT_EQ(badLine, 2);
}

TEST_F(CoefficientFile, ALineWithoutANumberIsRejectedAndTheImageKept) {
  const char* const lines[] = {"",    "   ",       "\r",  "abc",   "- 1",   ".",    "x1",
                               "inf", "-Infinity", "NaN", "-nan", "0,125", "1,5\r", " 2,0 V"};
  LoadKnownImage();
  for (const char* line : lines) {
    const std::string text = Numbered(11, "\n") + line + "\n" + Numbered(16, "\n");
    int badLine = 0;
    EXPECT_EQ(ReadIntoTestImage(Write("bad.koeff", text).c_str(), &badLine), -3) << line;
    EXPECT_EQ(badLine, 12) << line;
    EXPECT_TRUE(ImageIsKnown()) << line;
  }
}

TEST_F(CoefficientFile, WrongLineCountsAreRejectedAndTheImageKept) {
  struct Case {
    std::string text;
    int result;
    int badLine;
  };
  const Case cases[] = {
      {"", -5, 1},
      {Numbered(27, "\n"), -5, 28},
      {Numbered(27, "\r\n"), -5, 28},
      {Numbered(28, "\n") + "\n", -4, 0},  // one more line end: an empty 29th line
      {Numbered(28, "\r\n") + "\r\n", -4, 0},
      {Numbered(29, "\n"), -4, 0},
      {Numbered(28, "\n") + "junk", -4, 0},  // the 29th line's content does not matter
  };
  LoadKnownImage();
  for (const Case& c : cases) {
    int badLine = -1;
    EXPECT_EQ(ReadIntoTestImage(Write("n.koeff", c.text).c_str(), &badLine), c.result);
    EXPECT_EQ(badLine, c.badLine);
    EXPECT_TRUE(ImageIsKnown()) << "result " << c.result;
  }
}

TEST_F(CoefficientFile, WhatCannotBeOpenedIsMinusOne) {
  LoadKnownImage();
  EXPECT_EQ(ReadIntoTestImage((directory + "/missing.koeff").c_str()), -1);
  EXPECT_EQ(ReadIntoTestImage(""), -1);  // the chooser's value after Cancel
  EXPECT_EQ(ReadIntoTestImage(nullptr), -1);
  EXPECT_EQ(ReadIntoTestImage(directory.c_str()), -1);
  EXPECT_TRUE(ImageIsKnown());
}

TEST_F(CoefficientFile, AFileThatFailsWhileBeingReadIsMinusOne) {
  // Reading a process's own memory at address 0 fails with an I/O error.
  if (access("/proc/self/mem", R_OK) != 0) GTEST_SKIP() << "no /proc/self/mem";
  LoadKnownImage();
  EXPECT_EQ(ReadIntoTestImage("/proc/self/mem"), -1);
  EXPECT_TRUE(ImageIsKnown());
}

TEST_F(CoefficientFile, LongLinesAreJudgedByTheirStart) {
  const std::string blanks(100000, ' ');
  const std::string junk(100000, 'z');
  const std::string text = blanks + "2.5" + junk + "\n" + Lines(26, "1", "\r\n") + "4" + junk;
  ASSERT_EQ(ReadIntoTestImage(Write("wide.koeff", text).c_str()), 0);
  ExpectValue(1, 2.5f);
  ExpectValue(28, 4.0f);
  ASSERT_EQ(ReadIntoTestImage(Write("digits.koeff", std::string(5000, '7') + "\n" +
                                                          Lines(27, "1", "\n")).c_str()),
            0);
  ExpectBytes(1, {0xFF, 0x00, 0x00, 0x00});  // overflow, as sscanf gives it
}

// Plain decimals with blanks, trailing words and either line end, against
// glibc's strtof, which rounds them correctly.
TEST_F(CoefficientFile, AgreesWithStrtofOnGeneratedFiles) {
  const char* const tails[] = {"", " kV", "\t# gain", "  x 5", "\r"};
  std::mt19937 random(19);
  auto digits = [&random](int most) {
    std::string text;
    for (int n = random() % most; n >= 0; --n) text += static_cast<char>('0' + random() % 10);
    return text;
  };
  for (int file = 0; file < 400; ++file) {
    std::string text;
    std::vector<uint8_t> expected;
    for (int n = 0; n < 28; ++n) {
      const std::string number = (random() % 3 ? "" : "-") + digits(12) + "." + digits(20) +
                                 "e" + std::to_string(static_cast<int>(random() % 91) - 50);
      text += std::string(random() % 3, ' ') + number + tails[random() % 5] + "\n";
      const DeviceFloat bytes = ToDeviceFloat(std::strtof(number.c_str(), nullptr));
      expected.insert(expected.end(), bytes.bytes, bytes.bytes + 4);
    }
    expected.insert(expected.end(), 16, 0xFF);
    ASSERT_EQ(ReadIntoTestImage(Write("random.koeff", text).c_str()), 0) << text;
    ASSERT_EQ(std::vector<uint8_t>(testImage, testImage + 128), expected) << text;
  }
}

long PeakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST_F(CoefficientFile, AHugeFileCostsNoMemory) {
  constexpr off_t hugeSize = 100L * 1024 * 1024;
  constexpr long allowedGrowthKilobytes = 8 * 1024;
  // Line 28 trails 100 MB of NUL bytes (a sparse file, cheap to make).
  const std::string lines = Numbered(28, "\n");
  const std::string tail = Write("tail.koeff", lines.substr(0, lines.size() - 1));
  ASSERT_EQ(truncate(tail.c_str(), hugeSize), 0);
  const std::string extra = Write("extra.koeff", Numbered(28, "\n"));
  ASSERT_EQ(truncate(extra.c_str(), hugeSize), 0);

  const long before = PeakResidentKilobytes();
  EXPECT_EQ(ReadIntoTestImage(tail.c_str()), 0);
  EXPECT_EQ(ReadIntoTestImage(extra.c_str()), -4);
  EXPECT_LT(PeakResidentKilobytes() - before, allowedGrowthKilobytes);
}

// Opening a pipe waits for a writer and a terminal for a line: neither is
// opened, so the window never hangs on a file.
TEST_F(CoefficientFile, APipeOrADeviceIsRefusedUnopened) {
  const std::string pipe = directory + "/pipe.koeff";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  LoadKnownImage();
  const char* const others[] = {pipe.c_str(), "/dev/zero", "/dev/null"};
  for (const char* other : others) {
    if (access(other, F_OK) != 0) continue;
    int badLine = -1;
    EXPECT_EQ(ReadIntoTestImage(other, &badLine), coefficientFileNotRegular) << other;
    EXPECT_EQ(badLine, 0) << other;
  }
  EXPECT_TRUE(ImageIsKnown());
}

// Whatever numeric locale the process runs in, '.' is the decimal point.
class CommaLocale : public CoefficientFile {
 protected:
  void TearDown() override { std::setlocale(LC_ALL, "C"); }

  // A locale whose decimal point is a comma; compiled into a private folder
  // when the system has none installed.
  bool Enter() {
    const char* const names[] = {"de_DE.UTF-8", "ru_RU.UTF-8", "de_DE.utf8", "ru_RU.utf8"};
    for (const char* name : names) {
      if (std::setlocale(LC_ALL, name) != nullptr) return true;
    }
    const std::string command = "localedef -i de_DE -f UTF-8 " + directory +
                                "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return false;
    setenv("LOCPATH", directory.c_str(), 1);
    const bool entered = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    unsetenv("LOCPATH");
    return entered;  // the compiled locale goes with the folder
  }
};

TEST_F(CommaLocale, DoesNotChangeHowNumbersAreRead) {
  if (!Enter()) GTEST_SKIP() << "no comma-decimal locale can be had here";
  float library = 0.0f;
  ASSERT_EQ(std::sscanf("1,5", "%f", &library), 1);
  ASSERT_EQ(library, 1.5f) << "the locale is not in effect";

  const std::string text = "1.5\n-0.25e1\n" + Lines(26, "0", "\n");
  ASSERT_EQ(ReadIntoTestImage(Write("point.koeff", text).c_str()), 0);
  ExpectBytes(1, {0x7F, 0x40, 0x00, 0x00});
  ExpectBytes(2, {0x80, 0xA0, 0x00, 0x00});
  // The locale's own decimal comma is refused as everywhere else.
  int badLine = 0;
  EXPECT_EQ(ReadIntoTestImage(Write("comma.koeff", "1,5\n" + Lines(27, "0", "\n")).c_str(),
                                &badLine),
            -3);
  EXPECT_EQ(badLine, 1);
}

}  // namespace
