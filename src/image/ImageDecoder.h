#pragma once
// The one entry that turns BLOB bytes into a bitmap: camera raw formats through LibRaw; every
// other format through the first registered representation that claims the data, and data
// that none claims through Qt's image readers.

#include "image/Bitmap.h"

#include <QByteArray>
#include <QString>

struct DecodedBitmap {
  DecodeResult result;
  QString decoder;  // "camera raw", a registered representation's name, or "platform"
};

namespace ImageDecoder {

// `format` is the BLOB's format in lower case (".fits", ".nef", ...).
DecodedBitmap decode(const QByteArray &data, const QString &format);

}  // namespace ImageDecoder
