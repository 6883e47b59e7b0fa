#include "ImageFixtures.h"

#include "image/FITSImageRep.h"

#include <fitsio.h>

#include <gtest/gtest.h>

#include <numeric>

using fixtures::fitsFile;

namespace {

QByteArray grey8(long width, long height)
{
    std::vector<uint8_t> pixels(size_t(width * height));
    std::iota(pixels.begin(), pixels.end(), uint8_t(1));
    return fitsFile(BYTE_IMG, {width, height}, TBYTE, pixels.data());
}

// Replaces the value of a header card (columns 11 to 30, right-justified).
QByteArray withCard(QByteArray file, const QByteArray &keyword, long long value)
{
    const qsizetype at = file.indexOf(keyword.leftJustified(8, ' ') + "= ");
    const QByteArray text = QByteArray::number(value).rightJustified(20, ' ');
    file.replace(at + 10, 20, text);
    return file;
}

uint16_t sample16(const Bitmap &bitmap, int64_t index)
{
    return uint16_t(bitmap.pixels[2 * index] | bitmap.pixels[2 * index + 1] << 8);
}

} // namespace

TEST(FITSImageRep, LibraryIsReentrant)
{
    EXPECT_EQ(fits_is_reentrant(), 1);
}

TEST(FITSImageRep, ClaimsDataBeginningWithSimple)
{
    EXPECT_TRUE(FITSImageRep::canInitWithData("SIMPLE  ="));
    EXPECT_FALSE(FITSImageRep::canInitWithData("SIMPL"));
    EXPECT_FALSE(FITSImageRep::canInitWithData("XISF0100"));
}

TEST(FITSImageRep, EightBitGreyKeepsTheFileOrder)
{
    const uint8_t pixels[] = {1, 2, 3, 4};
    const DecodeResult result = FITSImageRep::imageRepsWithData(fitsFile(BYTE_IMG, {2, 2}, TBYTE, pixels));
    ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
    const Bitmap &b = *result.bitmap;
    EXPECT_EQ(b.width, 2);
    EXPECT_EQ(b.height, 2);
    EXPECT_EQ(b.bitsPerSample, 8);
    EXPECT_EQ(b.samplesPerPixel, 1);
    EXPECT_EQ(b.bytesPerRow, 2);
    EXPECT_EQ(b.colourSpace, Bitmap::ColourSpace::Grey);
    EXPECT_EQ(std::vector<uint8_t>(b.pixels, b.pixels + 4), std::vector<uint8_t>({1, 2, 3, 4}));
}

TEST(FITSImageRep, SixteenBitGreyAppliesTheOffset)
{
    const uint16_t pixels[] = {0, 65535, 0x1234};
    const QByteArray file = fitsFile(USHORT_IMG, {3, 1}, TUSHORT, pixels);
    // Stored as signed values with BZERO 32768: 0 is kept as -32768.
    ASSERT_TRUE(file.contains("BZERO   =                32768"));
    EXPECT_EQ(uint8_t(file[2880]), 0x80);
    EXPECT_EQ(uint8_t(file[2881]), 0x00);
    const DecodeResult result = FITSImageRep::imageRepsWithData(file);
    ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
    EXPECT_EQ(result.bitmap->bitsPerSample, 16);
    EXPECT_EQ(result.bitmap->bitsPerPixel, 16);
    EXPECT_EQ(result.bitmap->bytesPerRow, 6);
    EXPECT_EQ(sample16(*result.bitmap, 0), 0);
    EXPECT_EQ(sample16(*result.bitmap, 1), 65535);
    EXPECT_EQ(sample16(*result.bitmap, 2), 0x1234);

    // Signed samples without the offset are read by cfitsio; those of zero and above as they are.
    const int16_t positive[] = {0, 32767, 0x1234};
    const DecodeResult read = FITSImageRep::imageRepsWithData(fitsFile(SHORT_IMG, {3, 1}, TSHORT, positive));
    ASSERT_TRUE(read.bitmap) << read.reason.toStdString();
    EXPECT_EQ(sample16(*read.bitmap, 1), 32767);
    EXPECT_EQ(sample16(*read.bitmap, 2), 0x1234);
}

TEST(FITSImageRep, FramesOfOneSizeReuseTheBufferOfTheFrameBeforeLast)
{
    const QByteArray frame = grey8(64, 64);
    DecodeResult beforeLast = FITSImageRep::imageRepsWithData(frame);
    const DecodeResult last = FITSImageRep::imageRepsWithData(frame);
    ASSERT_TRUE(beforeLast.bitmap && last.bitmap);
    const uint8_t *reused = beforeLast.bitmap->pixels;
    beforeLast.bitmap.reset();
    const DecodeResult next = FITSImageRep::imageRepsWithData(frame);
    ASSERT_TRUE(next.bitmap);
    EXPECT_EQ(next.bitmap->pixels, reused);
    EXPECT_EQ(std::vector<uint8_t>(next.bitmap->pixels, next.bitmap->pixels + 3), std::vector<uint8_t>({1, 2, 3}));
}

TEST(FITSImageRep, CubesBecomeRGBFromTheirFirstThreePlanes)
{
    const uint16_t wide[] = {0x1234, 0xABCD, 0x00FF, 0xFFFF};
    DecodeResult result = FITSImageRep::imageRepsWithData(fitsFile(USHORT_IMG, {1, 1, 4}, TUSHORT, wide));
    ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
    EXPECT_EQ(result.bitmap->bitsPerSample, 8);
    EXPECT_EQ(result.bitmap->samplesPerPixel, 3);
    EXPECT_EQ(result.bitmap->bitsPerPixel, 24);
    EXPECT_EQ(result.bitmap->colourSpace, Bitmap::ColourSpace::RGB);
    EXPECT_EQ(std::vector<uint8_t>(result.bitmap->pixels, result.bitmap->pixels + 3),
              std::vector<uint8_t>({0x12, 0xAB, 0x00}));

    const uint8_t narrow[] = {1, 2, 10, 20, 100, 200}; // 2 x 1 pixels, 3 planes
    result = FITSImageRep::imageRepsWithData(fitsFile(BYTE_IMG, {2, 1, 3}, TBYTE, narrow));
    ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
    EXPECT_EQ(result.bitmap->bytesPerRow, 6);
    EXPECT_EQ(std::vector<uint8_t>(result.bitmap->pixels, result.bitmap->pixels + 6),
              std::vector<uint8_t>({1, 10, 100, 2, 20, 200}));
}

TEST(FITSImageRep, RefusesUnsupportedImages)
{
    const float floats[] = {1, 2, 3, 4};
    const int32_t longs[] = {1, 2, 3, 4};
    const int16_t negative[] = {-5, 7, 1, 2};
    const uint8_t line[] = {1, 2, 3, 4};
    const struct {
        const char *name;
        QByteArray data;
    } cases[] = {
        {"NAXIS 0", fitsFile(BYTE_IMG, {}, TBYTE, nullptr)},
        {"NAXIS 1", fitsFile(BYTE_IMG, {4}, TBYTE, line)},
        {"NAXIS 4", fitsFile(BYTE_IMG, {1, 1, 2, 2}, TBYTE, line)},
        {"BITPIX -32", fitsFile(FLOAT_IMG, {2, 2}, TFLOAT, floats)},
        {"BITPIX 32", fitsFile(LONG_IMG, {2, 2}, TINT, longs)},
        {"cube of two planes", fitsFile(BYTE_IMG, {2, 1, 2}, TBYTE, line)},
        {"signed 16-bit below zero", fitsFile(SHORT_IMG, {2, 2}, TSHORT, negative)},
        {"not FITS at all", QByteArray("SIMPLE but nothing else")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fixtures::expectNoBitmap(FITSImageRep::imageRepsWithData(c.data));
    }
}

TEST(FITSImageRep, RefusesDataShorterThanTheHeaderPromises)
{
    const QByteArray long8 = grey8(28900, 1); // 28900 data bytes padded to 11 blocks
    const QByteArray small = grey8(100, 10);
    const struct {
        const char *name;
        QByteArray data;
    } cases[] = {
        {"padding short by one byte", long8.chopped(1)},
        {"pixels cut by 40 bytes", long8.left(2880 + 28900 - 40)},
        {"pixels cut by 5 KB", long8.chopped(5000)},
        {"header only", small.left(2880)},
        {"header lies about the width", withCard(small, "NAXIS1", 100000)},
        {"header lies about both axes", withCard(withCard(small, "NAXIS1", 100000), "NAXIS2", 100000)},
        {"header declares a huge image", withCard(withCard(small, "NAXIS1", 4000000000LL), "NAXIS2", 4000000000LL)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(FITSImageRep::imageRepsWithData(c.data).bitmap);
    }
    EXPECT_TRUE(FITSImageRep::imageRepsWithData(long8).bitmap);
}

TEST(FITSImageRep, FailuresReleaseTheirFiles)
{
    // cfitsio has a fixed number of memory-file slots: a file left open on a failing path
    // would use them up and make every later decode fail.
    const float floats[] = {1, 2, 3, 4};
    const QByteArray unsupported = fitsFile(FLOAT_IMG, {2, 2}, TFLOAT, floats);
    for (int i = 0; i < 10001; ++i)
        ASSERT_FALSE(FITSImageRep::imageRepsWithData(unsupported).bitmap);
    EXPECT_TRUE(FITSImageRep::imageRepsWithData(grey8(4, 4)).bitmap);
}
