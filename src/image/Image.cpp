#include "image/Image.h"

#include "core/Settings.h"
#include "image/HistogramPicture.h"
#include "image/ImageDecoder.h"
#include "image/ImageProperties.h"
#include "image/PixelBuffers.h"

Image::Image(const QByteArray &data, const QString &format) : imageData_(data), imageFormat_(format.toLower()) {
  DecodedBitmap decoded = ImageDecoder::decode(imageData_, imageFormat_);
  properties_ = ImageProperties::of(imageData_, decoded);
  decoderName_ = std::move(decoded.decoder);
  reason_ = std::move(decoded.result.reason);
  original_ = std::move(decoded.result.bitmap);
  if (original_) statistics_ = ImageStatistics::compute(*original_);
  if (statistics_) cachedHistogram_ = HistogramPicture::draw(statistics_->histo);
}

void Image::returnPooledPixels() {
  if (original_ && PixelBuffers::pooled(original_->owner)) original_.reset();
}

void Image::setBlackPoint(int64_t value) {
  points_.black = value;
  cached_ = false;
}

void Image::setWhitePoint(int64_t value) {
  points_.white = value;
  cached_ = false;
}

bool Image::highlightsOverexposure() const {
  const bool grey = original_ && (original_->bitsPerPixel == 8 || original_->bitsPerPixel == 16);
  return grey && UserDefaults::read(Setting::HIGHLIGHT_OVEREXPOSURE);
}

QImage Image::rendering(RenderingPoints at, bool highlight, QSize size) const {
  QImage target;
  if (!original_ || !StretchRenderer::render(*original_, at, highlight, target, size)) return {};
  return target;
}

QImage Image::image() {
  if (cached_) return cachedBitmapData_;
  if (!original_) return {};
  if (!StretchRenderer::render(*original_, points_, highlightsOverexposure(), cachedBitmapData_)) return {};
  cached_ = true;
  return cachedBitmapData_;
}
