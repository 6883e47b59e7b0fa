#pragma once
// The decoded pixels of an image as the statistics and the stretch read them: one plane, rows
// from the top, each row `bytesPerRow` long (rows may be padded beyond width × bitsPerPixel / 8).

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

struct Bitmap {
  enum class ColourSpace { Grey, RGB };

  int64_t width = 0;
  int64_t height = 0;
  int64_t bytesPerRow = 0;
  int bitsPerSample = 0;
  int samplesPerPixel = 0;
  int bitsPerPixel = 0;
  bool alphaFirst = false;
  ColourSpace colourSpace = ColourSpace::Grey;
  // Plane 0: the first byte of the top row. Stays valid as long as `owner` lives.
  const uint8_t *pixels = nullptr;
  // Keeps the bytes behind `pixels` alive: the caller's data, a decoded buffer or a QImage.
  std::shared_ptr<const void> owner;

  // A bitmap whose rows are packed without padding: grey with one sample per pixel, RGB with three.
  static Bitmap packed(int64_t width, int64_t height, int bitsPerSample, int samplesPerPixel, const uint8_t *pixels,
                       std::shared_ptr<const void> owner) {
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bitsPerSample = bitsPerSample;
    bitmap.samplesPerPixel = samplesPerPixel;
    bitmap.bitsPerPixel = bitsPerSample * samplesPerPixel;
    bitmap.bytesPerRow = width * bitmap.bitsPerPixel / 8;
    bitmap.colourSpace = samplesPerPixel == 3 ? ColourSpace::RGB : ColourSpace::Grey;
    bitmap.pixels = pixels;
    bitmap.owner = std::move(owner);
    return bitmap;
  }
};

// What a decoder made of some bytes: a bitmap, or the reason why there is none.
struct DecodeResult {
  std::optional<Bitmap> bitmap;
  QString reason;

  static DecodeResult success(Bitmap bitmap) { return {std::move(bitmap), {}}; }
  static DecodeResult failure(const QString &reason) { return {std::nullopt, reason}; }
};
