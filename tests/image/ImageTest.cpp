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

#include <atomic>
#include <cstring>
#include <thread>

namespace {

using Points = std::pair<int64_t, int64_t>;

// 8 x 2 grey: the sampled pixels (0, 4, 8, 12) are listed; the others are 77.
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

// BLOB items of different devices may be decoded on different threads: cfitsio, the registry
// and the settings reader must bear it.
TEST(Image, DecodesOnSeveralThreadsAtOnce) {
  const uint16_t samples[] = {1, 2, 3, 4, 5, 6, 7, 65535};
  const QByteArray fits = fixtures::fitsFile(USHORT_IMG, {4, 2}, TUSHORT, samples);
  std::atomic<int> decoded{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 50; ++i) decoded += !Image(fits, QStringLiteral(".fits")).image().isNull();
    });
  for (std::thread &thread : threads) thread.join();
  EXPECT_EQ(decoded, 200);
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
  const auto makeImage = [&]() -> std::shared_ptr<Image> {  // as the widgets make it
    const std::optional<KESTOR::BLOBItem::ImageSource> source = item.imageSource();
    if (!source || source->image) return source ? source->image : nullptr;
    auto image = std::make_shared<Image>(source->data, source->format);
    item.keepImage(image, source->update);
    return image;
  };
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

}  // namespace
