#pragma once
// Statistics of a bitmap over a 256-bin histogram of every fourth pixel, and the automatic
// black and white points derived from it.

#include "image/Bitmap.h"

#include <array>

struct AutomaticPoints {
  int64_t black = 0;
  int64_t white = 65535;

  bool operator==(const AutomaticPoints &) const = default;
};

struct ImageStatistics {
  std::array<int64_t, 256> histo{};
  int64_t min = 65535;
  int64_t max = 0;
  int64_t average = 0;
  int64_t median = 0;
  bool isColour = false;
  AutomaticPoints automaticPoints;

  // Nothing for a bitmap without pixels or with fewer than four of them.
  static std::optional<ImageStatistics> compute(const Bitmap &bitmap);
};

// The points from the histogram: the black point where more than 0.1 % of all pixels lie at or
// below it, the white point where more than 0.05 % lie at or above it, then the minimum gap,
// then scaled to 16 bits when the samples have 16 bits.
AutomaticPoints automaticPoints(const std::array<int64_t, 256> &histo, int64_t size, int bitsPerSample);
// Widens points closer than 4 bins apart (see automaticPoints).
AutomaticPoints applyMinimumGap(AutomaticPoints points);
