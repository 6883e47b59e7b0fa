#pragma once
// Scaling a rendering down to a preview's frame: each block of k × k pixels is first averaged
// into one (which keeps small stars visible, unlike picking every k-th pixel), down to about twice
// the frame, then the rest is scaled smoothly. About 17 ms for 24 megapixels instead of the 100 ms
// of a smooth scale of the whole picture.

#include <QImage>
#include <QSize>

namespace PreviewScaling {

// The image scaled down, never up, to fit the frame, keeping its proportions; unchanged when it
// fits already, a null image for an empty frame. The result is RGB888 when it was scaled.
QImage scaledToFit(const QImage &image, const QSize &frame);

// Each block of factor × factor pixels averaged into one; columns and rows beyond the last whole
// block are dropped.
QImage blockAverage(const QImage &image, int factor);

} // namespace PreviewScaling
