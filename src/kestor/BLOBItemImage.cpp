// The decoded image of a BLOB item, made once per update on the thread that asks for it.

#include "kestor/BLOBItem.h"

#include "image/Image.h"

std::shared_ptr<Image> KESTOR::BLOBItem::image()
{
    if (cachedImage)
        return cachedImage;
    const std::optional<QByteArray> data = value();
    if (!data)
        return nullptr;
    std::unique_lock guard(lock, std::try_to_lock);
    if (guard.owns_lock() && !cachedImage)
        cachedImage = std::make_shared<Image>(*data, format());
    return cachedImage;
}
