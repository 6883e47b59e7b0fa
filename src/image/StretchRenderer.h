#pragma once
// The stretched 8-bit RGB rendering of a bitmap: every sample mapped linearly from
// [black, white] to [0, 255]; saturated grey pixels optionally painted red.

#include "image/Bitmap.h"

#include <QImage>

struct RenderingPoints {
    int64_t black = 0;
    int64_t white = 65535;
};

namespace StretchRenderer {

// One sample value stretched between the points: (p − black) / ((white − black) / 256),
// clamped to 0...255 and truncated; 0 when white ≤ black.
uint8_t stretch(int64_t p, RenderingPoints points);

// Renders into `target` (an RGB888 image, reused when its size already fits, else replaced).
// False, leaving `target` alone, for a depth that has no rendering or when memory runs out.
bool render(const Bitmap &bitmap, RenderingPoints points, bool highlightOverexposure, QImage &target);

} // namespace StretchRenderer
