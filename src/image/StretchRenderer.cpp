#include "image/StretchRenderer.h"

#include "core/Dispatch.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

namespace {

// The stretched value of every possible sample of `bits` bits; a table gives the same bytes as
// the formula at a fraction of its cost.
std::vector<uint8_t> stretchTable(int bits, RenderingPoints points) {
  std::vector<uint8_t> table(size_t(1) << bits);
  for (size_t p = 0; p < table.size(); ++p) table[p] = StretchRenderer::stretch(int64_t(p), points);
  return table;
}

uint16_t sample16(const uint8_t *p) {
  uint16_t value;
  std::memcpy(&value, p, 2);
  return value;
}

// The sums of the stretched channels over the block of one output pixel. A grey pixel adds its
// value to the first unless it is saturated; the second counts the saturated ones.
using Sums = std::array<uint64_t, 3>;

// The first bitmap column (or row) of each output column (or row), and one past the last.
std::vector<int64_t> blockBounds(int64_t in, int64_t out) {
  std::vector<int64_t> bounds(size_t(out) + 1);
  for (int64_t i = 0; i <= out; ++i) bounds[size_t(i)] = int64_t(__int128(i) * in / out);
  return bounds;
}

// Adds the pixels of one bitmap row to the sums of the output columns whose blocks hold them;
// `add(row, x, sums)` adds pixel x.
template <typename Add>
void addPixels(const uint8_t *row, const std::vector<int64_t> &columns, std::vector<Sums> &sums, Add add) {
  for (size_t x = 0; x < sums.size(); ++x) {
    Sums block = sums[x];
    for (int64_t column = columns[x]; column < columns[x + 1]; ++column) add(row, column, block);
    sums[x] = block;
  }
}

// Grey samples: the stretched value in the low 16 bits, or 1 << 16 for a saturated sample,
// whose value is left out; 256 samples add up without the values carrying over.
constexpr int64_t GREY_RUN = 256;

std::vector<uint32_t> greyTable(int bits, RenderingPoints points) {
  const std::vector<uint8_t> values = stretchTable(bits, points);
  std::vector<uint32_t> table(values.begin(), values.end());
  table.back() = 1u << 16;
  return table;
}

// As addPixels for grey rows: the table's words of a run of samples in one sum, then split.
template <typename Sample>
void addGreyRow(const uint8_t *row, const std::vector<int64_t> &columns, std::vector<Sums> &sums, const uint32_t *table,
                Sample sample) {
  for (size_t x = 0; x < sums.size(); ++x) {
    for (int64_t column = columns[x]; column < columns[x + 1];) {
      const int64_t end = std::min(columns[x + 1], column + GREY_RUN);
      uint32_t run = 0;
      for (; column < end; ++column) run += table[sample(row, column)];
      sums[x][0] += run & 0xffff;
      sums[x][1] += run >> 16;
    }
  }
}

uint8_t average(uint64_t sum, uint64_t count) { return uint8_t(count == 1 ? sum : (sum + count / 2) / count); }

// A large picture is rendered in bands of output rows on several threads at once, each band of at
// least this many bitmap pixels.
constexpr int64_t PIXELS_PER_BAND = 1 << 20;

// Fills `target` block by block: `addRow(row, columns, sums)` adds a bitmap row to the sums,
// `colour(sums, count)` makes the output pixel of a block of `count` pixels.
template <typename AddRow, typename Colour>
void renderBlocks(const Bitmap &bitmap, QImage &target, AddRow addRow, Colour colour) {
  const std::vector<int64_t> columns = blockBounds(bitmap.width, target.width());
  const std::vector<int64_t> rows = blockBounds(bitmap.height, target.height());
  // Taken here: the image's own accessors are not for several threads at once.
  uchar *const bits = target.bits();
  const qsizetype stride = target.bytesPerLine();
  const int64_t height = target.height();
  concurrentPerformRows(height, bitmap.width * bitmap.height, PIXELS_PER_BAND, [&](size_t, int64_t first, int64_t end) {
    std::vector<Sums> sums(size_t(target.width()));
    for (int64_t y = first; y < end; ++y) {
      std::fill(sums.begin(), sums.end(), Sums{});
      for (int64_t row = rows[size_t(y)]; row < rows[size_t(y) + 1]; ++row)
        addRow(bitmap.pixels + row * bitmap.bytesPerRow, columns, sums);
      const auto blockRows = uint64_t(rows[size_t(y) + 1] - rows[size_t(y)]);
      auto *out = reinterpret_cast<QRgb *>(bits + y * stride);
      for (size_t x = 0; x < sums.size(); ++x)
        out[x] = colour(sums[x], blockRows * uint64_t(columns[x + 1] - columns[x]));
    }
  });
}

void renderGrey(const Bitmap &bitmap, RenderingPoints points, bool highlightOverexposure, QImage &target) {
  const std::vector<uint32_t> words = greyTable(bitmap.bitsPerPixel, points);
  const uint32_t *table = words.data();
  const uint64_t saturatedGreen = highlightOverexposure ? 0 : 255;
  const auto colour = [saturatedGreen](const Sums &sums, uint64_t count) {
    const uint8_t other = average(sums[0] + saturatedGreen * sums[1], count);
    return qRgb(average(sums[0] + 255 * sums[1], count), other, other);
  };
  if (bitmap.bitsPerPixel == 8) {
    renderBlocks(
        bitmap, target,
        [table](const uint8_t *row, const std::vector<int64_t> &columns, std::vector<Sums> &sums) {
          addGreyRow(row, columns, sums, table, [](const uint8_t *in, int64_t x) { return in[x]; });
        },
        colour);
  } else {
    renderBlocks(
        bitmap, target,
        [table](const uint8_t *row, const std::vector<int64_t> &columns, std::vector<Sums> &sums) {
          addGreyRow(row, columns, sums, table, [](const uint8_t *in, int64_t x) { return sample16(in + 2 * x); });
        },
        colour);
  }
}

void renderColour(const Bitmap &bitmap, RenderingPoints points, QImage &target) {
  const std::vector<uint8_t> values = stretchTable(bitmap.bitsPerPixel == 48 ? 16 : 8, points);
  const uint8_t *table = values.data();
  const auto colour = [](const Sums &sums, uint64_t count) {
    return qRgb(average(sums[0], count), average(sums[1], count), average(sums[2], count));
  };
  const auto pixels = [](auto add) {
    return [add](const uint8_t *row, const std::vector<int64_t> &columns, std::vector<Sums> &sums) {
      addPixels(row, columns, sums, add);
    };
  };
  switch (bitmap.bitsPerPixel) {
  case 24:
    renderBlocks(bitmap, target, pixels([table](const uint8_t *row, int64_t x, Sums &sums) {
                   const uint8_t *p = row + 3 * x;
                   sums[0] += table[p[0]];
                   sums[1] += table[p[1]];
                   sums[2] += table[p[2]];
                 }),
                 colour);
    break;
  case 32: {
    const int alpha = bitmap.alphaFirst ? 1 : 0;
    renderBlocks(bitmap, target, pixels([table, alpha](const uint8_t *row, int64_t x, Sums &sums) {
                   const uint8_t *p = row + 4 * x + alpha;
                   sums[0] += table[p[0]];
                   sums[1] += table[p[1]];
                   sums[2] += table[p[2]];
                 }),
                 colour);
    break;
  }
  default:  // 48
    renderBlocks(bitmap, target, pixels([table](const uint8_t *row, int64_t x, Sums &sums) {
                   const uint8_t *p = row + 6 * x;
                   sums[0] += table[sample16(p)];
                   sums[1] += table[sample16(p + 2)];
                   sums[2] += table[sample16(p + 4)];
                 }),
                 colour);
    break;
  }
}

bool prepareTarget(QSize size, QImage &target) {
  if (target.size() == size && target.format() == QImage::Format_RGB32) {
    target.bits();  // detaches from a picture handed out earlier, which keeps its pixels
    return !target.isNull();
  }
  QImage fresh(size, QImage::Format_RGB32);
  if (fresh.isNull()) return false;
  target = std::move(fresh);
  return true;
}

}  // namespace

namespace StretchRenderer {

uint8_t stretch(int64_t p, RenderingPoints points) {
  const double scale = double(points.white - points.black) * 0.00390625;
  if (!(scale > 0)) return 0;
  const double v = double(p - points.black) / scale;
  if (v < 0) return 0;
  if (v > 255) return 255;
  return uint8_t(v);
}

bool render(const Bitmap &bitmap, RenderingPoints points, bool highlightOverexposure, QImage &target, QSize size) {
  const int bpp = bitmap.bitsPerPixel;
  if (!bitmap.pixels || (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32 && bpp != 48) || bitmap.width <= 0 ||
      bitmap.height <= 0)
    return false;
  if (size.isEmpty()) {
    if (bitmap.width > INT_MAX || bitmap.height > INT_MAX) return false;
    size = QSize(int(bitmap.width), int(bitmap.height));
  }
  if (size.width() > bitmap.width || size.height() > bitmap.height || !prepareTarget(size, target)) return false;
  if (bpp == 8 || bpp == 16)
    renderGrey(bitmap, points, highlightOverexposure, target);
  else
    renderColour(bitmap, points, target);
  return true;
}

}  // namespace StretchRenderer
