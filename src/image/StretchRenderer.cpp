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

// The RGB triple of every grey sample, packed into the low three bytes of a word in memory
// order, with the saturated value red or white.
std::vector<uint32_t> greyTable(int bits, RenderingPoints points, bool highlightOverexposure)
{
    const std::vector<uint8_t> values = stretchTable(bits, points);
    std::vector<uint32_t> rgb(values.size());
    for (size_t p = 0; p < values.size(); ++p)
        rgb[p] = values[p] * 0x010101u;
    rgb.back() = highlightOverexposure ? 0x0000ffu : 0xffffffu;
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

// Writes each pixel as a 4-byte word whose fourth byte the next pixel overwrites; the last
// pixel of a row gets its three bytes alone.
template <typename SampleAt>
void writeGreyRow(const uint32_t *table, SampleAt sampleAt, uint8_t *out, int64_t width)
{
    for (int64_t x = 0; x + 1 < width; ++x, out += 3)
        std::memcpy(out, &table[sampleAt(x)], 4);
    std::memcpy(out, &table[sampleAt(width - 1)], 3);
}

void renderGrey(const Bitmap &bitmap, const std::vector<uint32_t> &rgb, QImage &target)
{
    const uint32_t *table = rgb.data();
    if (bitmap.bitsPerPixel == 8) {
        forEachRow(bitmap, target, [table](const uint8_t *in, uint8_t *out, int64_t width) {
            writeGreyRow(table, [in](int64_t x) { return in[x]; }, out, width);
        });
    } else {
        forEachRow(bitmap, target, [table](const uint8_t *in, uint8_t *out, int64_t width) {
            writeGreyRow(table, [in](int64_t x) { return sample16(in + 2 * x); }, out, width);
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
