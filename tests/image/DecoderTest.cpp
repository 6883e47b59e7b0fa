// Every decoder through the one decode entry: which one claims the data, what shape of bitmap it
// makes and its first bytes, or that it refuses short, lying or unsupported data with a reason.
#include "ImageFixtures.h"

#include "image/FITSImageRep.h"
#include "image/ImageDecoder.h"
#include "image/ImageRepRegistry.h"
#include "image/PlatformImageDecoder.h"

#include <QImageReader>

#include <fitsio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>

using namespace fixtures;

namespace {

// Width, height, bits per sample, samples per pixel, bits per pixel, bytes per row.
using Shape = std::array<int64_t, 6>;
Shape shapeOf(const Bitmap &b) {
  return {b.width, b.height, b.bitsPerSample, b.samplesPerPixel, b.bitsPerPixel, b.bytesPerRow};
}
std::vector<int> bytesAt(const Bitmap &b, size_t count, int64_t row = 0) {
  const uint8_t *p = b.pixels + row * b.bytesPerRow;
  return std::vector<int>(p, p + count);
}

QByteArray grey8(long width, long height) {
  std::vector<uint8_t> pixels(size_t(width * height));
  std::iota(pixels.begin(), pixels.end(), uint8_t(1));
  return fitsFile(BYTE_IMG, {width, height}, TBYTE, pixels.data());
}

// Replaces the value of a FITS header card (columns 11 to 30, right-justified).
QByteArray withCard(QByteArray file, const QByteArray &keyword, long long value) {
  return file.replace(file.indexOf(keyword.leftJustified(8, ' ') + "= ") + 10, 20,
                      QByteArray::number(value).rightJustified(20, ' '));
}

QByteArray xisf(const char *elements, const QByteArray &block = {}) {
  QByteArray counting(64, 0);
  std::iota(counting.begin(), counting.end(), char(1));
  return xisfFile(QString::fromUtf8(elements), 512, block.isEmpty() ? counting : block);
}

struct Case {
  const char *name;
  QByteArray data;
  const char *format, *decoder;
  std::optional<Shape> shape;
  std::vector<int> first = {};
};

TEST(ImageDecoder, DecodesOrRefuses) {
  ImageRepRegistry::registerImageRepClasses();  // again: nothing is registered twice
  std::vector<std::string> names;
  for (const ImageRepClass &c : ImageRepRegistry::registeredClasses()) names.emplace_back(c.name);
  EXPECT_EQ(names, (std::vector<std::string>{"raw", "fits", "xisf"}));

  const uint8_t grey[] = {1, 2, 3, 4}, planes[] = {1, 2, 10, 20, 100, 200};
  const uint16_t unsigned16[] = {0, 65535, 0x1234}, cube16[] = {0x1234, 0xABCD, 0x00FF, 0xFFFF};
  const int16_t positive[] = {0, 32767, 0x1234}, negative[] = {-5, 7, 1, 2};
  const float floats[] = {1, 2, 3, 4};
  const QByteArray long8 = grey8(28900, 1), small = grey8(100, 10);  // 28900 data bytes padded to 11 blocks
  QImage png(2, 2, QImage::Format_Grayscale8), colour(2, 1, QImage::Format_RGB32);
  png.fill(9);
  colour.fill(qRgb(10, 20, 30));
  const std::nullopt_t NONE = std::nullopt;
  const Case cases[] = {
      {"RAW1", rawFile("RAW1", 3, 2, QByteArray(6, 7)), ".bin", "raw", Shape{3, 2, 8, 1, 8, 3}, {7}},
      {"RAW2 little-endian",
       rawFile("RAW2", 1, 1, bytes({0x34, 0x12})),
       ".raw",
       "raw",
       Shape{1, 1, 16, 1, 16, 2},
       {0x34, 0x12}},
      {"RAW3 under another format", rawFile("RAW3", 4, 4, QByteArray(48, 7)), ".fits", "raw",
       Shape{4, 4, 8, 3, 24, 12}},
      {"RAW3 one byte short", rawFile("RAW3", 4, 4, QByteArray(47, 0)), ".raw", "raw", NONE},
      {"raw header of 11 bytes", rawFile("RAW1", 1, 1, {}).left(11), ".raw", "raw", NONE},
      {"raw claimed by its first three letters", rawFile("RAW9", 1, 1, QByteArray(3, 0)), ".raw", "raw", NONE},
      {"raw without pixels", rawFile("RAW1", 0, 5, QByteArray(5, 0)), ".raw", "raw", NONE},
      {"raw largest dimensions", rawFile("RAW3", 0xffffffffu, 0xffffffffu, {}), ".raw", "raw", NONE},
      {"raw product wraps 32 bits", rawFile("RAW1", 0x10000, 0x10000, QByteArray(16, 0)), ".raw", "raw", NONE},
      {"FITS 8-bit in file order",
       fitsFile(BYTE_IMG, {2, 2}, TBYTE, grey),
       ".fits",
       "fits",
       Shape{2, 2, 8, 1, 8, 2},
       {1, 2, 3, 4}},
      {"FITS unsigned 16-bit with BZERO",
       fitsFile(USHORT_IMG, {3, 1}, TUSHORT, unsigned16),
       ".fits",
       "fits",
       Shape{3, 1, 16, 1, 16, 6},
       {0, 0, 255, 255, 0x34, 0x12}},
      {"FITS signed 16-bit of zero and above",
       fitsFile(SHORT_IMG, {3, 1}, TSHORT, positive),
       ".fits",
       "fits",
       Shape{3, 1, 16, 1, 16, 6},
       {0, 0, 255, 127, 0x34, 0x12}},
      {"FITS 8-bit offset by 32768 does not fit 8-bit samples",
       fitsFile(BYTE_IMG, {2, 2}, TBYTE, grey, {{"BZERO", 32768}}), ".fits", "fits", NONE},
      {"FITS 8-bit scaled by -1",
       fitsFile(BYTE_IMG, {2, 2}, TBYTE, grey, {{"BZERO", 255}, {"BSCALE", -1}}),
       ".fits",
       "fits",
       Shape{2, 2, 8, 1, 8, 2},
       {254, 253, 252, 251}},
      {"FITS 16-bit scaled by -1 around 32767",
       fitsFile(SHORT_IMG, {3, 1}, TSHORT, positive, {{"BZERO", 32767}, {"BSCALE", -1}}),
       ".fits",
       "fits",
       Shape{3, 1, 16, 1, 16, 6},
       {0xff, 0x7f, 0, 0, 0xcb, 0x6d}},
      {"FITS 16-bit cube as RGB of the high bytes",
       fitsFile(USHORT_IMG, {1, 1, 4}, TUSHORT, cube16),
       ".fits",
       "fits",
       Shape{1, 1, 8, 3, 24, 3},
       {0x12, 0xAB, 0}},
      {"FITS 8-bit cube interleaved",
       fitsFile(BYTE_IMG, {2, 1, 3}, TBYTE, planes),
       ".fits",
       "fits",
       Shape{2, 1, 8, 3, 24, 6},
       {1, 10, 100, 2, 20, 200}},
      {"FITS tile-compressed",
       fpacked(fitsFile(BYTE_IMG, {2, 2}, TBYTE, grey)),
       ".fits.fz",
       "fits",
       Shape{2, 2, 8, 1, 8, 2},
       {1, 2, 3, 4}},
      {"FITS padding exact", long8, ".fits", "fits", Shape{28900, 1, 8, 1, 8, 28900}},
      {"FITS NAXIS 0", fitsFile(BYTE_IMG, {}, TBYTE, nullptr), ".fits", "fits", NONE},
      {"FITS NAXIS 4", fitsFile(BYTE_IMG, {1, 1, 2, 2}, TBYTE, grey), ".fits", "fits", NONE},
      {"FITS BITPIX -32", fitsFile(FLOAT_IMG, {2, 2}, TFLOAT, floats), ".fits", "fits", NONE},
      {"FITS cube of two planes", fitsFile(BYTE_IMG, {2, 1, 2}, TBYTE, grey), ".fits", "fits", NONE},
      {"FITS signed 16-bit below zero", fitsFile(SHORT_IMG, {2, 2}, TSHORT, negative), ".fits", "fits", NONE},
      {"FITS in name only", QByteArray("SIMPLE but nothing else"), ".fits", "fits", NONE},
      {"FITS padding short by one byte", long8.chopped(1), ".fits", "fits", NONE},
      {"FITS header only", small.left(2880), ".fits", "fits", NONE},
      {"FITS header lies about the width", withCard(small, "NAXIS1", 100000), ".fits", "fits", NONE},
      {"FITS header declares a huge image", withCard(withCard(small, "NAXIS1", 4000000000LL), "NAXIS2", 4000000000LL),
       ".fits", "fits", NONE},
      {"XISF 16-bit grey",
       xisf(R"(<Image geometry="4:2:1" sampleFormat="UInt16" location="attachment:512:16"/>)"),
       ".xisf",
       "xisf",
       Shape{4, 2, 16, 1, 16, 8},
       {1, 2}},
      {"XISF empty geometry pieces dropped",
       xisf(R"(<Image geometry="4::2:1" sampleFormat="UInt8" location="attachment:512:8"/>)"), "", "xisf",
       Shape{4, 2, 8, 1, 8, 4}},
      {"XISF interleaved colour",
       xisf(R"(<Image geometry="2:2:3" sampleFormat="UInt8" pixelStorage="Normal" location="attachment:512:12"/>)"),
       "",
       "xisf",
       Shape{2, 2, 8, 3, 24, 6},
       {1, 2, 3}},
      {"XISF planar colour interleaved",
       xisf(R"(<Image geometry="2:1:3" sampleFormat="UInt8" location="attachment:512:6"/>)",
            bytes({10, 11, 20, 21, 30, 31})),
       "",
       "xisf",
       Shape{2, 1, 8, 3, 24, 6},
       {10, 20, 30, 11, 21, 31}},
      {"XISF two 8-bit channels as 16-bit grey",
       xisf(R"(<Image geometry="2:2:2" sampleFormat="UInt8" pixelStorage="Normal" location="attachment:512:8"/>)"), "",
       "xisf", Shape{2, 2, 16, 1, 16, 4}},
      {"XISF two planar 8-bit channels",
       xisf(R"(<Image geometry="2:2:2" sampleFormat="UInt8" location="attachment:512:8"/>)"), "", "xisf",
       Shape{2, 2, 16, 1, 16, 4}},
      {"XISF later element's geometry, earlier offset",
       xisf(R"(<Image geometry="8:8:1" sampleFormat="UInt8" location="attachment:512:64"/><Image geometry="2:3:1"/>)"),
       "",
       "xisf",
       Shape{2, 3, 8, 1, 8, 2},
       {1}},
      {"XISF broken XML after the element",
       xisf(R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="attachment:512:4"/><Broken <<)"), "", "xisf",
       Shape{2, 2, 8, 1, 8, 2}},
      {"XISF plus sign, no size", xisf(R"(<Image geometry="+2:2:1" sampleFormat="UInt8" location="attachment:512"/>)"),
       "", "xisf", Shape{2, 2, 8, 1, 8, 2}},
      {"XISF little-endian stated",
       xisf(R"(<Image geometry="2:2:1" sampleFormat="UInt16" byteOrder="little" location="attachment:512:8"/>)"), "",
       "xisf", Shape{2, 2, 16, 1, 16, 4}},
      {"XISF no Image element", xisf(R"(<Metadata/>)"), "", "xisf", NONE},
      {"XISF prefixed element", xisf(R"(<x:Image geometry="2:2:1" sampleFormat="UInt8" location="attachment:512:4"/>)"),
       "", "xisf", NONE},
      {"XISF Float32 samples", xisf(R"(<Image geometry="2:2:1" sampleFormat="Float32" location="attachment:512:16"/>)"),
       "", "xisf", NONE},
      {"XISF three 16-bit channels",
       xisf(R"(<Image geometry="2:2:3" sampleFormat="UInt16" pixelStorage="Normal" location="attachment:512:24"/>)"),
       "", "xisf", NONE},
      {"XISF geometry of two pieces",
       xisf(R"(<Image geometry="2:2" sampleFormat="UInt8" location="attachment:512:4"/>)"), "", "xisf", NONE},
      {"XISF short geometry after a full one",
       xisf(R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="attachment:512:4"/><Image geometry="2"/>)"), "",
       "xisf", NONE},
      {"XISF empty location", xisf(R"(<Image geometry="2:2:1" sampleFormat="UInt8" location=":"/>)"), "", "xisf", NONE},
      {"XISF attachment without position",
       xisf(R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="attachment"/>)"), "", "xisf", NONE},
      {"XISF inline data",
       xisf(R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="inline:base64">AQIDBA==</Image>)"), "", "xisf",
       NONE},
      {"XISF external URL",
       xisf(R"x(<Image geometry="2:2:1" sampleFormat="UInt8" location="url(http://127.0.0.1/x.xisb)"/>)x"), "", "xisf",
       NONE},
      {"XISF compressed block",
       xisf(R"(<Image geometry="2:2:1" sampleFormat="UInt8" compression="zlib:4" location="attachment:512:4"/>)"), "",
       "xisf", NONE},
      {"XISF big-endian 16-bit",
       xisf(R"(<Image geometry="2:2:1" sampleFormat="UInt16" byteOrder="big" location="attachment:512:8"/>)"), "",
       "xisf", NONE},
      {"XISF attachment smaller than the image",
       xisf(R"(<Image geometry="4:4:1" sampleFormat="UInt8" location="attachment:512:15"/>)"), "", "xisf", NONE},
      {"XISF negative width (numbers are read strictly)",
       xisf(R"(<Image geometry="-2:2:1" sampleFormat="UInt8" location="attachment:512:4"/>)"), "", "xisf", NONE},
      {"XISF number with trailing text",
       xisf(R"(<Image geometry="2x:2:1" sampleFormat="UInt8" location="attachment:512:4"/>)"), "", "xisf", NONE},
      {"XISF offset past the data",
       xisf(R"(<Image geometry="2:2:1" sampleFormat="UInt8" location="attachment:9999:4"/>)"), "", "xisf", NONE},
      {"XISF dimensions that overflow",
       xisf(
           R"(<Image geometry="4294967296:4294967296:3" sampleFormat="UInt8" pixelStorage="Normal" location="attachment:512"/>)"),
       "", "xisf", NONE},
      {"XISF channels that overflow",
       xisf(R"(<Image geometry="1:1:9223372036854775807" sampleFormat="UInt16" location="attachment:512"/>)"), "",
       "xisf", NONE},
      {"XISF attachment one byte short",
       xisf(R"(<Image geometry="4:2:1" sampleFormat="UInt16" location="attachment:512:16"/>)", QByteArray(15, 0)), "",
       "xisf", NONE},
      {"XISF cut in the preamble", xisf("").left(12), "", "xisf", NONE},
      {"XISF header length beyond the data", xisf("").replace(11, 1, "\x7f"), "", "xisf", NONE},
      {"PNG", encoded(png, "png"), ".png", "platform", Shape{2, 2, 8, 1, 8, 4}, {9, 9}},
      {"TIFF", greyTiff(3, 2, bytes({1, 2, 3, 4, 5, 6})), ".tiff", "platform", Shape{3, 2, 8, 1, 8, 4}, {1, 2, 3}},
      {"WebP", encoded(colour, "webp", 100), ".webp", "platform", Shape{2, 1, 8, 3, 32, 8}, {10, 20, 30, 255}},
      {"DNG by its content", dngFile(64, 48), ".fits", "camera raw", Shape{64, 48, 8, 3, 24, 192}},
      {"DNG cut in its directories: neither LibRaw nor Qt reads it", dngFile(64, 48).chopped(100), ".dng", "platform",
       NONE},
      {"XISF signature of another version", "XISF0200....", "", "platform", NONE},
      {"camera raw by format alone", rawFile("RAW1", 2, 2, QByteArray(4, 'x')), ".arw", "camera raw", NONE},
      {"unknown bytes", "RA nothing that decodes", ".fits", "platform", NONE},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const DecodedBitmap decoded = ImageDecoder::decode(c.data, QString::fromLatin1(c.format));
    EXPECT_EQ(decoded.decoder.toStdString(), c.decoder);
    ASSERT_EQ(decoded.result.bitmap.has_value(), c.shape.has_value()) << decoded.result.reason.toStdString();
    EXPECT_EQ(decoded.result.reason.isEmpty(), c.shape.has_value());
    if (!c.shape) continue;
    EXPECT_EQ(shapeOf(*decoded.result.bitmap), *c.shape);
    EXPECT_EQ(decoded.result.bitmap->colourSpace,
              c.shape->at(3) == 3 ? Bitmap::ColourSpace::RGB : Bitmap::ColourSpace::Grey);
    EXPECT_EQ(bytesAt(*decoded.result.bitmap, c.first.size()), c.first);
  }
}

TEST(ImageDecoder, RawAndXISFPointIntoTheData) {
  const QByteArray raw = rawFile("RAW1", 2, 1, bytes({5, 6})),
                   xisfData = xisf(R"(<Image geometry="4:2:1" sampleFormat="UInt8" location="attachment:512:8"/>)");
  EXPECT_EQ(ImageDecoder::decode(raw, {}).result.bitmap->pixels,
            reinterpret_cast<const uint8_t *>(raw.constData()) + 12);
  EXPECT_EQ(ImageDecoder::decode(xisfData, {}).result.bitmap->pixels,
            reinterpret_cast<const uint8_t *>(xisfData.constData()) + 512);
}

// Frames of one size reuse the buffer of the frame before last; failures close their memory
// files, of which cfitsio has a fixed number, so none are used up.
TEST(FITSImageRep, ReusesBuffersAndReleasesFiles) {
  EXPECT_EQ(fits_is_reentrant(), 1);
  const QByteArray frame = grey8(64, 64);
  DecodeResult beforeLast = FITSImageRep::imageRepsWithData(frame);
  const DecodeResult last = FITSImageRep::imageRepsWithData(frame);
  ASSERT_TRUE(beforeLast.bitmap && last.bitmap);
  const uint8_t *reused = beforeLast.bitmap->pixels;
  beforeLast.bitmap.reset();
  const DecodeResult next = FITSImageRep::imageRepsWithData(frame);
  ASSERT_TRUE(next.bitmap);
  EXPECT_EQ(next.bitmap->pixels, reused);
  EXPECT_EQ(bytesAt(*next.bitmap, 3), (std::vector<int>{1, 2, 3}));

  const float floats[] = {1, 2, 3, 4};
  const QByteArray unsupported = fitsFile(FLOAT_IMG, {2, 2}, TFLOAT, floats);
  for (int i = 0; i < 10001; ++i) ASSERT_FALSE(FITSImageRep::imageRepsWithData(unsupported).bitmap);
  EXPECT_TRUE(FITSImageRep::imageRepsWithData(frame).bitmap);
}

// Frames large enough to be converted in bands of rows on several threads (odd sizes, so bands
// split rows unevenly): every sample lands where a one-pass conversion puts it.
TEST(FITSImageRep, ConvertsLargeFramesInBands) {
  const struct {
    const char *name;
    long width, height, planes;
  } cases[] = {{"16-bit, two bands", 2003, 2101, 1},
               {"16-bit, four bands", 4001, 2099, 1},
               {"8-bit cube, two bands", 1601, 1801, 3}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const size_t count = size_t(c.width * c.height * c.planes);
    std::vector<uint16_t> wide(count);
    std::vector<uint8_t> narrow(count);
    for (size_t i = 0; i < count; ++i) wide[i] = uint16_t(i * 40503u), narrow[i] = uint8_t(i * 131u >> 3);
    const std::vector<long> axes =
        c.planes == 1 ? std::vector<long>{c.width, c.height} : std::vector<long>{c.width, c.height, c.planes};
    const QByteArray file = c.planes == 1 ? fitsFile(USHORT_IMG, axes, TUSHORT, wide.data())
                                          : fitsFile(BYTE_IMG, axes, TBYTE, narrow.data());
    std::vector<uint8_t> expected;
    const size_t pixels = size_t(c.width * c.height);
    for (size_t i = 0; i < pixels; ++i) {
      if (c.planes == 1)
        expected.insert(expected.end(), {uint8_t(wide[i]), uint8_t(wide[i] >> 8)});
      else
        expected.insert(expected.end(), {narrow[i], narrow[pixels + i], narrow[2 * pixels + i]});
    }
    const DecodeResult decoded = FITSImageRep::imageRepsWithData(file);
    ASSERT_TRUE(decoded.bitmap);
    ASSERT_EQ(decoded.bitmap->bytesPerRow * decoded.bitmap->height, int64_t(expected.size()));
    const auto mismatch = std::mismatch(expected.begin(), expected.end(), decoded.bitmap->pixels);
    EXPECT_EQ(mismatch.first - expected.begin(), std::ssize(expected));
  }
}

TEST(PlatformImageDecoder, NormalisesQtFormats) {
  QImage grey(5, 2, QImage::Format_Grayscale8), rgb(2, 1, QImage::Format_RGB32), argb(2, 1, QImage::Format_ARGB32),
      wide(2, 1, QImage::Format_RGBX64), grey16(2, 1, QImage::Format_Grayscale16),
      indexedGrey(2, 1, QImage::Format_Indexed8);
  for (int i = 0; i < 10; ++i) grey.scanLine(i / 5)[i % 5] = uchar(10 * i);
  rgb.setPixel(0, 0, qRgb(10, 20, 30));
  argb.setPixel(0, 0, qRgba(10, 20, 30, 40));
  wide.setPixelColor(0, 0, QColor::fromRgba64(0x1000, 0x2000, 0x3000));
  reinterpret_cast<uint16_t *>(grey16.scanLine(0))[0] = 0x1234;
  indexedGrey.setColorTable({qRgb(0, 0, 0), qRgb(77, 77, 77)});
  indexedGrey.fill(1);
  QImage indexedColour = indexedGrey;
  indexedColour.setColorTable({qRgb(0, 0, 0), qRgb(1, 2, 3)});
  const struct {
    const char *name;
    QImage image;
    Shape shape;
    std::vector<int> first;
  } cases[] = {
      {"grey rows padded to 8 bytes", grey, {5, 2, 8, 1, 8, 8}, {0, 10, 20, 30, 40}},
      {"RGB32 becomes RGBX", rgb, {2, 1, 8, 3, 32, 8}, {10, 20, 30, 255}},
      {"ARGB32 becomes RGBA", argb, {2, 1, 8, 4, 32, 8}, {10, 20, 30, 40}},
      {"RGBX64 becomes 48-bit", wide, {2, 1, 16, 3, 48, 12}, {0x00, 0x10, 0x00, 0x20, 0x00, 0x30}},
      {"16-bit grey", grey16, {2, 1, 16, 1, 16, 4}, {0x34, 0x12}},
      {"grey palette", indexedGrey, {2, 1, 8, 1, 8, 4}, {77}},
      {"colour palette", indexedColour, {2, 1, 8, 3, 24, 8}, {1, 2, 3}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<Bitmap> bitmap = PlatformImageDecoder::bitmapFromImage(c.image);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(shapeOf(*bitmap), c.shape);
    EXPECT_FALSE(bitmap->alphaFirst);
    EXPECT_EQ(bytesAt(*bitmap, c.first.size()), c.first);
  }
  EXPECT_EQ(bytesAt(*PlatformImageDecoder::decode(encoded(grey, "png")).bitmap, 5, 1),
            (std::vector<int>{50, 60, 70, 80, 90}));
  EXPECT_FALSE(PlatformImageDecoder::bitmapFromImage(QImage()));

  QImage big(8256, 5504, QImage::Format_Grayscale8);  // 45 megapixels: beyond Qt's own allocation limit
  big.fill(128);
  const DecodeResult result = PlatformImageDecoder::decode(encoded(big, "jpeg", 10));
  ASSERT_TRUE(result.bitmap) << result.reason.toStdString();
  EXPECT_EQ(shapeOf(*result.bitmap), (Shape{8256, 5504, 8, 1, 8, 8256}));
  EXPECT_EQ(QImageReader::allocationLimit(), PlatformImageDecoder::ALLOCATION_LIMIT_MB);
}

}  // namespace
