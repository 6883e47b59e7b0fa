#pragma once
// Image files made by the tests: raw, XISF and DNG assembled byte by byte, FITS written by cfitsio.

#include "image/Bitmap.h"

#include <QByteArray>
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
// A minimal DNG (uncompressed 16-bit RGGB mosaic, little-endian TIFF) that LibRaw reads.
QByteArray dngFile(uint16_t width, uint16_t height);
// A bitmap over `pixels`; bitsPerPixel defaults to bitsPerSample × samplesPerPixel and
// bytesPerRow to packed rows.
Bitmap bitmapOver(const std::vector<uint8_t> &pixels, int64_t width, int64_t height, int bitsPerSample,
                  int samplesPerPixel, int bitsPerPixel = 0, int64_t bytesPerRow = 0);

}  // namespace fixtures
