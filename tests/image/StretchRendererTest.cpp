#include "ImageFixtures.h"

#include "image/StretchRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using fixtures::bitmapOver;

// The red, green and blue of an output pixel.
std::vector<int> pixelAt(const QImage &image, int x, int y = 0)
{
    const QRgb p = image.pixel(x, y);
    return {qRed(p), qGreen(p), qBlue(p)};
}

// The mapping as written: (p − black) / ((white − black) / 256), clamped and truncated.
int formula(int64_t p, RenderingPoints points)
{
    const double scale = double(points.white - points.black) * 0.00390625;
    if (scale <= 0)
        return 0;
    const double v = double(p - points.black) / scale;
    return v < 0 ? 0 : v > 255 ? 255 : int(std::trunc(v));
}

std::vector<uint8_t> everySixteenBitSample()
{
    std::vector<uint8_t> pixels;
    for (int p = 0; p < 65536; ++p)
        pixels.insert(pixels.end(), {uint8_t(p & 0xff), uint8_t(p >> 8)});
    return pixels;
}

} // namespace

TEST(StretchRenderer, StretchMatchesTheWorkedExamples)
{
    const struct {
        int64_t p;
        RenderingPoints points;
        int expected;
    } cases[] = {
        {128, {0, 255}, 128}, {254, {0, 255}, 254}, {40, {50, 150}, 0},     {200, {50, 150}, 255},
        {100, {50, 150}, 128}, {7, {100, 100}, 0},  {65534, {0, 65535}, 255}, {0, {0, 65535}, 0},
        {5, {10, 0}, 0},      {5, {-512, 255}, 172},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.p << " in " << c.points.black << ".." << c.points.white);
        EXPECT_EQ(StretchRenderer::stretch(c.p, c.points), c.expected);
        EXPECT_EQ(formula(c.p, c.points), c.expected);
    }
}

TEST(StretchRenderer, TablesGiveTheFormulaForEverySample)
{
    std::vector<uint8_t> eight(256);
    for (int p = 0; p < 256; ++p)
        eight[size_t(p)] = uint8_t(p);
    const std::vector<uint8_t> sixteen = everySixteenBitSample();
    const RenderingPoints pairs[] = {{0, 255}, {17, 200}, {-512, 300}, {200, 17}, {100, 100}, {0, 65535}, {4096, 5120}, {-256, 65536}};
    for (const RenderingPoints points : pairs) {
        SCOPED_TRACE(testing::Message() << points.black << ".." << points.white);
        QImage target;
        ASSERT_TRUE(StretchRenderer::render(bitmapOver(eight, 256, 1, 8, 1), points, false, target));
        for (int p = 0; p < 255; ++p)
            ASSERT_EQ(pixelAt(target, p), std::vector<int>(3, formula(p, points))) << p;
        ASSERT_TRUE(StretchRenderer::render(bitmapOver(sixteen, 65536, 1, 16, 1), points, false, target));
        for (int p = 0; p < 65535; ++p)
            ASSERT_EQ(pixelAt(target, p)[0], formula(p, points)) << p;
    }
}

TEST(StretchRenderer, SaturatedGreyIsHighlighted)
{
    const std::vector<uint8_t> eight = {128, 254, 255, 0};
    const std::vector<uint8_t> sixteen = {0xfe, 0xff, 0xff, 0xff, 0, 0, 0, 0x80};
    const std::vector<int> red = {255, 0, 0}, white = {255, 255, 255};
    QImage target;
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(eight, 4, 1, 8, 1), {0, 255}, true, target));
    EXPECT_EQ(pixelAt(target, 0), std::vector<int>(3, 128));
    EXPECT_EQ(pixelAt(target, 1), std::vector<int>(3, 254));
    EXPECT_EQ(pixelAt(target, 2), red);
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(eight, 4, 1, 8, 1), {0, 255}, false, target));
    EXPECT_EQ(pixelAt(target, 2), white);
    // With both points equal, only the saturated pixel is not black.
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(eight, 4, 1, 8, 1), {100, 100}, true, target));
    EXPECT_EQ(pixelAt(target, 0), std::vector<int>(3, 0));
    EXPECT_EQ(pixelAt(target, 2), red);
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(sixteen, 4, 1, 16, 1), {0, 65535}, true, target));
    EXPECT_EQ(pixelAt(target, 0), std::vector<int>(3, 255));
    EXPECT_EQ(pixelAt(target, 1), red);
    EXPECT_EQ(pixelAt(target, 3), std::vector<int>(3, 128));
}

TEST(StretchRenderer, ColourChannelsAreMappedOneByOne)
{
    const std::vector<uint8_t> rgb = {0, 128, 255, 10, 20, 30};
    const std::vector<uint8_t> alphaFirst = {99, 0, 128, 255, 99, 10, 20, 30};
    const std::vector<uint8_t> wide = {0x00, 0x00, 0x00, 0x80, 0xff, 0xff};
    QImage target;
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(rgb, 2, 1, 8, 3), {0, 255}, true, target));
    EXPECT_EQ(pixelAt(target, 0), (std::vector<int>{0, 128, 255})); // no highlight in colour
    EXPECT_EQ(pixelAt(target, 1), (std::vector<int>{10, 20, 30}));

    Bitmap argb = bitmapOver(alphaFirst, 2, 1, 8, 4);
    argb.alphaFirst = true;
    ASSERT_TRUE(StretchRenderer::render(argb, {0, 255}, true, target));
    EXPECT_EQ(pixelAt(target, 0), (std::vector<int>{0, 128, 255}));
    argb.alphaFirst = false;
    ASSERT_TRUE(StretchRenderer::render(argb, {0, 255}, true, target));
    EXPECT_EQ(pixelAt(target, 0), (std::vector<int>{99, 0, 128}));

    ASSERT_TRUE(StretchRenderer::render(bitmapOver(wide, 1, 1, 16, 3), {0, 65535}, true, target));
    EXPECT_EQ(pixelAt(target, 0), (std::vector<int>{0, 128, 255}));
}

TEST(StretchRenderer, PaddedRowsAreReadByTheirStride)
{
    const std::vector<uint8_t> padded = {10, 20, 0xEE, 0xEE, 30, 40, 0xEE, 0xEE};
    QImage target;
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(padded, 2, 2, 8, 1, 0, 4), {0, 256}, false, target));
    EXPECT_EQ(pixelAt(target, 1, 0), std::vector<int>(3, 20));
    EXPECT_EQ(pixelAt(target, 0, 1), std::vector<int>(3, 30));
    EXPECT_EQ(pixelAt(target, 1, 1), std::vector<int>(3, 40));
}

TEST(StretchRenderer, OtherDepthsHaveNoRendering)
{
    const std::vector<uint8_t> pixels(8, 0);
    QImage target;
    EXPECT_FALSE(StretchRenderer::render(bitmapOver(pixels, 1, 1, 16, 4), {0, 255}, false, target));
    EXPECT_FALSE(StretchRenderer::render(Bitmap{}, {0, 255}, false, target));
    EXPECT_TRUE(target.isNull());
}

TEST(StretchRenderer, ReusesItsBufferWithoutChangingAPictureHandedOut)
{
    const std::vector<uint8_t> pixels = {100, 200};
    QImage target;
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(pixels, 2, 1, 8, 1), {0, 256}, false, target));
    const uchar *buffer = target.constBits();
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(pixels, 2, 1, 8, 1), {0, 512}, false, target));
    EXPECT_EQ(target.constBits(), buffer);
    const QImage handedOut = target;
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(pixels, 2, 1, 8, 1), {0, 256}, false, target));
    EXPECT_EQ(pixelAt(handedOut, 0), std::vector<int>(3, 50));
    EXPECT_EQ(pixelAt(target, 0), std::vector<int>(3, 100));
}

TEST(StretchRenderer, SmallerRenderingsAverageTheStretchedBlocks)
{
    // 5 × 3 pixels into 2 × 2: columns 0-1 and 2-4, rows 0 and 1-2.
    const std::vector<uint8_t> grey = {
        10, 20, 30, 40, 50, //
        0,  0,  255, 0, 0,  //
        60, 0,  0,   0, 0,
    };
    QImage target;
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(grey, 5, 3, 8, 1), {0, 256}, true, target, QSize(2, 2)));
    ASSERT_EQ(target.size(), QSize(2, 2));
    EXPECT_EQ(pixelAt(target, 0, 0), std::vector<int>(3, 15));
    EXPECT_EQ(pixelAt(target, 1, 0), std::vector<int>(3, 40));
    EXPECT_EQ(pixelAt(target, 0, 1), std::vector<int>(3, 15));
    EXPECT_EQ(pixelAt(target, 1, 1), (std::vector<int>{43, 0, 0})); // the saturated one's share of red
    // A size beyond the bitmap's is refused.
    EXPECT_FALSE(StretchRenderer::render(bitmapOver(grey, 5, 3, 8, 1), {0, 256}, true, target, QSize(6, 1)));

    // A large picture is rendered in bands on several threads at once: all of them alike.
    const std::vector<uint8_t> large(size_t(2048) * 1024, 100);
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(large, 2048, 1024, 8, 1), {0, 256}, true, target, QSize(300, 150)));
    for (int y = 0; y < 150; ++y)
        ASSERT_EQ(pixelAt(target, 299, y), std::vector<int>(3, 100)) << y;

    // Colour channels average one by one.
    const std::vector<uint8_t> rgb = {0, 100, 200, 255, 50, 0};
    ASSERT_TRUE(StretchRenderer::render(bitmapOver(rgb, 2, 1, 8, 3), {0, 256}, true, target, QSize(1, 1)));
    EXPECT_EQ(pixelAt(target, 0), (std::vector<int>{128, 75, 100}));
}
