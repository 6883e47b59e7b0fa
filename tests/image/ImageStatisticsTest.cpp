#include "ImageFixtures.h"

#include "image/ImageStatistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>

using fixtures::bitmapOver;

namespace {

ImageStatistics statsOf(const Bitmap &bitmap) {
  const std::optional<ImageStatistics> stats = ImageStatistics::compute(bitmap);
  EXPECT_TRUE(stats);
  return stats.value_or(ImageStatistics{});
}

TEST(ImageStatistics, MinimumGapRule) {
  const struct {
    AutomaticPoints in, out;
  } cases[] = {
      {{0, 255}, {0, 255}},     {{0, 1}, {0, 5}},         {{100, 102}, {98, 104}}, {{251, 254}, {247, 254}},
      {{255, 255}, {251, 255}}, {{0, 0}, {0, 4}},         {{1, 2}, {1, 6}},        {{10, 14}, {10, 14}},
      {{256, -1}, {256, -1}},   {{252, 250}, {250, 252}},
  };
  for (const auto &c : cases) EXPECT_EQ(applyMinimumGap(c.in), c.out) << c.in.black << "," << c.in.white;
}

// Every fourth pixel counts, whatever the depth, the padding of rows or their width.
TEST(ImageStatistics, SamplesEveryFourthPixel) {
  const std::vector<uint8_t> pixels = {10, 99, 99, 99, 200, 99, 99, 99}, black(16, 0), white(16, 255),
                             unsampled(32, 0x55);
  const std::vector<uint8_t> rgb24 = {30, 60, 90, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                             rgb32 = {255, 0, 0, 99, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                             rgb48 = {0x00, 0x10, 0xff, 0x20, 0x80, 0x30, 0, 0, 0, 0, 0, 0,
                                      0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> sixteen, packed(15), padded, narrow(32, 0xEE);
  for (int i = 0; i < 16; ++i) sixteen.insert(sixteen.end(), {0x34, 0x12});
  std::iota(packed.begin(), packed.end(), uint8_t(1));
  for (int row = 0; row < 3; ++row) {
    padded.insert(padded.end(), packed.begin() + row * 5, packed.begin() + row * 5 + 5);
    padded.insert(padded.end(), {0xEE, 0xEE, 0xEE});  // padding bytes must never count
  }
  for (int row = 0; row < 8; ++row) narrow[size_t(row * 4)] = uint8_t(row * 10);  // samples rows 0 and 4
  const struct {
    const char *name;
    Bitmap bitmap;
    int64_t min, max, average, median;
    AutomaticPoints points;
    std::vector<int> bins;  // the bins holding one sample or more, with their counts
    bool colour = false;
  } cases[] = {
      // the median: the first bin reaching half the samples (an eighth of all pixels)
      {"8 pixels, 2 sampled", bitmapOver(pixels, 8, 1, 8, 1), 10, 200, 105, 10, {10, 200}, {10, 1, 200, 1}},
      {"black", bitmapOver(black, 4, 4, 8, 1), 0, 0, 0, 0, {0, 4}, {0, 4}},
      {"white", bitmapOver(white, 4, 4, 8, 1), 255, 255, 255, 255, {251, 255}, {255, 4}},
      // bins 18 and 18 widen to 16 and 20, on the 16-bit scale
      {"16-bit", bitmapOver(sixteen, 4, 4, 16, 1), 0x1234, 0x1234, 0x1234, 0x1200, {16 * 256, 20 * 256}, {0x12, 4}},
      {"packed 5 x 3", bitmapOver(packed, 5, 3, 8, 1), 1, 9, 5, 1, {1, 9}, {1, 1, 5, 1, 9, 1}},
      {"padded 5 x 3", bitmapOver(padded, 5, 3, 8, 1, 8, 8), 1, 9, 5, 1, {1, 9}, {1, 1, 5, 1, 9, 1}},
      {"1 x 8 on padded rows", bitmapOver(narrow, 1, 8, 8, 1, 8, 4), 0, 40, 20, 0, {0, 40}, {0, 1, 40, 1}},
      {"24-bit RGB", bitmapOver(rgb24, 4, 1, 8, 3), 60, 60, 60, 0, {58, 62}, {60, 1}, true},
      {"32-bit takes the first three bytes", bitmapOver(rgb32, 4, 1, 8, 3, 32), 85, 85, 85, 0, {83, 87}, {85, 1}, true},
      {"48-bit takes the high bytes",
       bitmapOver(rgb48, 4, 1, 16, 3),
       0x20,
       0x20,
       0x20,
       0,
       {0x1e00, 0x2200},
       {0x20, 1},
       true},
      {"unsampled 8-bit depth", bitmapOver(unsampled, 4, 1, 8, 4, 64), 65535, 0, 0, 0, {256, -1}, {}},
      {"unsampled 16-bit depth", bitmapOver(unsampled, 4, 1, 16, 4, 64), 65535, 0, 0, 0, {256 * 256, -256}, {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const ImageStatistics s = statsOf(c.bitmap);
    EXPECT_EQ(std::vector<int64_t>({s.min, s.max, s.average, s.median}),
              std::vector<int64_t>({c.min, c.max, c.average, c.median}));
    EXPECT_EQ(s.automaticPoints, c.points);
    std::vector<int> bins;
    for (size_t bin = 0; bin < s.histo.size(); ++bin)
      if (s.histo[bin] > 0) bins.insert(bins.end(), {int(bin), int(s.histo[bin])});
    EXPECT_EQ(bins, c.bins);
    EXPECT_EQ(s.isColour, c.colour);
  }
  EXPECT_FALSE(ImageStatistics::compute(bitmapOver(pixels, 3, 1, 8, 1)));  // fewer than 4 pixels
  EXPECT_FALSE(ImageStatistics::compute(Bitmap{}));
}

// Bitmaps large enough to be sampled in bands of rows on several threads, with widths that put
// the band's first sample anywhere in its first row: the same figures as one pass over them.
TEST(ImageStatistics, BandsSampleAsOnePass) {
  const struct {
    const char *name;
    int64_t width, height;
    int bits;
    int64_t bytesPerRow = 0;
  } cases[] = {{"8-bit, two bands", 1001, 2101, 8},
               {"16-bit, four bands", 4097, 1030, 16},
               {"three pixels a row, four bands", 3, 1400001, 8},
               {"padded rows, two bands", 1501, 2001, 8, 1504}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const int64_t bytesPerPixel = c.bits / 8;
    const int64_t stride = c.bytesPerRow ? c.bytesPerRow : c.width * bytesPerPixel;
    std::vector<uint8_t> bytes(size_t(stride * c.height));
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t((i * 2654435761u) >> 13);
    // One pass: pixels 0, 4, 8, ... in reading order.
    std::array<int64_t, 256> histo{};
    int64_t min = 65535, max = 0, sum = 0;
    const int64_t samples = c.width * c.height / 4;
    for (int64_t n = 0; n < samples; ++n) {
      const uint8_t *p = bytes.data() + (4 * n / c.width) * stride + (4 * n % c.width) * bytesPerPixel;
      const int64_t value = c.bits == 8 ? p[0] : p[0] + 256 * int64_t(p[1]);
      ++histo[size_t(c.bits == 8 ? p[0] : p[1])];
      min = std::min(min, value), max = std::max(max, value), sum += value;
    }
    const ImageStatistics s = statsOf(bitmapOver(bytes, c.width, c.height, c.bits, 1, c.bits, c.bytesPerRow));
    EXPECT_EQ(s.histo, histo);
    EXPECT_EQ(std::vector<int64_t>({s.min, s.max, s.average}), std::vector<int64_t>({min, max, sum / samples}));
  }
}

TEST(ImageStatistics, ThresholdsAreFractionsOfAllPixels) {
  // 100 x 100: tb = 10, tw = 5, while 2500 pixels (columns 0, 4, ..., 96) are sampled.
  std::vector<uint8_t> pixels(10000, 100);
  for (int i = 0; i < 10; ++i) pixels[size_t(i * 100)] = 0;          // 10 samples at 0: not more than tb
  pixels[4] = 1;                                                     // the eleventh sample from the bottom
  for (int i = 0; i < 5; ++i) pixels[size_t(1000 + i * 100)] = 255;  // 5 samples at 255: not more than tw
  pixels[8] = 254;
  pixels[9] = 0;  // not sampled
  const ImageStatistics s = statsOf(bitmapOver(pixels, 100, 100, 8, 1));
  EXPECT_EQ(s.histo[0], 10);
  EXPECT_EQ(s.histo[100], 2500 - 17);
  EXPECT_EQ(s.median, 100);
  EXPECT_EQ(s.automaticPoints, (AutomaticPoints{1, 254}));
  pixels[1500] = 255;  // a sixth saturated sample
  EXPECT_EQ(statsOf(bitmapOver(pixels, 100, 100, 8, 1)).automaticPoints, (AutomaticPoints{1, 255}));
}

}  // namespace
