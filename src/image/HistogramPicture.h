#pragma once
// The 256 × 128 picture of a histogram: one filled shape whose height at bin i grows with the
// logarithm of the bin's count, drawn in the text colour of the current appearance.

#include <QImage>

#include <array>
#include <cstdint>

namespace HistogramPicture {

constexpr int WIDTH = 256;
constexpr int HEIGHT = 128;

// Height of bin i from the bottom edge: ln(count + 1) / ((ln(M + 1) − 1) / 127) + 1, M the
// largest count; the tallest bins reach past the top edge.
double binHeight(int64_t count, int64_t largest);

QImage draw(const std::array<int64_t, 256> &histo);

}  // namespace HistogramPicture
