#include "ImageFixtures.h"

#include "core/Globals.h"
#include "image/CurrentAppearance.h"
#include "image/Image.h"

#include <QDir>
#include <QSettings>

#include <fitsio.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// 8 x 2 grey: every sampled pixel (0, 4, 8, 12) is listed; the others are 77.
QByteArray greyRaw(std::initializer_list<int> sampled)
{
    QByteArray pixels(16, char(77));
    int i = 0;
    for (int value : sampled)
        pixels[4 * i++] = char(value);
    return fixtures::rawFile("RAW1", 8, 2, pixels);
}

QRgb pixel(const QImage &image, int x, int y = 0)
{
    return image.pixel(x, y);
}

class HighlightSetting : public testing::Test {
protected:
    void TearDown() override { defaults().remove(QStringLiteral("highlightOverexposure")); }
};

} // namespace

TEST(Image, FailedDecodingLeavesAnEmptyImage)
{
    Image image(QByteArray("not an image"), QStringLiteral(".FITS"));
    EXPECT_FALSE(image.originalImageRep());
    EXPECT_FALSE(image.imageStatistics());
    EXPECT_EQ(image.autoBlackPoint(), 0);
    EXPECT_EQ(image.autoWhitePoint(), 65535);
    EXPECT_TRUE(image.image().isNull());
    EXPECT_TRUE(image.histogram().isNull());
    EXPECT_FALSE(image.failureReason().isEmpty());
    EXPECT_EQ(image.format(), QStringLiteral(".fits"));
    EXPECT_EQ(image.data(), QByteArray("not an image"));
}

TEST(Image, TooSmallBitmapHasNoStatistics)
{
    Image image(fixtures::rawFile("RAW1", 3, 1, QByteArray(3, 'x')), QStringLiteral(".raw"));
    EXPECT_TRUE(image.originalImageRep());
    EXPECT_FALSE(image.imageStatistics());
    EXPECT_EQ(image.autoWhitePoint(), 65535);
    EXPECT_TRUE(image.histogram().isNull());
}

TEST(Image, CameraRawFormatsGoThroughLibRawFromMemory)
{
    const QStringList before = QDir::temp().entryList({QStringLiteral("tmp.*")});
    const QByteArray dng = fixtures::dngFile(64, 48);
    for (const char *format : {".nef", ".NEF", ".Arw"}) {
        SCOPED_TRACE(format);
        Image image(dng, QString::fromLatin1(format));
        EXPECT_EQ(image.decoder(), QStringLiteral("camera raw"));
        ASSERT_TRUE(image.originalImageRep()) << image.failureReason().toStdString();
        EXPECT_EQ(image.width(), 64);
        EXPECT_EQ(image.height(), 48);
        EXPECT_EQ(image.bitsPerPixel(), 24);
        EXPECT_TRUE(image.imageStatistics());

        Image garbage(fixtures::rawFile("RAW1", 2, 2, QByteArray(4, 'x')), QString::fromLatin1(format));
        EXPECT_EQ(garbage.decoder(), QStringLiteral("camera raw"));
        EXPECT_FALSE(garbage.originalImageRep()); // no second try through the other decoders
        EXPECT_FALSE(garbage.failureReason().isEmpty());
    }
    EXPECT_EQ(QDir::temp().entryList({QStringLiteral("tmp.*")}), before);
}

TEST(Image, StatisticsPointsAndRendering)
{
    Image image(greyRaw({10, 100, 200, 255}), QStringLiteral(".raw"));
    ASSERT_TRUE(image.imageStatistics());
    EXPECT_EQ(image.decoder(), QStringLiteral("raw"));
    EXPECT_EQ(image.width(), 8);
    EXPECT_EQ(image.height(), 2);
    EXPECT_EQ(image.size(), 16);
    EXPECT_EQ(image.bitsPerPixel(), 8);
    EXPECT_EQ(image.imageStatistics()->average, (10 + 100 + 200 + 255) / 4);
    EXPECT_EQ(image.autoBlackPoint(), 10);
    EXPECT_EQ(image.autoWhitePoint(), 255);
    EXPECT_EQ(image.histogram().size(), QSize(256, 128));

    image.setBlackPoint(image.autoBlackPoint());
    image.setWhitePoint(image.autoWhitePoint());
    const QImage first = image.image();
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.format(), QImage::Format_RGB32);
    EXPECT_EQ(first.size(), QSize(8, 2));
    EXPECT_EQ(pixel(first, 0), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(first, 4), qRgb(94, 94, 94)); // (100 - 10) / (245 / 256) = 94.04...
    EXPECT_EQ(pixel(first, 4, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.image().constBits(), first.constBits()); // cached

    image.setWhitePoint(138);
    const QImage second = image.image();
    EXPECT_EQ(pixel(second, 4), qRgb(180, 180, 180)); // (100 - 10) / (128 / 256)
    EXPECT_EQ(pixel(first, 4), qRgb(94, 94, 94));
}

TEST_F(HighlightSetting, OffPaintsSaturatedPixelsWhite)
{
    defaults().setValue(QStringLiteral("highlightOverexposure"), false);
    Image image(greyRaw({10, 100, 200, 255}), QStringLiteral(".raw"));
    image.setBlackPoint(0);
    image.setWhitePoint(255);
    EXPECT_EQ(pixel(image.image(), 4, 1), qRgb(255, 255, 255));
}

TEST(Image, HistogramPictureUsesTheCurrentAppearance)
{
    QPalette palette;
    palette.setColor(QPalette::Text, QColor(0, 200, 0));
    setCurrentAppearance(palette);
    Image image(greyRaw({0, 0, 0, 0}), QStringLiteral(".raw"));
    const QImage picture = image.histogram();
    ASSERT_FALSE(picture.isNull());
    // Bin 0 holds every sample: the picture is filled from the bottom to past the top there.
    EXPECT_EQ(QColor(picture.pixel(0, 127)).green(), 200);
    EXPECT_EQ(qAlpha(picture.pixel(128, 0)), 0);
}

TEST(Image, DecodesOnSeveralThreadsAtOnce)
{
    // BLOB items of different devices may be decoded on different threads: cfitsio, the registry
    // and the settings reader must bear it.
    const uint16_t samples[] = {1, 2, 3, 4, 5, 6, 7, 65535};
    const QByteArray fits = fixtures::fitsFile(USHORT_IMG, {4, 2}, TUSHORT, samples);
    std::vector<std::thread> threads;
    std::atomic<int> decoded{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                Image image(fits, QStringLiteral(".fits"));
                image.setBlackPoint(0);
                image.setWhitePoint(65535);
                if (!image.image().isNull())
                    ++decoded;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(decoded, 200);
}
