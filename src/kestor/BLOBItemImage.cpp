// The decoded image of a BLOB item: what it is made from, read on the main thread, and the
// image made elsewhere kept once per update.

#include "kestor/BLOBItem.h"

std::optional<KESTOR::BLOBItem::ImageSource> KESTOR::BLOBItem::imageSource() {
  if (cachedImage) return ImageSource{cachedImage, {}, {}, currentUpdate};
  std::optional<QByteArray> data = value();
  if (!data) return std::nullopt;
  return ImageSource{nullptr, std::move(*data), format(), currentUpdate};
}

void KESTOR::BLOBItem::keepImage(std::shared_ptr<Image> image, quint64 madeFor) {
  std::unique_lock guard(lock, std::try_to_lock);
  if (guard.owns_lock() && madeFor == currentUpdate && !cachedImage) cachedImage = std::move(image);
}
