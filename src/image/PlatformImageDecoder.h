#pragma once
// The common image formats (PNG, JPEG, GIF, ... whatever Qt's image plugins read), sniffed from
// the content, with the result normalised into the layouts the statistics and the stretch read:
// 8- or 16-bit grey, 24-bit RGB, 32-bit RGB with the alpha (or padding) byte last, 48-bit RGB
// or 64-bit RGBA.

#include "image/Bitmap.h"

#include <QByteArray>
#include <QImage>

struct PlatformImageDecoder {
  // Qt's default allocation limit (128 MB) refuses a 45-megapixel JPEG; this one does not.
  static constexpr int ALLOCATION_LIMIT_MB = 1024;

  static DecodeResult decode(const QByteArray &data);
  static std::optional<Bitmap> bitmapFromImage(QImage image);
};
