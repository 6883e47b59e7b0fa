// The BLOB preview: a picture made by the test, stretched, with overexposed pixels highlighted,
// shown in the order the pictures arrived.
#include <QBuffer>
#include <QImage>
#include <QTest>

#include "WidgetFixture.h"
#include "widgets/ImageView.h"

namespace {

// A grey gradient, dark at the top left, whose last pixel is saturated.
QByteArray gradientPNG(int size) {
  QImage image(size, size, QImage::Format_Grayscale8);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int v = (x + y) * 200 / (2 * size);
      image.setPixel(x, y, qRgb(v, v, v));
    }
  }
  image.setPixel(size - 1, size - 1, qRgb(255, 255, 255));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

class PropertyWidgetBLOB : public WidgetFixture {
protected:
  // Points the item record at new bytes and drops the item's caches, as an update does.
  void replace(const QByteArray &bytes, uint32_t state) {
    kestor_property *raw = record(property);
    raw->state = state;
    raw->items[0].blob_value = const_cast<char *>(bytes.constData());
    raw->items[0].blob_size = bytes.size();
    for (auto &[name, item] : property->items) {
      static_cast<KESTOR::BLOBItem *>(item.get())->rollOver();
    }
  }
  const QByteArray first = gradientPNG(64);
  const QByteArray second = gradientPNG(32);
  const QByteArray garbage = QByteArray("not a picture at all");
  const std::shared_ptr<KESTOR::Property> property =
      define(PropertyRecord("CCD Simulator", "CCD1", KESTOR_BLOB, KESTOR_STATE_OK, {blobItem("CCD1", first, ".png")}),
             KESTOR_PERM_RO);
};

TEST_F(PropertyWidgetBLOB, ShowsTheStretchedPictureWithOverexposureInRed) {
  PropertyWidget *widget = showWidget(property);
  auto *view = control<ImageView>(widget, "value:CCD1");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->pixmap().isNull(); }, 5000));
  const QImage shown = view->pixmap().toImage();
  ASSERT_EQ(shown.size(), QSize(64, 64));
  EXPECT_LT(qGray(shown.pixel(0, 0)), 40);
  EXPECT_EQ(shown.pixelColor(63, 63), QColor(255, 0, 0));

  replace(second, KESTOR_STATE_BUSY);  // only state 1 refreshes the picture
  widget->update(property);
  EXPECT_FALSE(QTest::qWaitFor([&] { return view->pixmap().size() != QSize(64, 64); }, 100));

  replace(garbage, KESTOR_STATE_OK);  // undecodable: the picture goes
  widget->update(property);
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->pixmap().isNull(); }, 5000));
}

TEST_F(PropertyWidgetBLOB, ANewerPictureIsNeverReplacedByAnOlderOne) {
  PropertyWidget *widget = showWidget(property);  // the first picture is queued, not shown yet
  auto *view = control<ImageView>(widget, "value:CCD1");
  const auto shows = [&](QSize size) { return QTest::qWaitFor([&] { return view->pixmap().size() == size; }, 5000); };
  replace(second, KESTOR_STATE_OK);
  widget->update(property);
  EXPECT_TRUE(shows(QSize(32, 32)));
  EXPECT_FALSE(QTest::qWaitFor([&] { return view->pixmap().size() != QSize(32, 32); }, 100));

  replace(first, KESTOR_STATE_OK);  // queued, then superseded by a clearing
  widget->update(property);
  replace(garbage, KESTOR_STATE_OK);
  widget->update(property);
  EXPECT_TRUE(shows(QSize(0, 0)));  // cleared
  EXPECT_FALSE(QTest::qWaitFor([&] { return !view->pixmap().isNull(); }, 100));
  replace(second, KESTOR_STATE_OK);  // the pool is done with the superseded ones before this one shows
  widget->update(property);
  EXPECT_TRUE(shows(QSize(32, 32)));
}

TEST_F(PropertyWidgetBLOB, ABusyItemShowsNothingAndAWidgetGoneBeforeItsPictureIsNoTrouble) {
  auto *item = static_cast<KESTOR::BLOBItem *>(property->items.begin()->second.get());
  item->lock.lock();
  auto *busy = control<ImageView>(showWidget(property), "value:CCD1");
  EXPECT_FALSE(QTest::qWaitFor([&] { return !busy->pixmap().isNull(); }, 100));
  item->lock.unlock();
  delete showWidget(property);
  auto *view = control<ImageView>(showWidget(property), "value:CCD1");  // made after the lost one
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->pixmap().isNull(); }, 5000));
}

}  // namespace
