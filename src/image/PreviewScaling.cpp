#include "image/PreviewScaling.h"

#include <algorithm>
#include <vector>

namespace {

// Column sums of one block stay below 2^16: 257 rows × 255.
constexpr int LARGEST_FACTOR = 257;

// Restricted pointers let the compiler add many bytes at a time.
void addRow(const uchar *__restrict in, uint16_t *__restrict sums, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        sums[i] += in[i];
}

} // namespace

namespace PreviewScaling {

QImage blockAverage(const QImage &image, int factor)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const int width = rgb.width() / factor;
    const int height = rgb.height() / factor;
    QImage out(width, height, QImage::Format_RGB888);
    if (out.isNull())
        return out;
    const uint32_t area = uint32_t(factor) * uint32_t(factor);
    // Column sums over the rows of one block, then block sums across the columns.
    std::vector<uint16_t> columns(size_t(width) * size_t(factor) * 3);
    for (int y = 0; y < height; ++y) {
        std::fill(columns.begin(), columns.end(), 0);
        for (int row = y * factor; row < (y + 1) * factor; ++row)
            addRow(rgb.constScanLine(row), columns.data(), columns.size());
        uchar *line = out.scanLine(y);
        const uint16_t *column = columns.data();
        for (int x = 0; x < width; ++x, line += 3) {
            uint32_t sum[3] = {0, 0, 0};
            for (int i = 0; i < factor; ++i, column += 3) {
                sum[0] += column[0];
                sum[1] += column[1];
                sum[2] += column[2];
            }
            line[0] = uchar(sum[0] / area);
            line[1] = uchar(sum[1] / area);
            line[2] = uchar(sum[2] / area);
        }
    }
    return out;
}

QImage scaledToFit(const QImage &image, const QSize &frame)
{
    if (frame.isEmpty())
        return {};
    if (image.width() <= frame.width() && image.height() <= frame.height())
        return image;
    const QSize fitted = image.size().scaled(frame, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const int factor = std::min({image.width() / (2 * fitted.width()), image.height() / (2 * fitted.height()),
                                 LARGEST_FACTOR});
    const QImage reduced = factor >= 2 ? blockAverage(image, factor) : image;
    return reduced.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace PreviewScaling
