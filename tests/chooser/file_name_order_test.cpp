#include "chooser/file_name_order.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <string>
#include <vector>

#include "chooser/windows1251.h"

namespace {

TEST(NameSortWeights, Anchors) {
  EXPECT_EQ(nameSortWeights[0x00], 0x00);
  for (int digit = 0; digit < 10; ++digit) {
    EXPECT_EQ(nameSortWeights['0' + digit], 0x4C + digit) << digit;
  }
  EXPECT_EQ(nameSortWeights['A'], 0x56);
  EXPECT_EQ(nameSortWeights['a'], 0x70);
  EXPECT_EQ(nameSortWeights[0xC0], 0x90);  // А
  EXPECT_EQ(nameSortWeights[0xB9], 0xFF);  // №
  EXPECT_EQ(nameSortWeights['.'], 0x30);
  EXPECT_EQ(nameSortWeights['/'], 0x3D);
}

TEST(NameSortWeights, IsAPermutation) {
  bool seen[256] = {};
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_FALSE(seen[nameSortWeights[byte]]) << "weight of byte " << byte << " repeats";
    seen[nameSortWeights[byte]] = true;
  }
}

// Each pair is in order: first sorts strictly before second.
struct Ordered {
  const char* first;
  const char* second;
};

const Ordered orderedPairs[] = {
    {"B", "a"},
    {"Z9", "a0"},
    {"10", "9"},
    {"abc", "abcd"},
    {"", "a"},
    {"Е1", "Ё1"},
    {"Ё1", "Ж1"},
    {"е1", "ё1"},
    {"ё1", "ж1"},
    {"Я", "а"},
    {"z", "Ї"},
    {"Ї", "А"},
    {"sub.koeff", "sub/"},
    {"sub/", "sub0"},
    {"d 2/", "d.old/"},   // folders sharing a beginning, with the '/' they are shown with
    {"d.old/", "d-x/"},
    {"d-x/", "d/"},
    {"«x»", "'x"},        // guillemets before the apostrophe
    {"a—b", "a/b"},       // em dash among the hyphens, before the slash
    {"я", "№"},           // the last Windows-1251 weight
    {"№", "Ā"},           // outside Windows-1251: after every byte
    {"Ā", "ā"},           // and among themselves by code point
    {"z\xC0", "zБ"},      // a raw Windows-1251 byte weighs as that letter (А)
    {"z\xC0", "zА"},      // and ties with its UTF-8 form are settled by bytes
    {"\xD0\x90", "\xD0"},  // a cut sequence is a byte (Р), not a character (А)
};

TEST(CompareNameTexts, OrdersPairs) {
  for (const Ordered& pair : orderedPairs) {
    EXPECT_EQ(compareNameTexts(pair.first, pair.second), -1)
        << pair.first << " before " << pair.second;
    EXPECT_EQ(compareNameTexts(pair.second, pair.first), 1)
        << pair.second << " after " << pair.first;
  }
}

TEST(CompareNameTexts, EqualOnlyToItself) {
  for (const Ordered& pair : orderedPairs) {
    EXPECT_EQ(compareNameTexts(pair.first, pair.first), 0) << pair.first;
    EXPECT_EQ(compareNameTexts(pair.second, pair.second), 0) << pair.second;
  }
}

dirent entryNamed(const char* name) {
  dirent entry{};
  std::strncpy(entry.d_name, name, sizeof entry.d_name - 1);
  return entry;
}

TEST(CompareFileNames, WeighsTheEntryNames) {
  dirent beta = entryNamed("Beta.koeff");
  dirent alpha = entryNamed("alpha.koeff");
  dirent* first = &beta;
  dirent* second = &alpha;
  EXPECT_EQ(compareFileNames(&first, &second), -1);
  EXPECT_EQ(compareFileNames(&second, &first), 1);
  EXPECT_EQ(compareFileNames(&first, &first), 0);
}

TEST(CompareFileNames, SortsAListAsTheTableSays) {
  std::vector<std::string> names = {"Жук", "ёж", "Ёлка", "Ель", "alpha", "Beta", "10", "9",
                                    "_x", "Яма", "ящик", "€uro"};
  std::vector<dirent> entries;
  for (const std::string& name : names) entries.push_back(entryNamed(name.c_str()));
  std::vector<dirent*> list;
  for (dirent& entry : entries) list.push_back(&entry);
  std::qsort(list.data(), list.size(), sizeof(dirent*), [](const void* a, const void* b) {
    return compareFileNames(static_cast<dirent**>(const_cast<void*>(a)),
                            static_cast<dirent**>(const_cast<void*>(b)));
  });
  std::vector<std::string> sorted;
  for (dirent* entry : list) sorted.push_back(entry->d_name);
  std::vector<std::string> expected = {"_x", "10", "9", "Beta", "alpha", "Ель", "Ёлка",
                                       "Жук", "Яма", "ёж", "ящик", "€uro"};
  EXPECT_EQ(sorted, expected);
}

// Every character Windows-1251 has maps back to its byte, checked against the
// C library's own code page table.
TEST(Windows1251, MatchesTheSystemCodePage) {
  iconv_t converter = iconv_open("UTF-8", "CP1251");
  if (converter == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no CP1251 in iconv";
  int mapped = 0;
  for (int byte = 1; byte < 256; ++byte) {
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPointer = in;
    char* outPointer = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out - 1;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1)) {
      continue;  // 0x98 has no character
    }
    long codePoint = -1;
    int length = decodeUtf8(reinterpret_cast<unsigned char*>(out), &codePoint);
    ASSERT_EQ(length, static_cast<int>(std::strlen(out))) << "byte " << byte;
    EXPECT_EQ(windows1251Byte(codePoint), byte) << "code point " << codePoint;
    ++mapped;
  }
  iconv_close(converter);
  EXPECT_EQ(mapped, 254);
}

TEST(Windows1251, RejectsMalformedUtf8) {
  const char* malformed[] = {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                             "\xD0", "\xE2\x84", "\x80", "\xFF"};
  for (const char* text : malformed) {
    long codePoint = -1;
    EXPECT_EQ(decodeUtf8(reinterpret_cast<const unsigned char*>(text), &codePoint), 0)
        << static_cast<int>(static_cast<unsigned char>(text[0]));
  }
  EXPECT_EQ(windows1251Byte(0x0100), -1);
  EXPECT_EQ(windows1251Byte(0x2116), 0xB9);
}

}  // namespace
