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

QImage Image::image()
{
    if (cached)
        return cachedBitmapData;
    if (!original)
        return {};
    const bool grey = original->bitsPerPixel == 8 || original->bitsPerPixel == 16;
    const bool highlight = grey && UserDefaults::boolForKey(QStringLiteral("highlightOverexposure"), true);
    if (!StretchRenderer::render(*original, points, highlight, cachedBitmapData))
        return {};
    cached = true;
    return cachedBitmapData;
}
