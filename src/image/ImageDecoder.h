#pragma once
// The one entry that turns BLOB bytes into a bitmap: camera raw formats through LibRaw; every
// other format through the first registered representation that claims the data, then Qt's
// image readers, then LibRaw when it recognises the data as camera raw. Camera raw files built
// on TIFF (DNG, NEF, CR2, ...) go to LibRaw before Qt's TIFF reader, which would show their first
// directory, mostly a thumbnail.

#include "image/Bitmap.h"

#include <QByteArray>
#include <QString>

struct DecodedBitmap {
  DecodeResult result;
  QString decoder;  // "camera raw", a registered representation's name, or "platform"
};

namespace ImageDecoder {

inline const QString CAMERA_RAW = QStringLiteral("camera raw");
inline const QString PLATFORM = QStringLiteral("platform");

// `format` is the BLOB's format in lower case (".fits", ".nef", ...).
DecodedBitmap decode(const QByteArray &data, const QString &format);

}  // namespace ImageDecoder
