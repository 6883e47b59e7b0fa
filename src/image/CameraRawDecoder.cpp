#include "image/CameraRawDecoder.h"

#include "image/CheckedSize.h"

#include <libraw/libraw.h>

namespace {

void ignoreDataError(void *, const char *, int) {}

DecodeResult libRawFailure(const char *step, int code) {
  return DecodeResult::failure(
      QStringLiteral("LibRaw %1: %2").arg(QLatin1String(step), QLatin1String(libraw_strerror(code))));
}

}  // namespace

DecodeResult CameraRawDecoder::decode(const QByteArray &data) {
  auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
  raw->set_dataerror_handler(&ignoreDataError, nullptr);
  raw->imgdata.params.output_bps = 8;
  raw->imgdata.params.use_camera_wb = 1;
  // LibRaw only reads the buffer it is given.
  if (int rc = raw->open_buffer(const_cast<char *>(data.constData()), size_t(data.size())); rc != LIBRAW_SUCCESS)
    return libRawFailure("open", rc);
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
