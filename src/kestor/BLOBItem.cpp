#include "kestor/BLOBItem.h"

#include <QUrl>
#include <atomic>
#include <utility>

#include "core/Console.h"
#include "core/Dispatch.h"
#include "image/Image.h"
#include "kestor/BlobBytes.h"
#include "kestor/RecordText.h"
#include "kestor/UrlFetcher.h"

double KESTOR::BLOBItem::fetchTimeout = 30.0;

quint64 KESTOR::BLOBItem::newUpdate() {
  static std::atomic<quint64> updates{0};
  return ++updates;
}

namespace {

// The item's URL, when its URL text parses as one.
std::optional<QUrl> blobUrl(const kestor_item *item) {
  const QString text = textFromField(item->blob_url);
  if (text.isEmpty()) return std::nullopt;
  QUrl url(text, QUrl::StrictMode);
  if (!url.isValid()) return std::nullopt;
  return url;
}

// The bytes the library holds for the item, shared; nothing when it holds none.
std::optional<QByteArray> inMemory(const kestor_item *item) {
  if (item->blob_value == nullptr) return std::nullopt;
  return blobBytes(item->blob_value, item->blob_size > 0 ? static_cast<qsizetype>(item->blob_size) : 0);
}

}  // namespace

QString KESTOR::BLOBItem::format() const {
  if (auto url = blobUrl(item)) {
    const QString path = url->path();
    return u'.' + path.mid(path.lastIndexOf(u'.') + 1);
  }
  return textFromField(item->blob_format);
}

std::optional<QByteArray> KESTOR::BLOBItem::value() {
  std::unique_lock guard(lock, std::try_to_lock);
  if (!guard.owns_lock()) return cachedValue;  // busy: what is cached
  if (!cachedValue) {
    if (auto url = blobUrl(item)) {
      cachedValue = fetchUrl(*url, fetchTimeout);
      if (!cachedValue) consoleLine("Failed to fetch " + textFromField(item->blob_url).toUtf8());
    } else {
      cachedValue = inMemory(item);
    }
  }
  return cachedValue;
}

void KESTOR::BLOBItem::keepBytes() {
  std::unique_lock guard(lock, std::try_to_lock);
  if (guard.owns_lock() && !cachedValue && !blobUrl(item)) cachedValue = inMemory(item);
}

void KESTOR::BLOBItem::rollOver() {
  std::unique_lock guard(lock, std::try_to_lock);
  if (!guard.owns_lock()) return;
  std::optional<QByteArray> releasedValue;
  std::shared_ptr<Image> releasedImage;
  if (cachedValue) releasedValue = std::exchange(previousValue, std::move(cachedValue));
  cachedValue.reset();
  if (cachedImage) releasedImage = std::exchange(previousImage, std::move(cachedImage));
  cachedImage.reset();
  currentUpdate = newUpdate();
  // Held by nothing else (an image window keeps its image whole), the image before last gives its
  // pixel buffer back now, before the new frame's decode takes one: let go of on the pool, it could
  // come back too late, and the new frame would fault in a fresh buffer of its own.
  if (releasedImage.use_count() == 1) releasedImage->returnPooledPixels();
  // What the previous slots held is let go on the pool: giving a camera frame's bytes back to
  // the system takes milliseconds.
  if (releasedValue || releasedImage)
    asyncGlobal([value = std::move(releasedValue), image = std::move(releasedImage)] {});
}
