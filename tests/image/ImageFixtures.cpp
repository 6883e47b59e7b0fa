#include "ImageFixtures.h"

#include <fitsio.h>

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>

namespace fixtures {

namespace {

QByteArray littleEndian(uint32_t value, int count = 4) {
  QByteArray out;
  for (int shift = 0; shift < 8 * count; shift += 8) out.append(char((value >> shift) & 0xff));
  return out;
}

// A FITS file that `write` fills in cfitsio's memory; it ends where the last unit's padded data
// ends (the memory file grows in steps).
QByteArray writtenFits(const std::function<void(fitsfile *, int &)> &write) {
  void *memory = std::malloc(2880);
  size_t memorySize = 2880;
  fitsfile *file = nullptr;
  int status = 0;
  fits_create_memfile(&file, &memory, &memorySize, 2880, std::realloc, &status);
  write(file, status);
  fits_flush_file(file, &status);
  LONGLONG headStart = 0, dataStart = 0, dataEnd = 0;
  fits_get_hduaddrll(file, &headStart, &dataStart, &dataEnd, &status);
  fits_close_file(file, &status);
  if (status != 0 || size_t(dataEnd) > memorySize)
    throw std::runtime_error("cfitsio could not write the fixture: status " + std::to_string(status));
  QByteArray out(static_cast<const char *>(memory), qsizetype(dataEnd));
  std::free(memory);
  return out;
}

}  // namespace

QByteArray bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int value : values) out.append(char(value));
  return out;
}

QByteArray rawFile(const char *signature, uint32_t width, uint32_t height, const QByteArray &pixels) {
  return QByteArray(signature, 4) + littleEndian(width) + littleEndian(height) + pixels;
}

QByteArray fitsFile(int imageType, const std::vector<long> &axes, int dataType, const void *pixels,
                    const std::vector<std::pair<const char *, double>> &cards) {
  return writtenFits([&](fitsfile *file, int &status) {
    std::vector<long> naxes = axes, first(axes.size(), 1);
    fits_create_img(file, imageType, int(naxes.size()), naxes.data(), &status);
    LONGLONG count = axes.empty() ? 0 : 1;
    for (long axis : axes) count *= axis;
    if (count > 0) fits_write_pix(file, dataType, first.data(), count, const_cast<void *>(pixels), &status);
    for (auto [keyword, value] : cards) fits_write_key(file, TDOUBLE, keyword, &value, nullptr, &status);
  });
}

QByteArray fpacked(const QByteArray &fits) {
  return writtenFits([&](fitsfile *out, int &status) {
    void *input = const_cast<char *>(fits.constData());
    size_t inputSize = size_t(fits.size());
    fitsfile *in = nullptr;
    fits_open_memfile(&in, "", READONLY, &input, &inputSize, 0, nullptr, &status);
    fits_create_img(out, BYTE_IMG, 0, nullptr, &status);
    fits_set_compression_type(out, RICE_1, &status);
    fits_img_compress(in, out, &status);
    fits_close_file(in, &status);
  });
}

QByteArray xisfFile(const QString &elements, qsizetype offset, const QByteArray &block) {
  const QByteArray header =
      (R"(<?xml version="1.0" encoding="UTF-8"?><xisf version="1.0">)" + elements + "</xisf>").toUtf8();
  QByteArray out = "XISF0100" + littleEndian(uint32_t(header.size())) + littleEndian(0) + header;
  return out.leftJustified(offset, '\0') + block;
}

QByteArray dngFile(uint16_t width, uint16_t height) {
  QByteArray pixels, identity;  // a gradient with a checkerboard of 8-pixel squares
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels += littleEndian(1000 + 40 * x + 20 * y + ((x / 8 + y / 8) % 2 ? 2000 : 0), 2);
  for (int i = 0; i < 9; ++i) identity += littleEndian(i % 4 == 0 ? 10000 : 0) + littleEndian(10000);
  // Tag, type (1 byte, 2 text, 3 short, 4 long, 10 signed rational), count, value. The strip
  // offset (273) is filled in once the values' size is known.
  const struct {
    uint16_t tag, type;
    uint32_t count;
    QByteArray value;
  } entries[] = {
      {254, 4, 1, littleEndian(0)},
      {256, 4, 1, littleEndian(width)},
      {257, 4, 1, littleEndian(height)},
      {258, 3, 1, littleEndian(16, 2)},
      {259, 3, 1, littleEndian(1, 2)},
      {262, 3, 1, littleEndian(32803, 2)},
      {271, 2, 7, QByteArray("Kestor", 7)},
      {272, 2, 5, QByteArray("Test", 5)},
      {273, 4, 1, {}},
      {277, 3, 1, littleEndian(1, 2)},
      {278, 4, 1, littleEndian(height)},
      {279, 4, 1, littleEndian(uint32_t(pixels.size()))},
      {284, 3, 1, littleEndian(1, 2)},
      {33421, 3, 2, littleEndian(2 | 2 << 16)},
      {33422, 1, 4, QByteArray("\0\1\1\2", 4)},
      {50706, 1, 4, QByteArray("\1\4\0\0", 4)},
      {50708, 2, 12, QByteArray("Kestor Test", 12)},
      {50721, 10, 9, identity},
  };
  const uint32_t valuesStart = 8 + 2 + 12 * uint32_t(std::size(entries)) + 4;
  QByteArray directory = littleEndian(uint32_t(std::size(entries)), 2), values;
  qsizetype stripOffsetAt = 0;
  for (const auto &entry : entries) {
    directory += littleEndian(entry.tag, 2) + littleEndian(entry.type, 2) + littleEndian(entry.count);
    if (entry.tag == 273) stripOffsetAt = directory.size();
    if (entry.value.size() <= 4) {
      directory += entry.value.leftJustified(4, '\0');
    } else {
      directory += littleEndian(valuesStart + uint32_t(values.size()));
      values += entry.value.leftJustified(entry.value.size() + entry.value.size() % 2, '\0');
    }
  }
  directory += littleEndian(0);  // no further directory
  directory.replace(stripOffsetAt, 4, littleEndian(valuesStart + uint32_t(values.size())));
  return QByteArray("II*\0\x08\0\0\0", 8) + directory + values + pixels;
}

Bitmap bitmapOver(const std::vector<uint8_t> &pixels, int64_t width, int64_t height, int bitsPerSample,
                  int samplesPerPixel, int bitsPerPixel, int64_t bytesPerRow) {
  Bitmap bitmap = Bitmap::packed(width, height, bitsPerSample, samplesPerPixel, pixels.data(), nullptr);
  if (bitsPerPixel) bitmap.bitsPerPixel = bitsPerPixel, bitmap.bytesPerRow = width * bitsPerPixel / 8;
  if (bytesPerRow) bitmap.bytesPerRow = bytesPerRow;
  return bitmap;
}

}  // namespace fixtures
