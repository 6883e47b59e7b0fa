#pragma once
// One decoded BLOB image: the bitmap, statistics over a 256-bin histogram of every fourth pixel,
// the automatic black and white points, and the stretched rendering between the rendering points
// (cached until a point changes). An Image always exists; when decoding fails it simply has no
// bitmap, no statistics and no rendering. It has no lock of its own: one thread uses it at a time.

#include "image/Bitmap.h"
#include "image/ImageStatistics.h"
#include "image/StretchRenderer.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>

class Image {
public:
  // `format` is the BLOB's format (".fits", ".nef", ...), compared in lower case.
  Image(const QByteArray &data, const QString &format);
  Image() = delete;
  Image(const Image &) = delete;
  Image &operator=(const Image &) = delete;

  int64_t autoBlackPoint() const { return statistics_ ? statistics_->automaticPoints.black : 0; }
  int64_t autoWhitePoint() const { return statistics_ ? statistics_->automaticPoints.white : 65535; }
  // Set the rendering points; each drops the cached rendering.
  void setBlackPoint(int64_t value);
  void setWhitePoint(int64_t value);

  // The stretched 8-bit RGB rendering at the bitmap's size; a null image when there is none.
  QImage image();
  // Whether renderings paint saturated grey pixels red (grey images, as the settings say).
  bool highlightsOverexposure() const;
  // A new rendering between the given points at `size` (at most the bitmap's; empty: the
  // bitmap's size), neither using nor filling the cache: it reads only the decoded bitmap, so
  // another thread may make it while the owner uses the image. A null image when there is none.
  QImage rendering(RenderingPoints at, bool highlight, QSize size) const;
  RenderingPoints renderingPoints() const { return points_; }
  // The histogram picture; a null image without statistics.
  QImage histogram() const { return cachedHistogram_; }

  // For the image's last holder, about to let go of it: hands a pixel buffer of the decoders' pool
  // (PixelBuffers) back at once, so that the next frame's decode finds it, and leaves the image
  // without a bitmap. What takes time to free (the data, other decoders' pixels) stays for the
  // image's end, which may come on another thread.
  void returnPooledPixels();

  const std::optional<Bitmap> &originalImageRep() const { return original_; }
  const std::optional<ImageStatistics> &imageStatistics() const { return statistics_; }
  int64_t width() const { return original_ ? original_->width : 0; }
  int64_t height() const { return original_ ? original_->height : 0; }
  int64_t size() const { return width() * height(); }
  int bitsPerPixel() const { return original_ ? original_->bitsPerPixel : 0; }
  const QString &format() const { return imageFormat_; }
  // The bitmap's EXIF data ("ExposureTime", "ISOSpeedRatings", ...), or without a bitmap the
  // image reader's text keys; absent when there are none.
  const std::optional<QVariantMap> &properties() const { return properties_; }
  const QByteArray &data() const { return imageData_; }
  // Which decoder made the bitmap, or tried to; and why there is no bitmap, when there is none.
  const QString &decoder() const { return decoderName_; }
  const QString &failureReason() const { return reason_; }

private:
  QByteArray imageData_;
  QString imageFormat_;
  QString decoderName_;
  QString reason_;
  std::optional<QVariantMap> properties_;
  std::optional<Bitmap> original_;
  std::optional<ImageStatistics> statistics_;
  QImage cachedHistogram_;
  RenderingPoints points_;
  QImage cachedBitmapData_;  // the rendering buffer, reused while nobody else holds it
  bool cached_ = false;
};
