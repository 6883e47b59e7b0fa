#include "image/Image.h"

#include "core/Settings.h"
#include "image/HistogramPicture.h"
#include "image/ImageDecoder.h"

Image::Image(const QByteArray &data, const QString &format) : imageData(data), imageFormat(format.toLower())
{
    DecodedBitmap decoded = ImageDecoder::decode(imageData, imageFormat);
    decoderName = std::move(decoded.decoder);
    reason = std::move(decoded.result.reason);
    original = std::move(decoded.result.bitmap);
    if (original)
        statistics = ImageStatistics::compute(*original);
    if (statistics)
        cachedHistogram = HistogramPicture::draw(statistics->histo);
}

void Image::setBlackPoint(int64_t value)
{
    points.black = value;
    cached = false;
}

void Image::setWhitePoint(int64_t value)
{
    points.white = value;
    cached = false;
}

bool Image::highlightsOverexposure() const
{
    const bool grey = original && (original->bitsPerPixel == 8 || original->bitsPerPixel == 16);
    return grey && UserDefaults::read(Setting::HIGHLIGHT_OVEREXPOSURE);
}

QImage Image::rendering(RenderingPoints at, bool highlight, QSize size) const
{
    QImage target;
    if (!original || !StretchRenderer::render(*original, at, highlight, target, size))
        return {};
    return target;
}

QImage Image::image()
{
    if (cached)
        return cachedBitmapData;
    if (!original)
        return {};
    if (!StretchRenderer::render(*original, points, highlightsOverexposure(), cachedBitmapData))
        return {};
    cached = true;
    return cachedBitmapData;
}
