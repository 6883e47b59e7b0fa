#pragma once
// Image files made by the tests: raw, XISF and DNG assembled byte by byte, FITS written by cfitsio.

#include "image/Bitmap.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <utility>
#include <vector>

namespace fixtures {

// Bytes from a list of values.
QByteArray bytes(std::initializer_list<int> values);
// A framework raw file: signature, width, height (little-endian), then `pixels`.
QByteArray rawFile(const char *signature, uint32_t width, uint32_t height, const QByteArray &pixels);
// A FITS file written by cfitsio: `imageType` is a cfitsio image type (BYTE_IMG, USHORT_IMG, ...),
// `pixels` the values of the cfitsio type `dataType`, stored as they are; `cards` (BZERO, BSCALE,
// ...) are added after the pixels, so they scale the stored values when the file is read.
QByteArray fitsFile(int imageType, const std::vector<long> &axes, int dataType, const void *pixels,
                    const std::vector<std::pair<const char *, double>> &cards = {});
// The FITS file's image Rice-compressed by cfitsio as fpack does (.fits.fz): an empty primary
// unit, then the image as an extension.
QByteArray fpacked(const QByteArray &fits);
// An XISF file whose header holds `elements`, with `block` at `offset` (zero-filled up to it).
QByteArray xisfFile(const QString &elements, qsizetype offset, const QByteArray &block);
// `image` written by Qt's writer of `format`.
QByteArray encoded(const QImage &image, const char *format, int quality = -1);
// One entry of a TIFF directory: tag, type (1 byte, 2 text, 3 short, 4 long, 5 rational,
// 10 signed rational), count, and the value's little-endian bytes.
struct TiffEntry {
  uint16_t tag, type;
  uint32_t count;
  QByteArray value;
};
// A little-endian TIFF file: `pixels`, then the first directory holding `entries`, the strip
// offset (tag 273, when among them) of the pixels and a pointer to an EXIF directory holding
// `exif`, if any, which follows.
QByteArray tiffFile(std::vector<TiffEntry> entries, const std::vector<TiffEntry> &exif, const QByteArray &pixels);
// The EXIF that the files below carry: 1/250 s at f/2.8, ISO 800, 50 mm, taken "2026:12:07 03:04:05";
// their first directory names the camera "Kestor" "Test".
std::vector<TiffEntry> shotExif();
// An uncompressed 8-bit grey TIFF, one strip.
QByteArray greyTiff(uint16_t width, uint16_t height, const QByteArray &pixels);
// `image` as a JPEG carrying the EXIF in an APP1 segment.
QByteArray jpegWithExif(const QImage &image);
// A minimal DNG (uncompressed 16-bit RGGB mosaic, little-endian TIFF) that LibRaw reads.
QByteArray dngFile(uint16_t width, uint16_t height);
// A bitmap over `pixels`; bitsPerPixel defaults to bitsPerSample × samplesPerPixel and
// bytesPerRow to packed rows.
Bitmap bitmapOver(const std::vector<uint8_t> &pixels, int64_t width, int64_t height, int bitsPerSample,
                  int samplesPerPixel, int bitsPerPixel = 0, int64_t bytesPerRow = 0);

}  // namespace fixtures
