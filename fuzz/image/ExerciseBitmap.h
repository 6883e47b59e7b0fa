#pragma once
// What the panel does with a decoded bitmap, so that the fuzzers read every pixel a decoder
// claims to have: the statistics and the stretched rendering.

#include "image/ImageStatistics.h"
#include "image/PreviewScaling.h"
#include "image/StretchRenderer.h"

#include <algorithm>
#include <climits>

inline void exerciseBitmap(const DecodeResult &result) {
  if (!result.bitmap) return;
  const std::optional<ImageStatistics> stats = ImageStatistics::compute(*result.bitmap);
  const AutomaticPoints points = stats ? stats->automaticPoints : AutomaticPoints{};
  const Bitmap &bitmap = *result.bitmap;
  // At the size a BLOB view shows it, as the panel renders it.
  const QSize whole(int(std::min<int64_t>(bitmap.width, INT_MAX)), int(std::min<int64_t>(bitmap.height, INT_MAX)));
  QImage rendering;
  StretchRenderer::render(bitmap, {points.black, points.white}, true, rendering,
                          PreviewScaling::fittedSize(whole, QSize(379, 300)));
}
