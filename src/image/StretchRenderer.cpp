#include "image/StretchRenderer.h"

#include "image/CheckedSize.h"

#include <climits>
#include <cstring>
#include <vector>

namespace {

// The stretched value of every possible sample of `bits` bits; a table gives the same bytes as
// the formula at a fraction of its cost.
std::vector<uint8_t> stretchTable(int bits, RenderingPoints points)
{
    std::vector<uint8_t> table(size_t(1) << bits);
    for (size_t p = 0; p < table.size(); ++p)
        table[p] = StretchRenderer::stretch(int64_t(p), points);
    return table;
}

// The RGB triple of every grey sample, with the saturated value red or white.
std::vector<uint8_t> greyTable(int bits, RenderingPoints points, bool highlightOverexposure)
{
    const std::vector<uint8_t> values = stretchTable(bits, points);
    std::vector<uint8_t> rgb(values.size() * 3);
    for (size_t p = 0; p < values.size(); ++p)
        std::memset(&rgb[3 * p], values[p], 3);
    const size_t saturated = values.size() - 1;
    rgb[3 * saturated] = 255;
    rgb[3 * saturated + 1] = highlightOverexposure ? 0 : 255;
    rgb[3 * saturated + 2] = highlightOverexposure ? 0 : 255;
    return rgb;
}

uint16_t sample16(const uint8_t *p)
{
    uint16_t value;
    std::memcpy(&value, p, 2);
    return value;
}

// Calls `convert(in, out, width)` for every row of the bitmap and of the target.
template <typename Convert>
void forEachRow(const Bitmap &bitmap, QImage &target, Convert convert)
{
    for (int64_t y = 0; y < bitmap.height; ++y)
        convert(bitmap.pixels + y * bitmap.bytesPerRow, target.scanLine(int(y)), bitmap.width);
}

void renderGrey(const Bitmap &bitmap, const std::vector<uint8_t> &rgb, QImage &target)
{
    const uint8_t *table = rgb.data();
    if (bitmap.bitsPerPixel == 8) {
        forEachRow(bitmap, target, [table](const uint8_t *in, uint8_t *out, int64_t width) {
            for (int64_t x = 0; x < width; ++x, out += 3)
                std::memcpy(out, table + 3 * in[x], 3);
        });
    } else {
        forEachRow(bitmap, target, [table](const uint8_t *in, uint8_t *out, int64_t width) {
            for (int64_t x = 0; x < width; ++x, out += 3)
                std::memcpy(out, table + 3 * size_t(sample16(in + 2 * x)), 3);
        });
    }
}

void renderColour(const Bitmap &bitmap, const std::vector<uint8_t> &values, QImage &target)
{
    const uint8_t *table = values.data();
    switch (bitmap.bitsPerPixel) {
    case 24:
        forEachRow(bitmap, target, [table](const uint8_t *in, uint8_t *out, int64_t width) {
            for (int64_t i = 0; i < 3 * width; ++i)
                out[i] = table[in[i]];
        });
        break;
    case 32: {
        const int alpha = bitmap.alphaFirst ? 1 : 0;
        forEachRow(bitmap, target, [table, alpha](const uint8_t *in, uint8_t *out, int64_t width) {
            for (int64_t x = 0; x < width; ++x, in += 4, out += 3) {
                out[0] = table[in[alpha]];
                out[1] = table[in[alpha + 1]];
                out[2] = table[in[alpha + 2]];
            }
        });
        break;
    }
    default: // 48
        forEachRow(bitmap, target, [table](const uint8_t *in, uint8_t *out, int64_t width) {
            for (int64_t i = 0; i < 3 * width; ++i)
                out[i] = table[sample16(in + 2 * i)];
        });
        break;
    }
}

bool prepareTarget(const Bitmap &bitmap, QImage &target)
{
    const std::optional<int64_t> rowBytes = checkedProduct({bitmap.width, 3});
    if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.height > INT_MAX || !rowBytes || *rowBytes > INT_MAX ||
        !checkedProduct({*rowBytes, bitmap.height}))
        return false;
    if (target.width() == bitmap.width && target.height() == bitmap.height &&
        target.format() == QImage::Format_RGB888) {
        target.bits(); // detaches from a picture handed out earlier, which keeps its pixels
        return !target.isNull();
    }
    QImage fresh(int(bitmap.width), int(bitmap.height), QImage::Format_RGB888);
    if (fresh.isNull())
        return false;
    target = std::move(fresh);
    return true;
}

} // namespace

namespace StretchRenderer {

uint8_t stretch(int64_t p, RenderingPoints points)
{
    const double scale = double(points.white - points.black) * 0.00390625;
    if (!(scale > 0))
        return 0;
    const double v = double(p - points.black) / scale;
    if (v < 0)
        return 0;
    if (v > 255)
        return 255;
    return uint8_t(v);
}

bool render(const Bitmap &bitmap, RenderingPoints points, bool highlightOverexposure, QImage &target)
{
    const int bpp = bitmap.bitsPerPixel;
    if (!bitmap.pixels || (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32 && bpp != 48))
        return false;
    if (!prepareTarget(bitmap, target))
        return false;
    if (bpp == 8 || bpp == 16)
        renderGrey(bitmap, greyTable(bpp, points, highlightOverexposure), target);
    else
        renderColour(bitmap, stretchTable(bpp == 48 ? 16 : 8, points), target);
    return true;
}

} // namespace StretchRenderer
