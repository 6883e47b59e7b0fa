#include "ImageFixtures.h"

#include <QBuffer>
#include <QImageWriter>

#include <fitsio.h>

#include <algorithm>
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

QByteArray encoded(const QImage &image, const char *format, int quality) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  if (!writer.write(image))
    throw std::runtime_error("Qt could not write the fixture: " + writer.errorString().toStdString());
  return out;
}

QByteArray tiffFile(std::vector<TiffEntry> entries, const std::vector<TiffEntry> &exif, const QByteArray &pixels) {
  // A directory at `start`: the entries, then the values longer than 4 bytes (each at an even offset).
  const auto directory = [](const std::vector<TiffEntry> &list, uint32_t start) {
    const uint32_t valuesStart = start + 2 + 12 * uint32_t(list.size()) + 4;
    QByteArray out = littleEndian(uint32_t(list.size()), 2), values;
    for (const TiffEntry &entry : list) {
      out += littleEndian(entry.tag, 2) + littleEndian(entry.type, 2) + littleEndian(entry.count);
      if (entry.value.size() <= 4) {
        out += entry.value.leftJustified(4, '\0');
      } else {
        out += littleEndian(valuesStart + uint32_t(values.size()));
        values += entry.value.leftJustified(entry.value.size() + entry.value.size() % 2, '\0');
      }
    }
    return out + littleEndian(0) + values;  // no further directory
  };
  // As TIFF writers lay files out: the pixels (at 8), then the first directory, then the EXIF one.
  const QByteArray strip = pixels.leftJustified(pixels.size() + pixels.size() % 2, '\0');
  const uint32_t firstStart = 8 + uint32_t(strip.size());
  if (!exif.empty()) entries.push_back({34665, 4, 1, littleEndian(0)});
  std::sort(entries.begin(), entries.end(), [](const TiffEntry &a, const TiffEntry &b) { return a.tag < b.tag; });
  const uint32_t exifStart = firstStart + uint32_t(directory(entries, firstStart).size());  // pointers keep the size
  for (TiffEntry &entry : entries) {
    if (entry.tag == 34665) entry.value = littleEndian(exifStart);
    if (entry.tag == 273) entry.value = littleEndian(8);
  }
  return QByteArray("II*\0", 4) + littleEndian(firstStart) + strip + directory(entries, firstStart) +
         (exif.empty() ? QByteArray() : directory(exif, exifStart));
}

static std::vector<TiffEntry> cameraEntries() {
  return {{271, 2, 7, QByteArray("Kestor", 7)}, {272, 2, 5, QByteArray("Test", 5)}};
}

// The first directory of a one-strip grey image (photometric 1) or mosaic (32803), naming the
// camera; the strip offset is filled in by tiffFile.
static std::vector<TiffEntry> stripEntries(uint16_t width, uint16_t height, int bitsPerSample, int photometric,
                                           const QByteArray &pixels) {
  std::vector<TiffEntry> entries = cameraEntries();
  entries.insert(entries.end(), {
                                    {256, 4, 1, littleEndian(width)},
                                    {257, 4, 1, littleEndian(height)},
                                    {258, 3, 1, littleEndian(uint32_t(bitsPerSample), 2)},
                                    {259, 3, 1, littleEndian(1, 2)},
                                    {262, 3, 1, littleEndian(uint32_t(photometric), 2)},
                                    {273, 4, 1, {}},
                                    {277, 3, 1, littleEndian(1, 2)},
                                    {278, 4, 1, littleEndian(height)},
                                    {279, 4, 1, littleEndian(uint32_t(pixels.size()))},
                                });
  return entries;
}

std::vector<TiffEntry> shotExif() {
  return {
      {33434, 5, 1, littleEndian(1) + littleEndian(250)},
      {33437, 5, 1, littleEndian(28) + littleEndian(10)},
      {34855, 3, 1, littleEndian(800, 2)},
      {36867, 2, 20, QByteArray("2026:12:07 03:04:05", 20)},
      {37386, 5, 1, littleEndian(50) + littleEndian(1)},
  };
}

QByteArray greyTiff(uint16_t width, uint16_t height, const QByteArray &pixels) {
  return tiffFile(stripEntries(width, height, 8, 1, pixels), shotExif(), pixels);
}

QByteArray jpegWithExif(const QImage &image) {
  const QByteArray exif = QByteArray("Exif\0\0", 6) + tiffFile(cameraEntries(), shotExif(), {});
  const QByteArray length = bytes({int(exif.size() + 2) >> 8, int(exif.size() + 2) & 0xff});
  return encoded(image, "jpeg").insert(2, bytes({0xff, 0xe1}) + length + exif);  // after the start of image
}

QByteArray dngFile(uint16_t width, uint16_t height) {
  QByteArray pixels, identity;  // a gradient with a checkerboard of 8-pixel squares
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels += littleEndian(1000 + 40 * x + 20 * y + ((x / 8 + y / 8) % 2 ? 2000 : 0), 2);
  for (int i = 0; i < 9; ++i) identity += littleEndian(i % 4 == 0 ? 10000 : 0) + littleEndian(10000);
  std::vector<TiffEntry> entries = stripEntries(width, height, 16, 32803, pixels);
  entries.insert(entries.end(), {
                                    {254, 4, 1, littleEndian(0)},
                                    {284, 3, 1, littleEndian(1, 2)},
                                    {33421, 3, 2, littleEndian(2 | 2 << 16)},
                                    {33422, 1, 4, QByteArray("\0\1\1\2", 4)},
                                    {50706, 1, 4, QByteArray("\1\4\0\0", 4)},
                                    {50708, 2, 12, QByteArray("Kestor Test", 12)},
                                    {50721, 10, 9, identity},
                                });
  return tiffFile(std::move(entries), shotExif(), pixels);
}

Bitmap bitmapOver(const std::vector<uint8_t> &pixels, int64_t width, int64_t height, int bitsPerSample,
                  int samplesPerPixel, int bitsPerPixel, int64_t bytesPerRow) {
  Bitmap bitmap = Bitmap::packed(width, height, bitsPerSample, samplesPerPixel, pixels.data(), nullptr);
  if (bitsPerPixel) bitmap.bitsPerPixel = bitsPerPixel, bitmap.bytesPerRow = width * bitsPerPixel / 8;
  if (bytesPerRow) bitmap.bytesPerRow = bytesPerRow;
  return bitmap;
}

}  // namespace fixtures
