#include "image/RawImageRep.h"

#include "image/ByteOrder.h"
#include "image/CheckedSize.h"

namespace {

constexpr qsizetype HEADER_SIZE = 12;

struct RawLayout {
  int bitsPerSample;
  int samplesPerPixel;
};

std::optional<RawLayout> layoutFor(const char *signature) {
  const QByteArrayView sig(signature, 4);
  if (sig == "RAW1") return RawLayout{8, 1};
  if (sig == "RAW2") return RawLayout{16, 1};
  if (sig == "RAW3") return RawLayout{8, 3};
  return std::nullopt;
}

}  // namespace

bool RawImageRep::canInitWithData(QByteArrayView data) { return data.startsWith("RAW"); }

DecodeResult RawImageRep::imageRepsWithData(const QByteArray &data) {
  if (data.size() < HEADER_SIZE) return DecodeResult::failure(QStringLiteral("raw header shorter than 12 bytes"));
  const std::optional<RawLayout> layout = layoutFor(data.constData());
  if (!layout) return DecodeResult::failure(QStringLiteral("unknown raw signature"));
  const int64_t width = readLittleEndian32(data.constData() + 4);
  const int64_t height = readLittleEndian32(data.constData() + 8);
  if (width == 0 || height == 0) return DecodeResult::failure(QStringLiteral("raw image without pixels"));
  const int bytesPerPixel = layout->bitsPerSample / 8 * layout->samplesPerPixel;
  const std::optional<int64_t> pixelBytes = checkedProduct({width, height, bytesPerPixel});
  const std::optional<int64_t> needed = pixelBytes ? checkedSum(HEADER_SIZE, *pixelBytes) : std::nullopt;
  if (!needed || *needed > data.size())
    return DecodeResult::failure(QStringLiteral("raw data shorter than its header promises"));

  auto kept = std::make_shared<const QByteArray>(data);
  const auto *pixels = reinterpret_cast<const uint8_t *>(kept->constData()) + HEADER_SIZE;
  return DecodeResult::success(
      Bitmap::packed(width, height, layout->bitsPerSample, layout->samplesPerPixel, pixels, std::move(kept)));
}

ImageRepClass RawImageRep::imageRepClass() {
  return {"raw", &RawImageRep::canInitWithData, &RawImageRep::imageRepsWithData};
}
