#include "ImageFixtures.h"

#include "image/RawImageRep.h"

#include <gtest/gtest.h>

using fixtures::bytes;
using fixtures::rawFile;

TEST(RawImageRep, ClaimsDataBeginningWithRaw)
{
    const struct {
        QByteArray data;
        bool claimed;
    } cases[] = {
        {"RAW1", true}, {"RAW9 and more", true}, {"RAW", true}, {"RA", false}, {"", false}, {"SIMPLE", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.data.toStdString());
        EXPECT_EQ(RawImageRep::canInitWithData(c.data), c.claimed);
    }
}

TEST(RawImageRep, DecodesEachSignatureWithoutCopying)
{
    const struct {
        const char *signature;
        int bitsPerSample, samplesPerPixel, bitsPerPixel;
        Bitmap::ColourSpace colour;
    } cases[] = {
        {"RAW1", 8, 1, 8, Bitmap::ColourSpace::Grey},
        {"RAW2", 16, 1, 16, Bitmap::ColourSpace::Grey},
        {"RAW3", 8, 3, 24, Bitmap::ColourSpace::RGB},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.signature);
        const QByteArray data = rawFile(c.signature, 3, 2, QByteArray(3 * 2 * c.bitsPerPixel / 8, '\x07'));
        const DecodeResult result = RawImageRep::imageRepsWithData(data);
        ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
        EXPECT_EQ(result.bitmap->width, 3);
        EXPECT_EQ(result.bitmap->height, 2);
        EXPECT_EQ(result.bitmap->bitsPerSample, c.bitsPerSample);
        EXPECT_EQ(result.bitmap->samplesPerPixel, c.samplesPerPixel);
        EXPECT_EQ(result.bitmap->bitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(result.bitmap->bytesPerRow, 3 * c.bitsPerPixel / 8);
        EXPECT_EQ(result.bitmap->colourSpace, c.colour);
        EXPECT_EQ(result.bitmap->pixels, reinterpret_cast<const uint8_t *>(data.constData()) + 12);
    }
}

TEST(RawImageRep, SixteenBitSamplesAreLittleEndian)
{
    const DecodeResult result = RawImageRep::imageRepsWithData(rawFile("RAW2", 1, 1, bytes({0x34, 0x12})));
    ASSERT_TRUE(result.bitmap);
    EXPECT_EQ(result.bitmap->pixels[0] | result.bitmap->pixels[1] << 8, 0x1234);
}

TEST(RawImageRep, RefusesShortOrLyingData)
{
    const struct {
        const char *name;
        QByteArray data;
    } cases[] = {
        {"header of 11 bytes", rawFile("RAW1", 1, 1, {}).left(11)},
        {"RAW3 4x4 with 47 pixel bytes", rawFile("RAW3", 4, 4, QByteArray(47, '\0'))},
        {"RAW2 one byte short", rawFile("RAW2", 3, 3, QByteArray(17, '\0'))},
        {"unknown fourth character", rawFile("RAW9", 1, 1, QByteArray(3, '\0'))},
        {"zero width", rawFile("RAW1", 0, 5, QByteArray(5, '\0'))},
        {"zero height", rawFile("RAW1", 5, 0, QByteArray(5, '\0'))},
        {"largest dimensions", rawFile("RAW3", 0xffffffffu, 0xffffffffu, {})},
        {"product wraps 32 bits", rawFile("RAW1", 0x10000, 0x10000, QByteArray(16, '\0'))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fixtures::expectNoBitmap(RawImageRep::imageRepsWithData(c.data));
    }
}

TEST(RawImageRep, AcceptsExactlyTheBytesItNeeds)
{
    EXPECT_TRUE(RawImageRep::imageRepsWithData(rawFile("RAW3", 4, 4, QByteArray(48, '\0'))).bitmap);
    EXPECT_TRUE(RawImageRep::imageRepsWithData(rawFile("RAW1", 2, 1, bytes({5, 6}))).bitmap);
}
