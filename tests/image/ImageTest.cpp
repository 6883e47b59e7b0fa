// One decoded BLOB image, and the BLOB item that makes it once per update.
#include "ImageFixtures.h"

#include "core/Globals.h"
#include "image/CurrentAppearance.h"
#include "image/Image.h"
#include "kestor/BLOBItem.h"

#include <QDir>
#include <QSettings>

#include <fitsio.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Points = std::pair<int64_t, int64_t>;

// 8 x 2 grey: the sampled pixels (0, 4, 8, 12) are listed; the others are 77.
// The image of a BLOB item's update, as the widgets make and keep it.
std::shared_ptr<Image> shownImage(KESTOR::BLOBItem &item) {
  const std::optional<KESTOR::BLOBItem::ImageSource> source = item.imageSource();
  if (!source || source->image) return source ? source->image : nullptr;
  auto image = std::make_shared<Image>(source->data, source->format);
  item.keepImage(image, source->update);
  return image;
}

QByteArray greyRaw(std::initializer_list<int> sampled) {
  QByteArray pixels(16, char(77));
  int i = 0;
  for (int value : sampled) pixels[4 * i++] = char(value);
  return fixtures::rawFile("RAW1", 8, 2, pixels);
}

TEST(Image, WithoutABitmapOrStatisticsItIsEmpty) {
  for (const auto &[data, format] :
       {std::pair{QByteArray("not an image"), ".FITS"}, {fixtures::rawFile("RAW1", 3, 1, "xyz"), ".raw"}}) {
    Image image(data, QString::fromLatin1(format));
    EXPECT_EQ(image.format(), QString::fromLatin1(format).toLower());
    EXPECT_EQ(image.failureReason().isEmpty(), bool(image.originalImageRep()));  // 3 pixels decode, but no statistics
    EXPECT_FALSE(image.imageStatistics());
    EXPECT_EQ(Points(image.autoBlackPoint(), image.autoWhitePoint()), Points(0, 65535));
    EXPECT_TRUE(image.histogram().isNull());
  }
  EXPECT_TRUE(Image("not an image", ".fits").image().isNull());
}

TEST(Image, CameraRawFormatsGoThroughLibRawFromMemory) {
  const QStringList before = QDir::temp().entryList({QStringLiteral("tmp.*")});
  const QByteArray dng = fixtures::dngFile(64, 48);
  for (const char *format : {".nef", ".NEF", ".Arw"}) {
    SCOPED_TRACE(format);
    Image image(dng, QString::fromLatin1(format));
    EXPECT_EQ(image.decoder(), QStringLiteral("camera raw"));
    ASSERT_TRUE(image.originalImageRep()) << image.failureReason().toStdString();
    EXPECT_EQ(std::tuple(image.width(), image.height(), image.bitsPerPixel()), std::tuple(64, 48, 24));
    EXPECT_TRUE(image.imageStatistics());
  }
  EXPECT_EQ(QDir::temp().entryList({QStringLiteral("tmp.*")}), before);
}

// Min, max, average, black point, white point.
using Figures = std::array<int64_t, 5>;
Figures figuresOf(const Image &image) {
  const ImageStatistics &s = *image.imageStatistics();
  return {s.min, s.max, s.average, image.autoBlackPoint(), image.autoWhitePoint()};
}

// Formats beyond the registered representations: Qt's TIFF and WebP plugins, and camera raw by
// its content whatever the format says.
TEST(Image, PlatformFormatsAndCameraRawByContent) {
  QByteArray ramp;  // 8 x 8 grey, 0 to 252 by 4: the sampled pixels are 0, 16, ..., 240
  for (int i = 0; i < 64; ++i) ramp += char(4 * i);
  QImage colour(8, 8, QImage::Format_RGB32);  // columns of (10, 20, 30) × x: bins 0 and 80 sampled
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) colour.setPixel(x, y, qRgb(10 * x, 20 * x, 30 * x));
  const Image dngByFormat(fixtures::dngFile(64, 48), QStringLiteral(".nef"));
  ASSERT_TRUE(dngByFormat.imageStatistics());
  const struct {
    const char *name;
    QByteArray data;
    const char *format, *decoder;
    int64_t width, height, bitsPerPixel;
    Figures figures;
  } cases[] = {
      {"TIFF", fixtures::greyTiff(8, 8, ramp), ".tiff", "platform", 8, 8, 8, {0, 240, 120, 0, 240}},
      {"WebP", fixtures::encoded(colour, "webp", 100), ".webp", "platform", 8, 8, 32, {0, 80, 40, 0, 80}},
      {"DNG", fixtures::dngFile(64, 48), ".dng", "camera raw", 64, 48, 24, figuresOf(dngByFormat)},
      {"DNG under another format", fixtures::dngFile(64, 48), ".jpeg", "camera raw", 64, 48, 24,
       figuresOf(dngByFormat)},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const Image image(c.data, QString::fromLatin1(c.format));
    EXPECT_EQ(image.decoder().toStdString(), c.decoder);
    ASSERT_TRUE(image.imageStatistics()) << image.failureReason().toStdString();
    EXPECT_EQ(std::tuple(image.width(), image.height(), int64_t(image.bitsPerPixel())),
              std::tuple(c.width, c.height, c.bitsPerPixel));
    EXPECT_EQ(figuresOf(image), c.figures);
  }
  const Figures dng = figuresOf(dngByFormat);  // a gradient: the average lies between the ends
  EXPECT_LT(dng[0], dng[2]);
  EXPECT_LT(dng[2], dng[1]);
}

std::string describe(const std::optional<QVariantMap> &properties) {
  if (!properties) return "absent";
  std::string out;
  for (auto it = properties->begin(); it != properties->end(); ++it)
    out += it.key().toStdString() + "=" + it.value().toString().toStdString() + " ";
  return out;
}

// The bitmap's EXIF (LibRaw's account of it for camera raw), else the image reader's text keys.
TEST(Image, PropertiesAreTheBitmapsEXIF) {
  const QVariantMap shot = {
      {"Make", "Kestor"},
      {"Model", "Test"},
      {"ExposureTime", 0.004},
      {"FNumber", 2.8},
      {"ISOSpeedRatings", qint64(800)},
      {"FocalLength", 50.0},
      {"DateTimeOriginal", "2026:12:07 03:04:05"},
  };
  QVariantMap camera = shot;  // LibRaw keeps its numbers in single precision
  camera["ExposureTime"] = double(1.0f / 250);
  camera["FNumber"] = double(2.8f);
  QImage picture(8, 8, QImage::Format_Grayscale8);
  picture.fill(50);
  const QByteArray plainJpeg = fixtures::encoded(picture, "jpeg");
  picture.setText(QStringLiteral("Title"), QStringLiteral("M 42"));
  const QByteArray titledPng = fixtures::encoded(picture, "png");
  const uint8_t grey[] = {1, 2, 3, 4};
  const std::nullopt_t ABSENT = std::nullopt;
  const struct {
    const char *name;
    QByteArray data;
    const char *format;
    std::optional<QVariantMap> properties;
  } cases[] = {
      {"JPEG carrying EXIF", fixtures::jpegWithExif(picture), ".jpg", shot},
      {"TIFF carrying EXIF", fixtures::greyTiff(2, 2, fixtures::bytes({1, 2, 3, 4})), ".tif", shot},
      {"TIFF carrying EXIF after 120 KB of pixels", fixtures::greyTiff(400, 300, QByteArray(120000, 50)), ".tif", shot},
      {"camera raw by format", fixtures::dngFile(64, 48), ".nef", camera},
      {"camera raw by content", fixtures::dngFile(64, 48), ".dng", camera},
      {"JPEG without EXIF", plainJpeg, ".jpg", ABSENT},
      {"PNG with a text key: decoded, so its EXIF, of which it has none", titledPng, ".png", ABSENT},
      {"PNG with a text key, its pixels cut off", titledPng.left(titledPng.indexOf("IDAT") + 4), ".png",
       QVariantMap{{"Title", "M 42"}}},
      {"FITS", fixtures::fitsFile(BYTE_IMG, {2, 2}, TBYTE, grey), ".fits", ABSENT},
      {"nothing that decodes", "not an image", ".jpg", ABSENT},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const Image image(c.data, QString::fromLatin1(c.format));
    EXPECT_EQ(image.properties(), c.properties)
        << "got " << describe(image.properties()) << " expected " << describe(c.properties);
  }
}

TEST(Image, StatisticsPointsAndRendering) {
  QPalette palette;
  palette.setColor(QPalette::Text, QColor(0, 200, 0));
  setCurrentAppearance(palette);
  Image image(greyRaw({10, 100, 200, 255}), QStringLiteral(".raw"));
  ASSERT_TRUE(image.imageStatistics());
  EXPECT_EQ(Points(image.autoBlackPoint(), image.autoWhitePoint()), Points(10, 255));
  EXPECT_EQ(image.histogram().size(), QSize(256, 128));
  const QImage histogram = Image(greyRaw({0, 0, 0, 0}), ".raw").histogram();  // in the text colour, from the bottom
  EXPECT_EQ(QColor(histogram.pixel(0, 127)).green(), 200);
  EXPECT_EQ(qAlpha(histogram.pixel(128, 0)), 0);

  image.setBlackPoint(image.autoBlackPoint());
  image.setWhitePoint(image.autoWhitePoint());
  const QImage first = image.image();
  EXPECT_EQ(first.size(), QSize(8, 2));
  EXPECT_EQ(first.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(first.pixel(4, 0), qRgb(94, 94, 94));  // (100 - 10) / (245 / 256) = 94.04...
  EXPECT_EQ(first.pixel(4, 1), qRgb(255, 0, 0));
  EXPECT_EQ(image.image().constBits(), first.constBits());  // cached
  image.setWhitePoint(138);
  EXPECT_EQ(image.image().pixel(4, 0), qRgb(180, 180, 180));  // (100 - 10) / (128 / 256)
  EXPECT_EQ(first.pixel(4, 0), qRgb(94, 94, 94));

  defaults().setValue(QStringLiteral("highlightOverexposure"), false);
  Image plain(greyRaw({10, 100, 200, 255}), QStringLiteral(".raw"));
  plain.setBlackPoint(0);
  plain.setWhitePoint(255);
  EXPECT_EQ(plain.image().pixel(4, 1), qRgb(255, 255, 255));
  defaults().remove(QStringLiteral("highlightOverexposure"));
}

// BLOB items of different devices may be decoded on different threads: cfitsio, the registry,
// the settings reader, Qt's readers, Exiv2 and LibRaw must bear it.
TEST(Image, DecodesOnSeveralThreadsAtOnce) {
  const uint16_t samples[] = {1, 2, 3, 4, 5, 6, 7, 65535};
  QImage picture(8, 8, QImage::Format_Grayscale8);
  picture.fill(50);
  const std::pair<QByteArray, QString> files[] = {
      {fixtures::fitsFile(USHORT_IMG, {4, 2}, TUSHORT, samples), QStringLiteral(".fits")},
      {fixtures::jpegWithExif(picture), QStringLiteral(".jpg")},
      {fixtures::dngFile(32, 24), QStringLiteral(".dng")},
  };
  std::atomic<int> decoded{0}, withProperties{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 30; ++i) {
        const auto &[data, format] = files[(t + i) % 3];
        Image image(data, format);
        decoded += !image.image().isNull();
        withProperties += image.properties().has_value();
      }
    });
  for (std::thread &thread : threads) thread.join();
  EXPECT_EQ(decoded, 120);
  EXPECT_EQ(withProperties, 80);
}

// The image of a BLOB item over bytes held in memory, as the bus library hands them over: made
// from the item's source and kept once per update, and only for the update it was made for.
TEST(BLOBItemImage, MadeOncePerUpdate) {
  QByteArray bytes = fixtures::rawFile("RAW1", 2, 2, fixtures::bytes({1, 2, 3, 4}));
  kestor_item record{};
  std::strcpy(record.blob_format, ".RAW");
  record.blob_value = bytes.data();
  record.blob_size = bytes.size();
  KESTOR::BLOBItem item{QStringLiteral("CCD1"), &record};
  const auto makeImage = [&] { return shownImage(item); };
  const std::shared_ptr<Image> first = makeImage();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(std::tuple(first->decoder(), first->format(), first->width()),
            std::tuple(QStringLiteral("raw"), QStringLiteral(".raw"), 2));
  EXPECT_EQ(makeImage(), first);

  const quint64 firstUpdate = item.imageSource()->update;  // an image made for an update that is over is not kept
  bytes = fixtures::rawFile("RAW1", 4, 1, fixtures::bytes({1, 2, 3, 4}));
  record.blob_value = bytes.data();
  item.rollOver();
  item.keepImage(first, firstUpdate);
  EXPECT_EQ(item.cachedImage, nullptr);
  EXPECT_EQ(item.previousImage, first);

  const std::shared_ptr<Image> second = makeImage();
  EXPECT_EQ(second->width(), 4);
  EXPECT_EQ(item.cachedImage, second);
}

// As the item rolls over, the image before last gives its pixel buffer back before the next frame's
// decode takes one, so that frame reuses it (let go of later, it would make the frame fault in a
// fresh one); an image that an image window still holds stays whole.
TEST(BLOBItemImage, RollingOverHandsTheBufferBeforeLastToTheNextFrame) {
  const struct {
    const char *name;
    bool windowHolds;
  } cases[] = {{"held by the item alone", false}, {"held by an image window too", true}};
  std::vector<uint8_t> samples(48 * 32);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = uint8_t(i * 7);
  QByteArray bytes = fixtures::fitsFile(BYTE_IMG, {48, 32}, TBYTE, samples.data());
  const auto holdsSamples = [&](const Image &image) {
    return image.originalImageRep() &&
           std::memcmp(image.originalImageRep()->pixels, samples.data(), samples.size()) == 0;
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    kestor_item record{};
    std::strcpy(record.blob_format, ".fits");
    record.blob_value = bytes.data();
    record.blob_size = bytes.size();
    KESTOR::BLOBItem item{QStringLiteral("CCD1"), &record};
    std::shared_ptr<Image> window = shownImage(item);
    ASSERT_TRUE(holdsSamples(*window));
    const uint8_t *firstPixels = window->originalImageRep()->pixels;
    if (!c.windowHolds) window.reset();
    item.rollOver();
    ASSERT_NE(shownImage(item), nullptr);
    item.rollOver();
    const std::shared_ptr<Image> third = shownImage(item);
    EXPECT_TRUE(holdsSamples(*third));
    EXPECT_EQ(third->originalImageRep()->pixels == firstPixels, !c.windowHolds);
    EXPECT_TRUE(!window || holdsSamples(*window));
  }
}

}  // namespace
