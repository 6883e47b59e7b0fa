// An item of a BLOB property: its data and decoded image, cached under a lock that is only
// ever tried, never waited for.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <mutex>
#include <optional>

#include "kestor/Item.h"

class Image;

class KESTOR::BLOBItem : public KESTOR::Item {
public:
  using Item::Item;

  // "." and the extension of the URL's path when the item has a URL, else the format text.
  QString format() const;
  // The item's bytes, copied or fetched once per update; what is cached when the lock is busy.
  std::optional<QByteArray> value();
  // The decoded image, made once per update; absent when the lock is busy and nothing is cached.
  std::shared_ptr<Image> image();
  // Moves the caches to the previous slots (run for every item when the property updates);
  // skipped when the lock is busy.
  void rollOver();

  // Longest wait for the contents of a BLOB given by URL, in seconds.
  static double fetchTimeout;

  std::optional<QByteArray> cachedValue;
  std::optional<QByteArray> previousValue;
  std::shared_ptr<Image> cachedImage;
  std::shared_ptr<Image> previousImage;
  std::mutex lock;  // try_lock only
};
