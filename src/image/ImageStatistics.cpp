#include "image/ImageStatistics.h"

#include "core/Dispatch.h"
#include "image/CheckedSize.h"

#include <algorithm>
#include <cstdlib>

namespace {

struct Sample {
  unsigned bin;
  int64_t value;
};

// Samples the pixels 0, 4, 8, ..., 4 (count − 1) in reading order, row by row through padded
// rows. `read` turns the bytes of one pixel into its bin and value. A large bitmap is sampled in
// bands of rows on a few threads, each with its own tallies, added up at the end. Within a band,
// four partial histograms let consecutive samples of the same bin be counted without waiting on
// each other.
// How far ahead of the samples the memory is asked for; the samples touch every cache line.
constexpr int64_t PREFETCH_DISTANCE = 2048;
// Each band of at least this many pixels.
constexpr int64_t PIXELS_PER_BAND = 1 << 20;

struct Tally {
  std::array<std::array<int64_t, 256>, 4> partial{};
  int64_t sum = 0;
  int64_t min = 0;
  int64_t max = 0;
};

// The samples of rows [firstRow, endRow) into the tally.
template <typename Read>
void sampleRows(const Bitmap &bitmap, int64_t count, int64_t firstRow, int64_t endRow, Read read, Tally &tally) {
  const int64_t bytesPerPixel = bitmap.bitsPerPixel / 8;
  const auto samplesBefore = [&](int64_t row) { return std::min(count, (row * bitmap.width + 3) / 4); };
  int64_t remaining = samplesBefore(endRow) - samplesBefore(firstRow);
  int64_t column = 4 * samplesBefore(firstRow) - firstRow * bitmap.width;  // of the band's first sample
  int64_t sum = 0;
  int64_t min = tally.min;
  int64_t max = tally.max;
  const auto take = [&](const Sample sample, std::array<int64_t, 256> &histo) {
    ++histo[sample.bin];
    min = std::min(min, sample.value);
    max = std::max(max, sample.value);
    sum += sample.value;
  };
  for (int64_t y = firstRow; y < endRow && remaining > 0; ++y) {
    const uint8_t *row = bitmap.pixels + y * bitmap.bytesPerRow;
    const int64_t inRow = column < bitmap.width ? std::min((bitmap.width - column + 3) / 4, remaining) : 0;
    const uint8_t *pixel = row + column * bytesPerPixel;
    const int64_t step = 4 * bytesPerPixel;
    int64_t i = 0;
    for (; i + 4 <= inRow; i += 4, pixel += 4 * step) {
      __builtin_prefetch(pixel + PREFETCH_DISTANCE);
      take(read(pixel), tally.partial[0]);
      take(read(pixel + step), tally.partial[1]);
      take(read(pixel + 2 * step), tally.partial[2]);
      take(read(pixel + 3 * step), tally.partial[3]);
    }
    for (; i < inRow; ++i, pixel += step) take(read(pixel), tally.partial[0]);
    remaining -= inRow;
    column += 4 * inRow - bitmap.width;  // where the next sample lies in the next row
  }
  tally.sum = sum;
  tally.min = min;
  tally.max = max;
}

template <typename Read>
void sampleEveryFourthPixel(const Bitmap &bitmap, int64_t count, Read read, ImageStatistics &stats) {
  std::array<Tally, MAX_ROW_BANDS> tallies;
  for (Tally &tally : tallies) tally.min = stats.min, tally.max = stats.max;
  concurrentPerformRows(
      bitmap.height, bitmap.width * bitmap.height, PIXELS_PER_BAND,
      [&](size_t band, int64_t first, int64_t end) { sampleRows(bitmap, count, first, end, read, tallies[band]); });
  int64_t sum = 0;
  for (const Tally &tally : tallies) {
    for (size_t bin = 0; bin < 256; ++bin)
      stats.histo[bin] += tally.partial[0][bin] + tally.partial[1][bin] + tally.partial[2][bin] + tally.partial[3][bin];
    sum += tally.sum;
    stats.min = std::min(stats.min, tally.min);
    stats.max = std::max(stats.max, tally.max);
  }
  stats.average = sum / count;
}

Sample readRGB(const uint8_t *p) {
  const unsigned value = (unsigned(p[0]) + p[1] + p[2]) / 3;
  return {value, value};
}

void sample(const Bitmap &bitmap, int64_t count, ImageStatistics &stats) {
  switch (bitmap.bitsPerPixel) {
  case 8:
    return sampleEveryFourthPixel(
        bitmap, count,
        [](const uint8_t *p) {
          return Sample{p[0], p[0]};
        },
        stats);
  case 16:
    return sampleEveryFourthPixel(
        bitmap, count,
        [](const uint8_t *p) {
          return Sample{p[1], p[0] + 256 * int64_t(p[1])};
        },
        stats);
  case 24:
  case 32: return sampleEveryFourthPixel(bitmap, count, readRGB, stats);
  case 48:
    return sampleEveryFourthPixel(
        bitmap, count,
        [](const uint8_t *p) {
          const unsigned value = (unsigned(p[1]) + p[3] + p[5]) / 3;
          return Sample{value, value};
        },
        stats);
  default: return;  // no samples: the statistics keep their initial values
  }
}

// The first bin at which the running total reaches an eighth of all pixels (0 if none does).
int64_t medianBin(const std::array<int64_t, 256> &histo, int64_t size) {
  const int64_t threshold = size / 8;
  int64_t total = 0;
  for (int64_t k = 0; k < 256; ++k) {
    total += histo[size_t(k)];
    if (total >= threshold) return k;
  }
  return 0;
}

}  // namespace

AutomaticPoints applyMinimumGap(AutomaticPoints points) {
  if (std::abs(points.white - points.black) >= 4) return points;
  if (points.black < 2) {
    points.white += 2;
    if (points.white > 253)
      points.black -= 2;
    else
      points.white += 2;
  } else {
    points.black -= 2;
    if (points.white > 253)
      points.black -= 2;
    else
      points.white += 2;
  }
  return points;
}

AutomaticPoints automaticPoints(const std::array<int64_t, 256> &histo, int64_t size, int bitsPerSample) {
  const auto blackThreshold = int64_t(0.001 * double(size));
  const auto whiteThreshold = int64_t(0.0005 * double(size));
  AutomaticPoints points{256, -1};
  int64_t below = 0;
  for (int64_t k = 0; k < 256; ++k) {
    below += histo[size_t(k)];
    if (below > blackThreshold) {
      points.black = k;
      break;
    }
  }
  int64_t above = 0;
  for (int64_t k = 255; k >= 0; --k) {
    above += histo[size_t(k)];
    if (above > whiteThreshold) {
      points.white = k;
      break;
    }
  }
  points = applyMinimumGap(points);
  if (bitsPerSample == 16) {
    points.black *= 256;
    points.white *= 256;
  }
  return points;
}

std::optional<ImageStatistics> ImageStatistics::compute(const Bitmap &bitmap) {
  const std::optional<int64_t> pixels = checkedProduct({bitmap.width, bitmap.height});
  if (!bitmap.pixels || !pixels || *pixels < 4) return std::nullopt;
  const int64_t size = *pixels;
  ImageStatistics stats;
  stats.isColour = bitmap.bitsPerPixel == 24 || bitmap.bitsPerPixel == 32 || bitmap.bitsPerPixel == 48;
  sample(bitmap, size / 4, stats);
  stats.median = medianBin(stats.histo, size) * (bitmap.bitsPerSample == 16 ? 256 : 1);
  stats.automaticPoints = ::automaticPoints(stats.histo, size, bitmap.bitsPerSample);
  return stats;
}
