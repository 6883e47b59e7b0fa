#include "ImageFixtures.h"

#include "image/ImageStatistics.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using fixtures::bitmapOver;

ImageStatistics statsOf(const Bitmap &bitmap)
{
    const std::optional<ImageStatistics> stats = ImageStatistics::compute(bitmap);
    EXPECT_TRUE(stats);
    return stats.value_or(ImageStatistics{});
}

} // namespace

TEST(ImageStatistics, MinimumGapRule)
{
    const struct {
        AutomaticPoints in, out;
    } cases[] = {
        {{0, 255}, {0, 255}},   {{0, 1}, {0, 5}},       {{100, 102}, {98, 104}}, {{251, 254}, {247, 254}},
        {{255, 255}, {251, 255}}, {{0, 0}, {0, 4}},     {{1, 2}, {1, 6}},        {{10, 14}, {10, 14}},
        {{256, -1}, {256, -1}}, {{252, 250}, {250, 252}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.black << "," << c.in.white);
        EXPECT_EQ(applyMinimumGap(c.in), c.out);
    }
}

TEST(ImageStatistics, SamplesEveryFourthPixelOfAnEightPixelRow)
{
    const std::vector<uint8_t> pixels = {10, 99, 99, 99, 200, 99, 99, 99};
    const ImageStatistics s = statsOf(bitmapOver(pixels, 8, 1, 8, 1, 8));
    EXPECT_EQ(s.histo[10], 1);
    EXPECT_EQ(s.histo[200], 1);
    EXPECT_EQ(s.histo[99], 0);
    EXPECT_EQ(s.min, 10);
    EXPECT_EQ(s.max, 200);
    EXPECT_EQ(s.average, 105);
    EXPECT_EQ(s.median, 10); // first bin reaching 8 / 8 = 1
    EXPECT_FALSE(s.isColour);
    EXPECT_EQ(s.automaticPoints, (AutomaticPoints{10, 200})); // both thresholds 0
}

TEST(ImageStatistics, UniformImagesGetTheGap)
{
    const std::vector<uint8_t> black(16, 0), white(16, 255);
    EXPECT_EQ(statsOf(bitmapOver(black, 4, 4, 8, 1, 8)).automaticPoints, (AutomaticPoints{0, 4}));
    EXPECT_EQ(statsOf(bitmapOver(white, 4, 4, 8, 1, 8)).automaticPoints, (AutomaticPoints{251, 255}));
}

TEST(ImageStatistics, ThresholdsAreFractionsOfAllPixels)
{
    // 100 x 100: tb = 10, tw = 5, while 2500 pixels (columns 0, 4, ..., 96) are sampled.
    std::vector<uint8_t> pixels(10000, 100);
    for (int i = 0; i < 10; ++i)
        pixels[size_t(i * 100)] = 0; // 10 samples at 0: not more than tb
    pixels[4] = 1;                   // the eleventh sample from the bottom
    for (int i = 0; i < 5; ++i)
        pixels[size_t(1000 + i * 100)] = 255; // 5 samples at 255: not more than tw
    pixels[8] = 254;
    pixels[9] = 0; // not sampled
    const ImageStatistics s = statsOf(bitmapOver(pixels, 100, 100, 8, 1, 8));
    EXPECT_EQ(s.histo[0], 10);
    EXPECT_EQ(s.histo[100], 2500 - 17);
    EXPECT_EQ(s.median, 100);
    EXPECT_EQ(s.min, 0);
    EXPECT_EQ(s.max, 255);
    EXPECT_EQ(s.automaticPoints, (AutomaticPoints{1, 254}));
    pixels[1500] = 255; // a sixth saturated sample
    EXPECT_EQ(statsOf(bitmapOver(pixels, 100, 100, 8, 1, 8)).automaticPoints, (AutomaticPoints{1, 255}));
}

TEST(ImageStatistics, SixteenBitPointsAreOnTheSixteenBitScale)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 16; ++i)
        pixels.insert(pixels.end(), {0x34, 0x12});
    const ImageStatistics s = statsOf(bitmapOver(pixels, 4, 4, 16, 1, 16));
    EXPECT_EQ(s.histo[0x12], 4);
    EXPECT_EQ(s.min, 0x1234);
    EXPECT_EQ(s.max, 0x1234);
    EXPECT_EQ(s.average, 0x1234);
    EXPECT_EQ(s.median, 0x12 * 256);
    // bins 18 and 18 widen to 16 and 20, then scale to 16 bits
    EXPECT_EQ(s.automaticPoints, (AutomaticPoints{16 * 256, 20 * 256}));
}

TEST(ImageStatistics, ColourDepthsAverageTheirChannels)
{
    const struct {
        const char *name;
        std::vector<uint8_t> pixel;
        int bitsPerSample, samplesPerPixel, bitsPerPixel;
        int bin;
    } cases[] = {
        {"24-bit RGB", {30, 60, 90}, 8, 3, 24, 60},
        {"32-bit takes the first three bytes", {255, 0, 0, 99}, 8, 3, 32, 85},
        {"48-bit takes the high bytes", {0x00, 0x10, 0xff, 0x20, 0x80, 0x30}, 16, 3, 48, 0x20},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 4; ++i)
            pixels.insert(pixels.end(), c.pixel.begin(), c.pixel.end());
        const ImageStatistics s = statsOf(bitmapOver(pixels, 4, 1, c.bitsPerSample, c.samplesPerPixel, c.bitsPerPixel));
        EXPECT_TRUE(s.isColour);
        EXPECT_EQ(s.histo[size_t(c.bin)], 1);
        EXPECT_EQ(s.min, c.bin);
    }
}

TEST(ImageStatistics, UnsampledDepthKeepsInitialValues)
{
    const std::vector<uint8_t> pixels(8 * 4, 0x55);
    const ImageStatistics eight = statsOf(bitmapOver(pixels, 4, 1, 8, 4, 64));
    EXPECT_EQ(eight.median, 0);
    EXPECT_EQ(eight.min, 65535);
    EXPECT_EQ(eight.automaticPoints, (AutomaticPoints{256, -1}));
    EXPECT_EQ(statsOf(bitmapOver(pixels, 4, 1, 16, 4, 64)).automaticPoints, (AutomaticPoints{256 * 256, -256}));
}

TEST(ImageStatistics, TooFewPixelsGiveNoStatistics)
{
    const std::vector<uint8_t> pixels(3, 7);
    EXPECT_FALSE(ImageStatistics::compute(bitmapOver(pixels, 3, 1, 8, 1, 8)));
    EXPECT_FALSE(ImageStatistics::compute(Bitmap{}));
}

TEST(ImageStatistics, PaddedRowsSampleTheSamePixelsAsPackedRows)
{
    // 5 x 3 grey: pixels 0, 4 and 8 are sampled; the padding bytes (0xEE) must never count.
    const std::vector<uint8_t> packed = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    std::vector<uint8_t> padded;
    for (int row = 0; row < 3; ++row) {
        padded.insert(padded.end(), packed.begin() + row * 5, packed.begin() + row * 5 + 5);
        padded.insert(padded.end(), {0xEE, 0xEE, 0xEE});
    }
    const ImageStatistics a = statsOf(bitmapOver(packed, 5, 3, 8, 1, 8));
    const ImageStatistics b = statsOf(bitmapOver(padded, 5, 3, 8, 1, 8, 8));
    EXPECT_EQ(a.histo, b.histo);
    EXPECT_EQ(b.histo[1] + b.histo[5] + b.histo[9], 3);
    EXPECT_EQ(b.max, 9);
    EXPECT_EQ(a.automaticPoints, b.automaticPoints);
}

TEST(ImageStatistics, NarrowImagesWrapAcrossSeveralRows)
{
    // 1 pixel per row, 8 rows of 4 padded bytes: samples are rows 0 and 4.
    std::vector<uint8_t> padded(32, 0xEE);
    for (int row = 0; row < 8; ++row)
        padded[size_t(row * 4)] = uint8_t(row * 10);
    const ImageStatistics s = statsOf(bitmapOver(padded, 1, 8, 8, 1, 8, 4));
    EXPECT_EQ(s.histo[0], 1);
    EXPECT_EQ(s.histo[40], 1);
}
