// The compiled-in pictures: sizes, transparency, and busy pictures that are
// the grey versions of their idle pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "resources/button_images.h"
#include "resources/window_icon.h"
#include "tests/app/xpm.h"

namespace {

struct Named {
  const char* name;
  const char* const* data;
};

const Named buttonPictures[] = {
    {"loadFirmware", loadFirmwareXpm},
    {"loadFirmwareBusy", loadFirmwareBusyXpm},
    {"writeCoefficients", writeCoefficientsXpm},
    {"writeCoefficientsBusy", writeCoefficientsBusyXpm},
    {"resetCoefficients", resetCoefficientsXpm},
    {"resetCoefficientsBusy", resetCoefficientsBusyXpm},
    {"exit", exitXpm},
};

int Luma(const Rgb& c) {
  return static_cast<int>(std::lround(0.299 * c.r + 0.587 * c.g + 0.114 * c.b));
}

TEST(ButtonPictures, ButtonPicturesAre24By24WithTwoCharactersAndATransparentBackground) {
  for (const Named& picture : buttonPictures) {
    XpmPicture p;
    ASSERT_TRUE(ParseXpm(picture.data, &p)) << picture.name;
    EXPECT_EQ(p.width, buttonImageSize) << picture.name;
    EXPECT_EQ(p.height, buttonImageSize) << picture.name;
    EXPECT_EQ(p.charsPerPixel, 2) << picture.name;
    // The four corners show the button through the picture.
    for (int index : {0, buttonImageSize - 1, buttonImageSize * (buttonImageSize - 1)}) {
      EXPECT_TRUE(p.transparent[index]) << picture.name << " pixel " << index;
    }
    int opaque = 0;
    for (bool t : p.transparent) opaque += t ? 0 : 1;
    EXPECT_GT(opaque, buttonImageSize * buttonImageSize / 4) << picture.name;
  }
}

TEST(ButtonPictures, BusyPictureIsItsIdlePictureInGreysWithTheSameTransparentPixels) {
  const Named pairs[][2] = {
      {{"loadFirmware", loadFirmwareXpm}, {"loadFirmwareBusy", loadFirmwareBusyXpm}},
      {{"writeCoefficients", writeCoefficientsXpm},
       {"writeCoefficientsBusy", writeCoefficientsBusyXpm}},
      {{"resetCoefficients", resetCoefficientsXpm},
       {"resetCoefficientsBusy", resetCoefficientsBusyXpm}},
  };
  for (const auto& pair : pairs) {
    XpmPicture idle, busy;
    ASSERT_TRUE(ParseXpm(pair[0].data, &idle));
    ASSERT_TRUE(ParseXpm(pair[1].data, &busy));
    ASSERT_EQ(idle.pixels.size(), busy.pixels.size());
    EXPECT_EQ(idle.transparent, busy.transparent) << pair[1].name;
    int colouredIdlePixels = 0;
    for (size_t i = 0; i < idle.pixels.size(); ++i) {
      if (idle.transparent[i]) continue;
      const Rgb& grey = busy.pixels[i];
      const Rgb& colour = idle.pixels[i];
      ASSERT_TRUE(grey.r == grey.g && grey.g == grey.b) << pair[1].name << " pixel " << i;
      EXPECT_NEAR(grey.r, Luma(colour), 1) << pair[1].name << " pixel " << i;
      if (!(colour.r == colour.g && colour.g == colour.b)) ++colouredIdlePixels;
    }
    EXPECT_GT(colouredIdlePixels, 50) << pair[0].name << " should be in colour";
  }
}

TEST(ButtonPictures, WindowIconIsAnOpaqueUpArrowOnBlue) {
  XpmPicture icon;
  ASSERT_TRUE(ParseXpm(windowIconXpm, &icon));
  ASSERT_EQ(icon.width, windowIconSize);
  ASSERT_EQ(icon.height, windowIconSize);
  for (bool t : icon.transparent) ASSERT_FALSE(t);
  auto at = [&](int x, int y) { return icon.pixels[y * windowIconSize + x]; };
  auto blue = [](const Rgb& c) { return c.b > 120 && c.b > c.r + 60 && c.b > c.g + 40; };
  auto black = [](const Rgb& c) { return c.r < 60 && c.g < 60 && c.b < 60; };
  auto light = [](const Rgb& c) { return c.r > 200 && c.g > 200 && c.b > 200; };
  for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}, {16, 0}}) {
    EXPECT_TRUE(blue(at(x, y))) << x << "," << y;
  }
  // Width of the light arrow body on a row; the head narrows to the top.
  auto lightWidth = [&](int y) {
    int n = 0;
    for (int x = 0; x < windowIconSize; ++x) n += light(at(x, y)) ? 1 : 0;
    return n;
  };
  EXPECT_LT(lightWidth(8), lightWidth(14));
  EXPECT_GT(lightWidth(14), lightWidth(22));
  EXPECT_GT(lightWidth(22), 0);
  // A black outline between the arrow and the field on every row it spans.
  for (int y : {8, 14, 22}) {
    int x = 0;
    while (x < windowIconSize && !light(at(x, y))) ++x;
    ASSERT_LT(x, windowIconSize) << y;
    EXPECT_TRUE(black(at(x - 1, y)) || black(at(x - 2, y))) << "row " << y;
  }
}

TEST(ButtonPictures, WindowsIconFileHoldsOne32By32ImageOf256Colours) {
  std::ifstream in(VELT_ICON_FILE, std::ios::binary);
  ASSERT_TRUE(in) << VELT_ICON_FILE;
  std::vector<uint8_t> ico((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(ico.size(), 22u);
  auto word = [&](size_t at) { return ico[at] | ico[at + 1] << 8; };
  EXPECT_EQ(word(0), 0);  // reserved
  EXPECT_EQ(word(2), 1);  // an icon, not a cursor
  EXPECT_EQ(word(4), 1);  // one image
  EXPECT_EQ(ico[6], 32);
  EXPECT_EQ(ico[7], 32);
  EXPECT_EQ(word(12), 8);  // bits per pixel
  const uint32_t size = ico[14] | ico[15] << 8 | ico[16] << 16 | uint32_t(ico[17]) << 24;
  const uint32_t offset = ico[18] | ico[19] << 8 | ico[20] << 16 | uint32_t(ico[21]) << 24;
  EXPECT_EQ(offset + size, ico.size());
  // 40-byte header, 256 palette entries, 32 x 32 bytes, then the AND mask.
  EXPECT_EQ(size, 40u + 256 * 4 + 32 * 32 + 32 * 4);
  // An all-zero mask: no pixel is transparent.
  for (size_t i = ico.size() - 32 * 4; i < ico.size(); ++i) ASSERT_EQ(ico[i], 0) << i;
}

}  // namespace
