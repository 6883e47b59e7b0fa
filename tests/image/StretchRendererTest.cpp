#include "ImageFixtures.h"

#include "image/PreviewScaling.h"
#include "image/StretchRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

using fixtures::bitmapOver;

namespace {

// The red, green and blue of an output pixel.
std::vector<int> pixelAt(const QImage &image, int x, int y = 0) {
  const QRgb p = image.pixel(x, y);
  return {qRed(p), qGreen(p), qBlue(p)};
}
std::vector<int> grey(int value) { return std::vector<int>(3, value); }
const std::vector<int> RED = {255, 0, 0};

// The mapping as written: (p − black) / ((white − black) / 256), clamped and truncated.
int formula(int64_t p, RenderingPoints points) {
  const double scale = double(points.white - points.black) * 0.00390625;
  const double v = scale <= 0 ? 0 : double(p - points.black) / scale;
  return v < 0 ? 0 : v > 255 ? 255 : int(std::trunc(v));
}

TEST(StretchRenderer, TablesGiveTheFormulaForEverySample) {
  const struct {
    int64_t p;
    RenderingPoints points;
    int expected;
  } examples[] = {
      {128, {0, 255}, 128}, {254, {0, 255}, 254},     {40, {50, 150}, 0}, {200, {50, 150}, 255}, {100, {50, 150}, 128},
      {7, {100, 100}, 0},   {65534, {0, 65535}, 255}, {0, {0, 65535}, 0}, {5, {10, 0}, 0},       {5, {-512, 255}, 172},
  };
  for (const auto &c : examples) {
    EXPECT_EQ(StretchRenderer::stretch(c.p, c.points), c.expected) << c.p;
    EXPECT_EQ(formula(c.p, c.points), c.expected) << c.p;
  }
  std::vector<uint8_t> eight(256), sixteen;
  std::iota(eight.begin(), eight.end(), uint8_t(0));
  for (int p = 0; p < 65536; ++p) sixteen.insert(sixteen.end(), {uint8_t(p & 0xff), uint8_t(p >> 8)});
  for (const RenderingPoints points : {RenderingPoints{0, 255},
                                       {17, 200},
                                       {-512, 300},
                                       {200, 17},
                                       {100, 100},
                                       {0, 65535},
                                       {4096, 5120},
                                       {-256, 65536}}) {
    SCOPED_TRACE(testing::Message() << points.black << ".." << points.white);
    QImage target;
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(eight, 256, 1, 8, 1), points, false, target));
    for (int p = 0; p < 255; ++p) ASSERT_EQ(pixelAt(target, p), grey(formula(p, points))) << p;
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(sixteen, 65536, 1, 16, 1), points, false, target));
    for (int p = 0; p < 65535; ++p) ASSERT_EQ(pixelAt(target, p)[0], formula(p, points)) << p;
  }
}

// Saturated grey pixels are red when highlighted; colour channels map one by one, never red.
TEST(StretchRenderer, HighlightsColoursAndStrides) {
  const std::vector<uint8_t> eight = {128, 254, 255, 0}, sixteen = {0xfe, 0xff, 0xff, 0xff, 0, 0, 0, 0x80},
                             rgb = {0, 128, 255, 10, 20, 30}, alphaFirst = {99, 0, 128, 255, 99, 10, 20, 30},
                             wide = {0x00, 0x00, 0x00, 0x80, 0xff, 0xff},
                             padded = {10, 20, 0xEE, 0xEE, 30, 40, 0xEE, 0xEE};
  Bitmap argb = bitmapOver(alphaFirst, 2, 1, 8, 4), rgba = argb;
  argb.alphaFirst = true;
  const struct {
    const char *name;
    Bitmap bitmap;
    RenderingPoints points;
    bool highlight;
    std::vector<std::vector<int>> row;  // the first pixels of the first row, or of the second
    int y = 0;
  } cases[] = {
      {"8-bit highlighted", bitmapOver(eight, 4, 1, 8, 1), {0, 255}, true, {grey(128), grey(254), RED, grey(0)}},
      {"8-bit plain", bitmapOver(eight, 4, 1, 8, 1), {0, 255}, false, {grey(128), grey(254), grey(255)}},
      {"equal points: only the saturated one",
       bitmapOver(eight, 4, 1, 8, 1),
       {100, 100},
       true,
       {grey(0), grey(0), RED}},
      {"16-bit highlighted", bitmapOver(sixteen, 4, 1, 16, 1), {0, 65535}, true, {grey(255), RED, grey(0), grey(128)}},
      {"RGB", bitmapOver(rgb, 2, 1, 8, 3), {0, 255}, true, {{0, 128, 255}, {10, 20, 30}}},
      {"alpha first", argb, {0, 255}, true, {{0, 128, 255}}},
      {"alpha last", rgba, {0, 255}, true, {{99, 0, 128}}},
      {"48-bit", bitmapOver(wide, 1, 1, 16, 3), {0, 65535}, true, {{0, 128, 255}}},
      {"padded rows", bitmapOver(padded, 2, 2, 8, 1, 0, 4), {0, 256}, false, {grey(30), grey(40)}, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    QImage target;
    ASSERT_TRUE(StretchRenderer::render(c.bitmap, c.points, c.highlight, target));
    for (size_t x = 0; x < c.row.size(); ++x) EXPECT_EQ(pixelAt(target, int(x), c.y), c.row[x]) << x;
  }
  QImage target;  // other depths have no rendering
  EXPECT_FALSE(StretchRenderer::render(bitmapOver(alphaFirst, 1, 1, 16, 4), {0, 255}, false, target));
  EXPECT_FALSE(StretchRenderer::render(Bitmap{}, {0, 255}, false, target));
  EXPECT_TRUE(target.isNull());
}

TEST(StretchRenderer, ReusesItsBufferWithoutChangingAPictureHandedOut) {
  const std::vector<uint8_t> pixels = {100, 200};
  QImage target;
  ASSERT_TRUE(StretchRenderer::render(bitmapOver(pixels, 2, 1, 8, 1), {0, 256}, false, target));
  const uchar *buffer = target.constBits();
  ASSERT_TRUE(StretchRenderer::render(bitmapOver(pixels, 2, 1, 8, 1), {0, 512}, false, target));
  EXPECT_EQ(target.constBits(), buffer);
  const QImage handedOut = target;
  ASSERT_TRUE(StretchRenderer::render(bitmapOver(pixels, 2, 1, 8, 1), {0, 256}, false, target));
  EXPECT_EQ(pixelAt(handedOut, 0), grey(50));
  EXPECT_EQ(pixelAt(target, 0), grey(100));
}

TEST(StretchRenderer, SmallerRenderingsAverageTheStretchedBlocks) {
  // 5 × 3 pixels into 2 × 2: columns 0-1 and 2-4, rows 0 and 1-2.
  const std::vector<uint8_t> pixels = {10, 20, 30, 40, 50, 0, 0, 255, 0, 0, 60, 0, 0, 0, 0},
                             rgb = {0, 100, 200, 255, 50, 0};
  QImage target;
  ASSERT_TRUE(StretchRenderer::render(bitmapOver(pixels, 5, 3, 8, 1), {0, 256}, true, target, QSize(2, 2)));
  ASSERT_EQ(target.size(), QSize(2, 2));
  EXPECT_EQ(pixelAt(target, 0, 0), grey(15));
  EXPECT_EQ(pixelAt(target, 1, 0), grey(40));
  EXPECT_EQ(pixelAt(target, 0, 1), grey(15));
  EXPECT_EQ(pixelAt(target, 1, 1), (std::vector<int>{43, 0, 0}));  // the saturated one's share of red
  EXPECT_FALSE(StretchRenderer::render(bitmapOver(pixels, 5, 3, 8, 1), {0, 256}, true, target, QSize(6, 1)));
  ASSERT_TRUE(StretchRenderer::render(bitmapOver(rgb, 2, 1, 8, 3), {0, 256}, true, target, QSize(1, 1)));
  EXPECT_EQ(pixelAt(target, 0), (std::vector<int>{128, 75, 100}));  // channels average one by one

  // A large picture is rendered in bands on several threads at once: all of them alike.
  const std::vector<uint8_t> large(size_t(2048) * 1024, 100);
  ASSERT_TRUE(StretchRenderer::render(bitmapOver(large, 2048, 1024, 8, 1), {0, 256}, true, target, QSize(300, 150)));
  for (int y = 0; y < 150; ++y) ASSERT_EQ(pixelAt(target, 299, y), grey(100)) << y;
}

TEST(PreviewScaling, FitsTheFrameKeepingProportionsNeverLarger) {
  const struct {
    QSize picture, frame, expected;
  } cases[] = {
      {{6000, 4000}, {379, 300}, {379, 252}},
      {{4000, 6000}, {379, 300}, {200, 300}},
      {{800, 100}, {379, 300}, {379, 47}},
      {{300, 200}, {379, 300}, {300, 200}},
      {{1280, 1024}, {379, 300}, {375, 300}},
      {{100000, 1}, {379, 300}, {379, 1}},
      {{10, 10}, {}, {}},
  };
  for (const auto &c : cases)
    EXPECT_EQ(PreviewScaling::fittedSize(c.picture, c.frame), c.expected) << c.picture.width();
}

}  // namespace
