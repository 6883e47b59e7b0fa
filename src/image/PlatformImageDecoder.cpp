#include "image/PlatformImageDecoder.h"

#include <QBuffer>
#include <QImageReader>

#include <mutex>

namespace {

// Packs 16-bit RGBX into 48-bit RGB (three 16-bit samples per pixel, no padding byte).
std::optional<Bitmap> packRGB48(const QImage &image) {
  const int64_t width = image.width();
  const int64_t height = image.height();
  auto packed = std::make_shared<QByteArray>();
  packed->resize(qsizetype(width * height * 6));
  auto *out = reinterpret_cast<uint16_t *>(packed->data());
  for (int64_t y = 0; y < height; ++y) {
    const auto *in = reinterpret_cast<const uint16_t *>(image.constScanLine(int(y)));
    for (int64_t x = 0; x < width; ++x, in += 4, out += 3) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
    }
  }
  return Bitmap::packed(width, height, 16, 3, reinterpret_cast<const uint8_t *>(packed->constData()), packed);
}

std::optional<Bitmap> wrap(QImage image, int bitsPerSample, int samplesPerPixel, int bitsPerPixel) {
  if (image.isNull()) return std::nullopt;
  auto kept = std::make_shared<const QImage>(std::move(image));
  Bitmap bitmap;
  bitmap.width = kept->width();
  bitmap.height = kept->height();
  bitmap.bytesPerRow = kept->bytesPerLine();
  bitmap.bitsPerSample = bitsPerSample;
  bitmap.samplesPerPixel = samplesPerPixel;
  bitmap.bitsPerPixel = bitsPerPixel;
  bitmap.colourSpace = samplesPerPixel == 1 ? Bitmap::ColourSpace::Grey : Bitmap::ColourSpace::RGB;
  bitmap.pixels = kept->constBits();
  bitmap.owner = std::move(kept);
  return bitmap;
}

}  // namespace

std::optional<Bitmap> PlatformImageDecoder::bitmapFromImage(QImage image) {
  if (image.isNull()) return std::nullopt;
  switch (image.format()) {
  case QImage::Format_Grayscale8: return wrap(std::move(image), 8, 1, 8);
  case QImage::Format_Grayscale16: return wrap(std::move(image), 16, 1, 16);
  case QImage::Format_RGB888: return wrap(std::move(image), 8, 3, 24);
  case QImage::Format_Mono:
  case QImage::Format_MonoLSB:
  case QImage::Format_Indexed8:
    if (image.allGray()) return wrap(image.convertToFormat(QImage::Format_Grayscale8), 8, 1, 8);
    return wrap(image.convertToFormat(QImage::Format_RGB888), 8, 3, 24);
  case QImage::Format_RGBX64: return packRGB48(image);
  case QImage::Format_RGBA64:
  case QImage::Format_RGBA64_Premultiplied: return wrap(image.convertToFormat(QImage::Format_RGBA64), 16, 4, 64);
  default:
    if (image.hasAlphaChannel()) return wrap(image.convertToFormat(QImage::Format_RGBA8888), 8, 4, 32);
    return wrap(image.convertToFormat(QImage::Format_RGBX8888), 8, 3, 32);
  }
}

DecodeResult PlatformImageDecoder::decode(const QByteArray &data) {
  static std::once_flag limitSet;
  std::call_once(limitSet, [] { QImageReader::setAllocationLimit(ALLOCATION_LIMIT_MB); });

  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  QImage image = reader.read();
  if (image.isNull())
    return DecodeResult::failure(QStringLiteral("no image format reads the data: %1").arg(reader.errorString()));
  std::optional<Bitmap> bitmap = bitmapFromImage(std::move(image));
  if (!bitmap) return DecodeResult::failure(QStringLiteral("the decoded image has no pixels"));
  return DecodeResult::success(std::move(*bitmap));
}
