#include "image/XISFImageRep.h"

#include "core/StrictNumber.h"
#include "image/ByteOrder.h"
#include "image/CheckedSize.h"

#include <QXmlStreamReader>

#include <new>

namespace {

constexpr qsizetype HEADER_START = 16;

// A base-10 integer: an optional sign, then digits only. Anything else, or overflow, reads 0.
int64_t readInteger(QStringView text) { return StrictNumber::toInt64(text).value_or(0); }

// The 8-bit planes of `channels` channels, one after the other, as pixels whose samples lie
// next to each other.
std::unique_ptr<uint8_t[]> interleavePlanes(const uint8_t *planar, int64_t count, int channels) {
  std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[size_t(count) * size_t(channels)]);
  if (!pixels) return pixels;
  for (int channel = 0; channel < channels; ++channel) {
    const uint8_t *plane = planar + channel * count;
    for (int64_t i = 0; i < count; ++i) pixels[channels * i + channel] = plane[i];
  }
  return pixels;
}

}  // namespace

void XISFImageRep::ParserDelegate::parse(QByteArrayView header) {
  QXmlStreamReader xml(header.toByteArray());
  xml.setNamespaceProcessing(false);
  while (!xml.atEnd() && !xml.hasError()) {
    if (xml.readNext() != QXmlStreamReader::StartElement || xml.qualifiedName() != u"Image") continue;
    const QXmlStreamAttributes attributes = xml.attributes();
    if (attributes.isEmpty()) continue;
    if (attributes.hasAttribute(QLatin1String("geometry"))) {
      const auto pieces = attributes.value(QLatin1String("geometry")).split(u':', Qt::SkipEmptyParts);
      if (pieces.size() < 3) {
        failure = QStringLiteral("XISF geometry with fewer than three dimensions");
      } else {
        width = readInteger(pieces[0]);
        height = readInteger(pieces[1]);
        depth = readInteger(pieces[2]);
      }
    }
    if (attributes.hasAttribute(QLatin1String("sampleFormat"))) {
      const QStringView format = attributes.value(QLatin1String("sampleFormat"));
      if (format == u"UInt8")
        bytesPerPixel = 1;
      else if (format == u"UInt16")
        bytesPerPixel = 2;
    }
    if (attributes.hasAttribute(QLatin1String("location"))) {
      const auto pieces = attributes.value(QLatin1String("location")).split(u':', Qt::SkipEmptyParts);
      if (pieces.isEmpty()) {
        failure = QStringLiteral("XISF image without a location");
      } else if (pieces[0] == u"attachment") {
        if (pieces.size() < 2) {
          failure = QStringLiteral("XISF attachment without a position");
        } else {
          offset = readInteger(pieces[1]);
          attachmentSize = pieces.size() > 2 ? std::optional(readInteger(pieces[2])) : std::nullopt;
        }
      }
    }
    if (attributes.hasAttribute(QLatin1String("pixelStorage")))
      planar = attributes.value(QLatin1String("pixelStorage")) != u"Normal";
    if (attributes.hasAttribute(QLatin1String("compression"))) compressed = true;
    if (attributes.value(QLatin1String("byteOrder")) == u"big") bigEndian = true;
  }
}

bool XISFImageRep::canInitWithData(QByteArrayView data) { return data.startsWith("XISF0100"); }

DecodeResult XISFImageRep::imageRepsWithData(const QByteArray &data) {
  if (data.size() < HEADER_START)
    return DecodeResult::failure(QStringLiteral("XISF data shorter than its 16-byte preamble"));
  const int64_t headerLength = readLittleEndian32(data.constData() + 8);
  if (HEADER_START + headerLength > data.size())
    return DecodeResult::failure(QStringLiteral("XISF header longer than the data"));

  ParserDelegate delegate;
  delegate.parse(QByteArrayView(data).sliced(HEADER_START, headerLength));
  if (!delegate.failure.isEmpty()) return DecodeResult::failure(delegate.failure);
  if (delegate.width <= 0 || delegate.height <= 0 || delegate.depth <= 0 || delegate.bytesPerPixel <= 0 ||
      delegate.offset <= 0)
    return DecodeResult::failure(QStringLiteral("XISF header without a usable attached image"));
  if (delegate.compressed) return DecodeResult::failure(QStringLiteral("compressed XISF blocks are not supported"));
  if (delegate.bigEndian && delegate.bytesPerPixel > 1)
    return DecodeResult::failure(QStringLiteral("big-endian XISF blocks are not supported"));

  const std::optional<int64_t> pixelBytes = checkedProduct({delegate.depth, delegate.bytesPerPixel});
  if (!pixelBytes || *pixelBytes > 3)
    return DecodeResult::failure(QStringLiteral("unsupported XISF channels or sample format"));
  const std::optional<int64_t> count = checkedProduct({delegate.width, delegate.height});
  const std::optional<int64_t> needed = count ? checkedProduct({*count, *pixelBytes}) : std::nullopt;
  const std::optional<int64_t> end = needed ? checkedSum(delegate.offset, *needed) : std::nullopt;
  if (!end || *end > data.size())
    return DecodeResult::failure(QStringLiteral("XISF data shorter than its header promises"));
  if (delegate.attachmentSize && *delegate.attachmentSize < *needed)
    return DecodeResult::failure(QStringLiteral("XISF attachment smaller than its image"));

  auto kept = std::make_shared<const QByteArray>(data);
  const auto *block = reinterpret_cast<const uint8_t *>(kept->constData()) + delegate.offset;
  const int bitsPerSample = *pixelBytes == 2 ? 16 : 8;
  const int samplesPerPixel = *pixelBytes == 3 ? 3 : 1;
  if (delegate.depth == 1 || !delegate.planar)
    return DecodeResult::success(
        Bitmap::packed(delegate.width, delegate.height, bitsPerSample, samplesPerPixel, block, std::move(kept)));
  // Planar 8-bit channels (two or three): interleaved first, so that two channels make the
  // same 16-bit grey samples as their interleaved form.
  std::unique_ptr<uint8_t[]> interleaved = interleavePlanes(block, *count, int(delegate.depth));
  if (!interleaved) return DecodeResult::failure(QStringLiteral("out of memory for the XISF pixels"));
  const uint8_t *pixels = interleaved.get();
  std::shared_ptr<const uint8_t[]> owner(interleaved.release());
  return DecodeResult::success(
      Bitmap::packed(delegate.width, delegate.height, bitsPerSample, samplesPerPixel, pixels, std::move(owner)));
}

ImageRepClass XISFImageRep::imageRepClass() {
  return {"xisf", &XISFImageRep::canInitWithData, &XISFImageRep::imageRepsWithData};
}
