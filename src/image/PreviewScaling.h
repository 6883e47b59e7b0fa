#pragma once
// The size a picture is rendered at for a preview's frame: scaled down, never up, keeping its
// proportions. The rendering itself averages the blocks of pixels (StretchRenderer).

#include <QSize>

namespace PreviewScaling {

// The picture's size scaled down to fit the frame, keeping its proportions, at least 1 × 1;
// unchanged when it fits already; an empty size for an empty frame or picture.
QSize fittedSize(const QSize &picture, const QSize &frame);

}  // namespace PreviewScaling
