#include "image/ImageDecoder.h"

#include "image/CameraRawDecoder.h"
#include "image/ImageRepRegistry.h"
#include "image/PlatformImageDecoder.h"

namespace ImageDecoder {

namespace {

// A TIFF header, little- or big-endian: also the start of most camera raw files (DNG, NEF, CR2, ...).
bool isTIFF(const QByteArray &data) {
  return data.startsWith(QByteArrayView("II*\0", 4)) || data.startsWith(QByteArrayView("MM\0*", 4));
}

DecodedBitmap cameraRaw(const QByteArray &data) { return {CameraRawDecoder::decode(data), CAMERA_RAW}; }

}  // namespace

DecodedBitmap decode(const QByteArray &data, const QString &format) {
  if (format == u".nef" || format == u".arw") return cameraRaw(data);
  if (const std::optional<ImageRepClass> repClass = ImageRepRegistry::claimant(data))
    return {repClass->imageRepsWithData(data), QString::fromLatin1(repClass->name)};
  const bool tiff = isTIFF(data);
  if (tiff && CameraRawDecoder::recognises(data)) return cameraRaw(data);
  DecodeResult platform = PlatformImageDecoder::decode(data);
  if (!platform.bitmap && !tiff && CameraRawDecoder::recognises(data)) return cameraRaw(data);
  return {std::move(platform), PLATFORM};
}

}  // namespace ImageDecoder
