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
  // The item's bytes, shared with the library or fetched, once per update; what is cached when
  // the lock is busy.
  std::optional<QByteArray> value();

  // What the image of the current update is made from, read on the thread that owns the model
  // (the main thread): the image when it is made already, else the item's bytes (as `value()`
  // gives them) and format, from which any thread may make it. Absent without data.
  struct ImageSource {
    std::shared_ptr<Image> image;
    QByteArray data;
    QString format;
    quint64 update = 0;  // which update of which item, for keepImage
  };
  std::optional<ImageSource> imageSource();
  // Keeps an image made from `imageSource()` as the cached image, so it is made once per update;
  // dropped when it is another item's or the item rolled over since, when an image is cached
  // already or the lock is busy.
  void keepImage(std::shared_ptr<Image> image, quint64 madeFor);
  // Takes the in-memory bytes into the cache, when it is empty, before the library frees them
  // (run as the property leaves the model); skipped when the lock is busy.
  void keepBytes();
  // Moves the caches to the previous slots (run for every item when the property updates);
  // skipped when the lock is busy.
  void rollOver();

  // Longest wait for the contents of a BLOB given by URL, in seconds.
  static double fetchTimeout;

  std::optional<QByteArray> cachedValue;
  std::optional<QByteArray> previousValue;
  std::shared_ptr<Image> cachedImage;
  std::shared_ptr<Image> previousImage;
  // Tells the updates of all items apart: new at creation and at every roll-over.
  quint64 currentUpdate = newUpdate();
  std::mutex lock;  // try_lock only

private:
  static quint64 newUpdate();
};
