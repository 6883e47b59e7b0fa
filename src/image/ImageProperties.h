#pragma once
// The properties of a decoded BLOB image: the EXIF data of its bitmap when one was decoded
// (absent when it has none), else what an image reader of the data gives as text keys (absent
// when none does).

#include "image/ImageDecoder.h"

#include <QByteArray>
#include <QVariantMap>

#include <optional>

namespace ImageProperties {

// `decoded` is what the data decoded to.
std::optional<QVariantMap> of(const QByteArray &data, const DecodedBitmap &decoded);

}  // namespace ImageProperties
