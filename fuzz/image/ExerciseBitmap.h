#pragma once
// What the panel does with a decoded bitmap, so that the fuzzers read every pixel a decoder
// claims to have: the statistics and the stretched rendering.

#include "image/ImageStatistics.h"
#include "image/StretchRenderer.h"

inline void exerciseBitmap(const DecodeResult &result)
{
    if (!result.bitmap)
        return;
    const std::optional<ImageStatistics> stats = ImageStatistics::compute(*result.bitmap);
    const AutomaticPoints points = stats ? stats->automaticPoints : AutomaticPoints{};
    QImage rendering;
    StretchRenderer::render(*result.bitmap, {points.black, points.white}, true, rendering);
}
