#pragma once
// The stretched 8-bit RGB rendering of a bitmap: every sample mapped linearly from
// [black, white] to [0, 255]; saturated grey pixels optionally painted red. A rendering smaller
// than the bitmap averages the stretched pixels of each block into one, so small stars stay
// visible, and reads only the pixels once: no full-size rendering is made on the way. A large
// picture is rendered on a few threads of the global pool at once.

#include "image/Bitmap.h"

#include <QImage>
#include <QSize>

struct RenderingPoints {
  int64_t black = 0;
  int64_t white = 65535;
};

namespace StretchRenderer {

// One sample value stretched between the points: (p − black) / ((white − black) / 256),
// clamped to 0...255 and truncated; 0 when white ≤ black.
uint8_t stretch(int64_t p, RenderingPoints points);

// Renders into `target` (an RGB32 image, reused when its size already fits, else replaced), at
// `size`, which is at most the bitmap's size in each direction, or at the bitmap's size when
// `size` is empty. Output pixel (x, y) is the rounded average of the stretched pixels whose
// columns lie in [x W / w, (x + 1) W / w) and rows in [y H / h, (y + 1) H / h) for a bitmap of
// W × H pixels and a rendering of w × h: each pixel itself at the bitmap's size.
// False, leaving `target` alone, for a depth that has no rendering, a size out of range, or
// when memory runs out.
bool render(const Bitmap &bitmap, RenderingPoints points, bool highlightOverexposure, QImage &target, QSize size = {});

}  // namespace StretchRenderer
