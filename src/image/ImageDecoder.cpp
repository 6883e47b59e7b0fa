#include "image/ImageDecoder.h"

#include "image/CameraRawDecoder.h"
#include "image/ImageRepRegistry.h"
#include "image/PlatformImageDecoder.h"

namespace ImageDecoder {

DecodedBitmap decode(const QByteArray &data, const QString &format) {
  if (format == u".nef" || format == u".arw") return {CameraRawDecoder::decode(data), QStringLiteral("camera raw")};
  if (const std::optional<ImageRepClass> repClass = ImageRepRegistry::claimant(data))
    return {repClass->imageRepsWithData(data), QString::fromLatin1(repClass->name)};
  return {PlatformImageDecoder::decode(data), QStringLiteral("platform")};
}

}  // namespace ImageDecoder
