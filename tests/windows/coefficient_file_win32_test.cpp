// The coefficient reader on the Windows C runtime: a file must read the same
// as on Linux, whatever text-mode conventions the runtime has, and a file
// the runtime cannot open must leave the loaded image alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "coeff/coefficient_file.h"
#include "tests/windows/win32_files.h"
#include "tests/support/coefficient_reads.h"

namespace {

class CoefficientFileOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    directory = TempFolder("velt-coeff");
    ASSERT_FALSE(directory.empty());
  }
  void TearDown() override {
    for (const std::string& path : written) DeleteFileA(path.c_str());
    RemoveDirectoryA(directory.c_str());
  }

  // Windows separators on purpose: the path is what a Windows dialog gives.
  std::string Write(const std::string& name, const std::string& content) {
    const std::string path = directory + "\\" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr) << path;
    if (file == nullptr) return path;
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    written.push_back(path);
    return path;
  }

  static std::string Lines(int count, const std::string& line, const std::string& end) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line + end;
    return text;
  }

  std::vector<uint8_t> Image() const {
    return std::vector<uint8_t>(testImage, testImage + coefficientImageSize);
  }

  std::string directory;
  std::vector<std::string> written;
};

TEST_F(CoefficientFileOnWindows, ReadsAsOnLinuxWhateverTheTextModeWouldDo) {
  struct Case {
    const char* what;
    std::string text;
    int result;
  };
  const Case cases[] = {
      {"CRLF lines", Lines(28, "1.5", "\r\n"), coefficientFileOk},
      {"CR CR LF lines", Lines(28, "1.5", "\r\r\n"), coefficientFileOk},
      // Text mode would stop at Ctrl-Z and miss the extra line.
      {"Ctrl-Z line after 28", Lines(28, "1.5", "\r\n") + "\x1A\r\n", coefficientFileTooLong},
      {"Ctrl-Z inside", Lines(10, "1.5", "\r\n") + "\x1A" + Lines(18, "1.5", "\r\n"),
       coefficientFileNotANumber},
      {"27 lines", Lines(27, "1.5", "\r\n"), coefficientFileTooShort},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadIntoTestImage(Write("case.koeff", c.text).c_str()), c.result) << c.what;
  }
}

TEST_F(CoefficientFileOnWindows, AValidFileFillsTheImage) {
  ASSERT_EQ(ReadIntoTestImage(Write("ones.koeff", Lines(28, "1", "\r\n")).c_str()), 0);
  for (int n = 0; n < coefficientCount; ++n) {
    EXPECT_EQ(testImage[4 * n], 0x7F) << n;  // 1.0: exponent byte 0x7F, fraction 0
    EXPECT_EQ(testImage[4 * n + 1], 0x00) << n;
  }
  EXPECT_EQ(testImage[coefficientCount * 4], 0xFF) << "the filler";
}

TEST_F(CoefficientFileOnWindows, WhatTheRuntimeCannotOpenKeepsTheImage) {
  ASSERT_EQ(ReadIntoTestImage(Write("known.koeff", Lines(28, "2.5", "\n")).c_str()), 0);
  const std::vector<uint8_t> known = Image();

  EXPECT_EQ(ReadIntoTestImage((directory + "\\missing.koeff").c_str()), -1);
  EXPECT_EQ(ReadIntoTestImage(directory.c_str()), -1) << "a folder";

  // Another program holds the file without sharing it.
  const std::string locked = Write("locked.koeff", Lines(28, "3", "\n"));
  const HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadIntoTestImage(locked.c_str()), -1);
  CloseHandle(holder);

  EXPECT_EQ(Image(), known);
  EXPECT_EQ(ReadIntoTestImage(locked.c_str()), 0) << "readable once released";
}

// The window hands over UTF-8 names (FLTK's on every platform): a file in a
// folder with a Russian name must still be found.
TEST_F(CoefficientFileOnWindows, ReadsAFileUnderACyrillicUtf8Name) {
  const std::wstring folder = std::wstring(directory.begin(), directory.end()) + L"\\Документы";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  const std::wstring wide = folder + L"\\к.koeff";
  std::FILE* file = _wfopen(wide.c_str(), L"wb");
  ASSERT_NE(file, nullptr);
  const std::string text = Lines(28, "1.0", "\n");
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);

  const std::string utf8 = directory + "\\Документы\\к.koeff";
  EXPECT_EQ(ReadIntoTestImage(utf8.c_str()), coefficientFileOk);
  EXPECT_EQ(testImage[0], 0x7F);
  EXPECT_EQ(ReadIntoTestImage((directory + "\\Документы").c_str()), coefficientFileUnopenable)
      << "a folder is no file";
  _wremove(wide.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
