#include "image/CameraRawDecoder.h"

#include "image/CheckedSize.h"

#include <QDateTime>

#include <libraw/libraw.h>

#include <cmath>
#include <utility>

namespace {

void ignoreDataError(void *, const char *, int) {}

DecodeResult libRawFailure(const char *step, int code) {
  return DecodeResult::failure(
      QStringLiteral("LibRaw %1: %2").arg(QLatin1String(step), QLatin1String(libraw_strerror(code))));
}

// LibRaw with the data opened (its header read), and the answer of the opening.
std::pair<std::unique_ptr<LibRaw>, int> opened(const QByteArray &data) {
  auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
  raw->set_dataerror_handler(&ignoreDataError, nullptr);
  // LibRaw only reads the buffer it is given.
  const int rc = raw->open_buffer(const_cast<char *>(data.constData()), size_t(data.size()));
  return {std::move(raw), rc};
}

}  // namespace

bool CameraRawDecoder::recognises(const QByteArray &data) { return opened(data).second == LIBRAW_SUCCESS; }

std::optional<QVariantMap> CameraRawDecoder::properties(const QByteArray &data) {
  const auto [raw, rc] = opened(data);
  if (rc != LIBRAW_SUCCESS) return std::nullopt;
  const libraw_iparams_t &camera = raw->imgdata.idata;
  const libraw_imgother_t &shot = raw->imgdata.other;
  QVariantMap properties;
  const auto text = [&](const char *key, const char *value) {
    if (value[0]) properties.insert(QString::fromLatin1(key), QString::fromUtf8(value));
  };
  const auto number = [&](const char *key, float value) {
    if (value > 0) properties.insert(QString::fromLatin1(key), double(value));
  };
  text("Make", camera.make);
  text("Model", camera.model);
  if (shot.iso_speed > 0) properties.insert(QStringLiteral("ISOSpeedRatings"), qint64(std::lround(shot.iso_speed)));
  number("ExposureTime", shot.shutter);
  number("FNumber", shot.aperture);
  number("FocalLength", shot.focal_len);
  if (shot.timestamp > 0)
    properties.insert(QStringLiteral("DateTimeOriginal"),
                      QDateTime::fromSecsSinceEpoch(shot.timestamp).toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")));
  if (properties.isEmpty()) return std::nullopt;
  return properties;
}

DecodeResult CameraRawDecoder::decode(const QByteArray &data) {
  const auto [raw, opening] = opened(data);
  if (opening != LIBRAW_SUCCESS) return libRawFailure("open", opening);
  raw->imgdata.params.output_bps = 8;
  raw->imgdata.params.use_camera_wb = 1;
  if (int rc = raw->unpack(); rc != LIBRAW_SUCCESS) return libRawFailure("unpack", rc);
  if (int rc = raw->dcraw_process(); rc != LIBRAW_SUCCESS) return libRawFailure("processing", rc);
  int rc = LIBRAW_SUCCESS;
  std::shared_ptr<libraw_processed_image_t> image(raw->dcraw_make_mem_image(&rc), &LibRaw::dcraw_clear_mem);
  if (!image || rc != LIBRAW_SUCCESS) return libRawFailure("image", rc);
  const std::optional<int64_t> bytes = checkedProduct({image->width, image->height, 3});
  if (image->type != LIBRAW_IMAGE_BITMAP || image->colors != 3 || image->bits != 8 || image->width == 0 ||
      image->height == 0 || !bytes || *bytes != int64_t(image->data_size))
    return DecodeResult::failure(QStringLiteral("LibRaw made no 8-bit RGB image"));
  const int64_t width = image->width;
  const int64_t height = image->height;
  const uint8_t *pixels = image->data;
  return DecodeResult::success(Bitmap::packed(width, height, 8, 3, pixels, std::move(image)));
}
