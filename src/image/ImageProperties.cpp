#include "image/ImageProperties.h"

#include "image/CameraRawDecoder.h"
#include "image/ExifProperties.h"

#include <QBuffer>
#include <QImageReader>

namespace ImageProperties {

namespace {

// What the Qt image reader of the data gives as text keys (PNG text chunks, JPEG comments, ...).
std::optional<QVariantMap> sourceProperties(const QByteArray &data) {
  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  QVariantMap properties;
  for (const QString &key : reader.textKeys()) properties.insert(key, reader.text(key));
  if (properties.isEmpty()) return std::nullopt;
  return properties;
}

}  // namespace

std::optional<QVariantMap> of(const QByteArray &data, const DecodedBitmap &decoded) {
  // A bitmap's EXIF replaces the reader's properties, so these are only looked for without one.
  if (!decoded.result.bitmap) return sourceProperties(data);
  if (decoded.decoder == ImageDecoder::CAMERA_RAW) return CameraRawDecoder::properties(data);
  if (decoded.decoder == ImageDecoder::PLATFORM) return ExifProperties::read(data);
  return std::nullopt;  // the raw, FITS and XISF representations carry no EXIF
}

}  // namespace ImageProperties
