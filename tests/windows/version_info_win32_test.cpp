// What Explorer shows of the two programs under Properties, Details, read
// through the same API. VELT_PROGRAM_DIR names the folder that holds them
// (scripts/test-windows: the unpacked zip); without it the test is skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const wchar_t russianUnicodeStrings[] = L"\\StringFileInfo\\041904B0\\";

std::wstring Wide(const std::string& utf8) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], size);
  wide.resize(size - 1);
  return wide;
}

class VersionInfo {
 public:
  explicit VersionInfo(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return;
    data.resize(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) data.clear();
  }
  bool Present() const { return !data.empty(); }

  std::wstring String(const wchar_t* name) const {
    wchar_t* text = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(russianUnicodeStrings) + name;
    if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) {
      return L"(none)";
    }
    return std::wstring(text, length > 0 ? length - 1 : 0);
  }

  const VS_FIXEDFILEINFO* Fixed() const {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
      return nullptr;
    }
    return length >= sizeof *fixed ? fixed : nullptr;
  }

 private:
  std::vector<char> data;
};

TEST(Win32VersionInfo, BothProgramsSayWhatTheyAreAndWhichVersion) {
  const char* folder = std::getenv("VELT_PROGRAM_DIR");
  if (folder == nullptr) GTEST_SKIP() << "VELT_PROGRAM_DIR names no folder with the programs";
  const char* version = std::getenv("VELT_PROGRAM_VERSION");
  ASSERT_NE(version, nullptr) << "VELT_PROGRAM_VERSION goes with VELT_PROGRAM_DIR";
  struct Program {
    const wchar_t* file;
    const wchar_t* description;
  };
  const Program programs[] = {
      {L"velt-loader.exe", L"Загрузчик для ВЕЛТ: прошивки и коэффициенты"},
      {L"velt-flash.exe", L"Прошивка ВЕЛТ из командной строки"},
  };
  for (const Program& program : programs) {
    const VersionInfo info(Wide(folder) + L"\\" + program.file);
    ASSERT_TRUE(info.Present()) << "no version information";
    EXPECT_EQ(info.String(L"ProductName"), L"Загрузчик для ВЕЛТ");
    EXPECT_EQ(info.String(L"FileDescription"), program.description);
    EXPECT_EQ(info.String(L"FileVersion"), Wide(version));
    EXPECT_EQ(info.String(L"ProductVersion"), Wide(version));
    EXPECT_EQ(info.String(L"OriginalFilename"), program.file);
    EXPECT_NE(info.String(L"LegalCopyright").find(L"©"), std::wstring::npos);
    const VS_FIXEDFILEINFO* fixed = info.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const std::wstring numbers = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                 std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                 std::to_wstring(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, Wide(version));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  }
}

}  // namespace
