#pragma once
// Image files made by the tests: raw and XISF assembled byte by byte, FITS written by cfitsio.

#include "image/Bitmap.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace fixtures {

// A framework raw file: signature, width, height (little-endian), then `pixels`.
QByteArray rawFile(const char *signature, uint32_t width, uint32_t height, const QByteArray &pixels);

// A FITS file written by cfitsio: `imageType` is a cfitsio image type (BYTE_IMG, SHORT_IMG,
// USHORT_IMG, FLOAT_IMG, ...), `pixels` are `count` values of cfitsio type `dataType`.
QByteArray fitsFile(int imageType, const std::vector<long> &axes, int dataType, const void *pixels);

// The FITS file's primary image tile-compressed by cfitsio as fpack does (.fits.fz): an empty
// primary unit, then the Rice-compressed image as an extension.
QByteArray fpacked(const QByteArray &fits);

// An XISF file whose header holds `elements` (e.g. `<Image geometry="4:2:1" .../>`), with
// `block` placed at `offset` (the file is zero-filled up to it).
QByteArray xisfFile(const QString &elements, qsizetype offset, const QByteArray &block);

// A minimal DNG (uncompressed 16-bit RGGB mosaic, little-endian TIFF) of a checkerboard of
// 8-pixel squares, as a camera raw file that LibRaw reads.
QByteArray dngFile(uint16_t width, uint16_t height);

// A bitmap over `pixels`; bitsPerPixel defaults to bitsPerSample × samplesPerPixel and
// bytesPerRow to packed rows.
Bitmap bitmapOver(const std::vector<uint8_t> &pixels, int64_t width, int64_t height, int bitsPerSample,
                  int samplesPerPixel, int bitsPerPixel = 0, int64_t bytesPerRow = 0);

// A decoder's answer when it must make no bitmap: none, and a reason.
void expectNoBitmap(const DecodeResult &result);

// Bytes from a list of values.
QByteArray bytes(std::initializer_list<int> values);

} // namespace fixtures
