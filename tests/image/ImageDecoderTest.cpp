#include "ImageFixtures.h"

#include "image/ImageDecoder.h"
#include "image/ImageRepRegistry.h"
#include "image/PlatformImageDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <fitsio.h>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(const QImage &image, const char *format, int quality = -1)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return out;
}

std::vector<int> bytesAt(const Bitmap &b, int64_t x, int64_t y, int count)
{
    const uint8_t *p = b.pixels + y * b.bytesPerRow + x * b.bitsPerPixel / 8;
    return std::vector<int>(p, p + count);
}

} // namespace

TEST(ImageRepRegistry, RegistersRawFitsXisfOnce)
{
    ImageRepRegistry::registerImageRepClasses();
    ImageRepRegistry::registerImageRepClasses();
    std::vector<std::string> names;
    for (const ImageRepClass &c : ImageRepRegistry::registeredClasses())
        names.emplace_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"raw", "fits", "xisf"}));
}

TEST(ImageDecoder, PicksTheDecoderByFormatThenSignature)
{
    const uint8_t grey[] = {1, 2, 3, 4};
    QImage png(2, 2, QImage::Format_Grayscale8);
    png.fill(9);
    const struct {
        const char *name;
        QByteArray data;
        QString format;
        const char *decoder;
        bool decodes;
    } cases[] = {
        {"raw", fixtures::rawFile("RAW1", 2, 2, QByteArray(4, 'x')), ".bin", "raw", true},
        {"raw under another format", fixtures::rawFile("RAW1", 2, 2, QByteArray(4, 'x')), ".fits", "raw", true},
        {"claimed raw that fails does not fall through", fixtures::rawFile("RAW9", 2, 2, QByteArray(4, 'x')), ".raw", "raw", false},
        {"FITS", fixtures::fitsFile(BYTE_IMG, {2, 2}, TBYTE, grey), ".fits", "fits", true},
        {"XISF", fixtures::xisfFile(R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="attachment:512:4"/>)", 512, QByteArray(4, 'x')), ".xisf", "xisf", true},
        {"PNG", encoded(png, "png"), ".png", "platform", true},
        {"camera raw by format", QByteArray("garbage"), ".nef", "camera raw", false},
        {"camera raw ARW", fixtures::rawFile("RAW1", 2, 2, QByteArray(4, 'x')), ".arw", "camera raw", false},
        {"unknown bytes", QByteArray("nothing that decodes"), ".fits", "platform", false},
        {"empty", QByteArray(), "", "platform", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedBitmap decoded = ImageDecoder::decode(c.data, c.format);
        EXPECT_EQ(decoded.decoder.toStdString(), c.decoder);
        EXPECT_EQ(bool(decoded.result.bitmap), c.decodes) << decoded.result.reason.toStdString();
        EXPECT_EQ(decoded.result.reason.isEmpty(), c.decodes);
    }
}

TEST(PlatformImageDecoder, PaddedGreyRowsKeepTheirStride)
{
    QImage grey(5, 2, QImage::Format_Grayscale8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            grey.scanLine(y)[x] = uchar(10 * (y * 5 + x));
    const DecodeResult result = PlatformImageDecoder::decode(encoded(grey, "png"));
    ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
    EXPECT_EQ(result.bitmap->bitsPerPixel, 8);
    EXPECT_EQ(result.bitmap->bytesPerRow, 8);
    EXPECT_EQ(bytesAt(*result.bitmap, 0, 1, 5), (std::vector<int>{50, 60, 70, 80, 90}));
}

TEST(PlatformImageDecoder, NormalisesQtFormats)
{
    QImage rgb(2, 1, QImage::Format_RGB32);
    rgb.setPixel(0, 0, qRgb(10, 20, 30));
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(10, 20, 30, 40));
    QImage wide(2, 1, QImage::Format_RGBX64);
    wide.setPixelColor(0, 0, QColor::fromRgba64(0x1000, 0x2000, 0x3000));
    QImage grey16(2, 1, QImage::Format_Grayscale16);
    reinterpret_cast<uint16_t *>(grey16.scanLine(0))[0] = 0x1234;
    QImage indexedGrey(2, 1, QImage::Format_Indexed8);
    indexedGrey.setColorTable({qRgb(0, 0, 0), qRgb(77, 77, 77)});
    indexedGrey.fill(1);
    QImage indexedColour = indexedGrey;
    indexedColour.setColorTable({qRgb(0, 0, 0), qRgb(1, 2, 3)});
    const struct {
        const char *name;
        QImage image;
        int bitsPerSample, samplesPerPixel, bitsPerPixel;
        std::vector<int> firstBytes;
    } cases[] = {
        {"RGB32 becomes RGBX", rgb, 8, 3, 32, {10, 20, 30, 255}},
        {"ARGB32 becomes RGBA", argb, 8, 4, 32, {10, 20, 30, 40}},
        {"RGBX64 becomes 48-bit", wide, 16, 3, 48, {0x00, 0x10, 0x00, 0x20, 0x00, 0x30}},
        {"16-bit grey", grey16, 16, 1, 16, {0x34, 0x12}},
        {"grey palette", indexedGrey, 8, 1, 8, {77}},
        {"colour palette", indexedColour, 8, 3, 24, {1, 2, 3}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Bitmap> bitmap = PlatformImageDecoder::bitmapFromImage(c.image);
        ASSERT_TRUE(bitmap);
        EXPECT_EQ(bitmap->bitsPerSample, c.bitsPerSample);
        EXPECT_EQ(bitmap->samplesPerPixel, c.samplesPerPixel);
        EXPECT_EQ(bitmap->bitsPerPixel, c.bitsPerPixel);
        EXPECT_FALSE(bitmap->alphaFirst);
        EXPECT_EQ(bytesAt(*bitmap, 0, 0, int(c.firstBytes.size())), c.firstBytes);
    }
    EXPECT_FALSE(PlatformImageDecoder::bitmapFromImage(QImage()));
}

TEST(PlatformImageDecoder, OpensA45MegapixelJpeg)
{
    QImage big(8256, 5504, QImage::Format_Grayscale8);
    big.fill(128);
    const QByteArray jpeg = encoded(big, "jpeg", 10);
    big = QImage();
    const DecodeResult result = PlatformImageDecoder::decode(jpeg);
    ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
    EXPECT_EQ(result.bitmap->width, 8256);
    EXPECT_EQ(result.bitmap->height, 5504);
    EXPECT_EQ(QImageReader::allocationLimit(), PlatformImageDecoder::ALLOCATION_LIMIT_MB);
}
