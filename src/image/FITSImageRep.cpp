#include "image/FITSImageRep.h"

#include "core/Dispatch.h"
#include "image/CheckedSize.h"
#include "image/PixelBuffers.h"

#include <fitsio.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>

namespace {

// The most that the tiles of a compressed image may inflate to: the bytes given do not bound it.
constexpr int64_t MAX_INFLATED_BYTES = int64_t(1) << 30;

// An open in-memory FITS file. cfitsio keeps the addresses of `memory` and `memorySize` until
// the file is closed, so they live here beside the handle; the file is closed exactly once.
class MemoryFile {
public:
  explicit MemoryFile(const QByteArray &data)
      : memory(const_cast<char *>(data.constData())), memorySize(size_t(data.size())) {
    // Opened read-only and without a reallocation function: cfitsio never writes the bytes.
    if (fits_open_memfile(&file, "", READONLY, &memory, &memorySize, 0, nullptr, &status) != 0) file = nullptr;
  }
  ~MemoryFile() {
    if (file) {
      int closeStatus = 0;
      fits_close_file(file, &closeStatus);
    }
  }
  MemoryFile(const MemoryFile &) = delete;
  MemoryFile &operator=(const MemoryFile &) = delete;

  fitsfile *file = nullptr;
  int status = 0;

private:
  void *memory;
  size_t memorySize;
};

std::unique_ptr<uint8_t[]> allocate(int64_t bytes) {
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size_t(bytes)]);
}

// A tile-compressed file (fpack's) keeps its image in an extension after a primary unit without
// one: moves to the first unit that holds an image, or stays on the primary unit when none does.
void moveToImage(MemoryFile &fits) {
  int naxis = 0;
  fits_get_img_dim(fits.file, &naxis, &fits.status);
  for (int unit = 2; fits.status == 0 && naxis == 0; ++unit) {
    int type = 0;
    if (fits_movabs_hdu(fits.file, unit, &type, &fits.status) == 0 && type == IMAGE_HDU)
      fits_get_img_dim(fits.file, &naxis, &fits.status);
  }
  if (fits.status != 0) {
    fits.status = 0;
    fits_movabs_hdu(fits.file, 1, nullptr, &fits.status);
  }
}

// Pixels are read in strips of rows of about this size: the library copies, byte-swaps and
// offsets each strip in turn while it is in the processor's cache, instead of making three
// passes through the memory of the whole image.
constexpr int64_t STRIP_BYTES = 64 * 1024;
// Stored samples are converted in bands of rows at once, each of at least this many bytes of pixels.
constexpr int64_t BYTES_PER_BAND = 4 << 20;

// A scaling card's value: `absent` when the header has none; nothing when it cannot be read.
std::optional<double> scalingCard(MemoryFile &fits, const char *keyword, double absent) {
  double value = absent;
  int status = 0;
  fits_read_key(fits.file, TDOUBLE, keyword, &value, nullptr, &status);
  if (status == KEY_NO_EXIST) return absent;
  if (status != 0) return std::nullopt;
  return value;
}

// Where the samples lie in the file as the bitmap holds them, apart from the byte order: 8-bit
// unscaled, or 16-bit with the offset of unsigned samples (BZERO 32768, BSCALE 1), not
// tile-compressed. Those are converted straight from the file's bytes in one pass, at about the
// cost of copying them; cfitsio reads every other kind, and refuses what does not fit the
// bitmap's samples (an 8-bit file offset by 32768, say). Null when the samples are not stored so.
const uint8_t *storedSamples(MemoryFile &fits, int bitpix, bool compressed, const QByteArray &data, int64_t dataStart) {
  if (compressed || scalingCard(fits, "BZERO", 0) != (bitpix == 8 ? 0.0 : 32768.0) ||
      scalingCard(fits, "BSCALE", 1) != 1.0)
    return nullptr;
  return reinterpret_cast<const uint8_t *>(data.constData()) + dataStart;
}

// Big-endian stored samples to the bitmap's: 8-bit as they are, 16-bit in the machine's order
// without the offset. The bytes are copied first (the C library's copy writes whole cache lines
// without reading them first), then the samples of the strip, still in the cache, are turned.
void convertSamples(const uint8_t *stored, int bitpix, int64_t count, uint8_t *out) {
  std::memcpy(out, stored, size_t(count * (bitpix / 8)));
  if (bitpix == 8) return;
  for (int64_t i = 0; i < count; ++i) {
    uint16_t sample;
    std::memcpy(&sample, out + 2 * i, 2);
    sample = uint16_t(__builtin_bswap16(sample) ^ 0x8000);
    std::memcpy(out + 2 * i, &sample, 2);
  }
}

// Reads `rows` rows from `firstRow` (0-based) of one plane (1-based) into `buffer`, from the
// stored samples when there are (see storedSamples); false on any library error.
bool readRows(MemoryFile &fits, const uint8_t *stored, int bitpix, long plane, int64_t firstRow, int64_t rows,
              int64_t width, int64_t height, uint8_t *buffer) {
  const int64_t count = rows * width;
  if (stored) {
    convertSamples(stored + ((plane - 1) * height + firstRow) * width * (bitpix / 8), bitpix, count, buffer);
    return true;
  }
  long firstPixel[3] = {1, long(firstRow + 1), plane};
  fits_read_pix(fits.file, bitpix == 8 ? TBYTE : TUSHORT, firstPixel, LONGLONG(count), nullptr, buffer, nullptr,
                &fits.status);
  return fits.status == 0;
}

// Interleaves one plane into the RGB buffer at `channel`: 8-bit samples as they are, 16-bit
// samples by their high byte.
void interleavePlane(const uint8_t *plane, int bitpix, int64_t count, int channel, uint8_t *rgb) {
  if (bitpix == 8) {
    for (int64_t i = 0; i < count; ++i) rgb[3 * i + channel] = plane[i];
  } else {
    const auto *samples = reinterpret_cast<const uint16_t *>(plane);
    for (int64_t i = 0; i < count; ++i) rgb[3 * i + channel] = uint8_t(samples[i] >> 8);
  }
}

}  // namespace

bool FITSImageRep::canInitWithData(QByteArrayView data) { return data.startsWith("SIMPLE"); }

DecodeResult FITSImageRep::imageRepsWithData(const QByteArray &data) {
  MemoryFile fits(data);
  if (!fits.file)
    return DecodeResult::failure(QStringLiteral("cfitsio cannot open the data (status %1)").arg(fits.status));

  // cfitsio takes the data size that the header declares: check that the image unit's data
  // lies within the bytes we were given before any pixel is read.
  moveToImage(fits);
  LONGLONG headStart = 0, dataStart = 0, dataEnd = 0;
  fits_get_hduaddrll(fits.file, &headStart, &dataStart, &dataEnd, &fits.status);
  if (fits.status != 0 || dataStart <= 0 || dataEnd < dataStart || dataEnd > data.size())
    return DecodeResult::failure(QStringLiteral("FITS data shorter than its header promises"));
  const bool compressed = fits_is_compressed_image(fits.file, &fits.status) != 0;

  int bitpix = 0;
  int naxis = 0;
  long naxes[3] = {0, 0, 1};
  fits_get_img_param(fits.file, 3, &bitpix, &naxis, naxes, &fits.status);
  if (fits.status != 0) return DecodeResult::failure(QStringLiteral("cannot read the FITS image parameters"));
  if ((naxis != 2 && naxis != 3) || (bitpix != 8 && bitpix != 16))
    return DecodeResult::failure(QStringLiteral("unsupported FITS image: NAXIS %1, BITPIX %2").arg(naxis).arg(bitpix));
  const int planes = naxis == 3 ? 3 : 1;
  if (naxes[0] <= 0 || naxes[1] <= 0 || (naxis == 3 && naxes[2] < 3))
    return DecodeResult::failure(QStringLiteral("FITS image without the pixels it needs"));

  const int64_t width = naxes[0];
  const int64_t height = naxes[1];
  const int bytesPerSample = bitpix / 8;
  const std::optional<int64_t> storedBytes = checkedProduct({width, height, bytesPerSample, planes});
  const std::optional<int64_t> bufferBytes = checkedProduct({width, height, planes == 3 ? 3 : bytesPerSample});
  if (!storedBytes || !bufferBytes || (!compressed && *storedBytes > dataEnd - dataStart))
    return DecodeResult::failure(QStringLiteral("FITS data shorter than its header promises"));
  if (compressed && *storedBytes > MAX_INFLATED_BYTES)
    return DecodeResult::failure(QStringLiteral("compressed FITS image larger than %1 bytes").arg(MAX_INFLATED_BYTES));

  const uint8_t *stored = storedSamples(fits, bitpix, compressed, data, dataStart);
  std::shared_ptr<uint8_t[]> buffer = PixelBuffers::take(*bufferBytes);
  const int64_t rowBytes = width * bytesPerSample;
  // Tile-compressed planes are read whole: cfitsio inflates a tile for every read that touches it.
  const int64_t stripRows = compressed ? height : std::clamp<int64_t>(STRIP_BYTES / rowBytes, 1, height);
  // Reads rows [first, end) strip by strip, a cube's planes through a strip buffer of its own: 0,
  // or the plane (1-based) that cfitsio could not read.
  const auto readBand = [&](int64_t first, int64_t end) {
    std::unique_ptr<uint8_t[]> strip = planes == 3 ? allocate(stripRows * rowBytes) : nullptr;
    if (planes == 3 && !strip) return -1;
    for (int64_t row = first; row < end; row += stripRows) {
      const int64_t rows = std::min(stripRows, end - row);
      if (planes == 1) {
        if (!readRows(fits, stored, bitpix, 1, row, rows, width, height, buffer.get() + row * rowBytes)) return 1;
        continue;
      }
      for (int channel = 0; channel < 3; ++channel) {
        if (!readRows(fits, stored, bitpix, channel + 1, row, rows, width, height, strip.get())) return channel + 1;
        interleavePlane(strip.get(), bitpix, rows * width, channel, buffer.get() + 3 * row * width);
      }
    }
    return 0;
  };
  if (!buffer) return DecodeResult::failure(QStringLiteral("out of memory for the FITS pixels"));
  // Stored samples are converted in bands of rows on a few threads; cfitsio reads on this one.
  std::array<int, MAX_ROW_BANDS> failed{};
  concurrentPerformRows(height, stored ? *bufferBytes : 0, BYTES_PER_BAND,
                        [&](size_t band, int64_t first, int64_t end) { failed[band] = readBand(first, end); });
  for (const int plane : failed) {
    if (plane < 0) return DecodeResult::failure(QStringLiteral("out of memory for the FITS pixels"));
    if (plane > 0 && planes == 1)
      return DecodeResult::failure(QStringLiteral("cannot read the FITS pixels (status %1)").arg(fits.status));
    if (plane > 0)
      return DecodeResult::failure(QStringLiteral("cannot read FITS plane %1 (status %2)").arg(plane).arg(fits.status));
  }

  const uint8_t *pixels = buffer.get();
  return DecodeResult::success(
      Bitmap::packed(width, height, planes == 3 ? 8 : bitpix, planes == 3 ? 3 : 1, pixels, std::move(buffer)));
}

ImageRepClass FITSImageRep::imageRepClass() {
  return {"fits", &FITSImageRep::canInitWithData, &FITSImageRep::imageRepsWithData};
}
