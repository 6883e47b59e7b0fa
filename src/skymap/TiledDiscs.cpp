#include "skymap/TiledDiscs.h"

#include <QPainter>

#include <algorithm>
#include <limits>

TiledDiscs::TiledDiscs(const std::vector<Disc> &discs, double halfWidth, int tiles)
    : boxes_(discs.size()),
      starts_(static_cast<size_t>(tiles) * static_cast<size_t>(tiles) + 1, 0),
      bounds_(starts_.size() - 1,
              Bounds{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
  const double tileSize = 2.0 * halfWidth / tiles;
  const auto tileOf = [&](QPointF center) {
    const int col = std::clamp(static_cast<int>((center.x() + halfWidth) / tileSize), 0, tiles - 1);
    const int row = std::clamp(static_cast<int>((center.y() + halfWidth) / tileSize), 0, tiles - 1);
    return static_cast<size_t>(row) * static_cast<size_t>(tiles) + static_cast<size_t>(col);
  };
  // A counting sort by tile: count, turn the counts into starts, then place each square.
  std::vector<uint32_t> tileOfDisc(discs.size());
  for (size_t i = 0; i < discs.size(); ++i) {
    tileOfDisc[i] = static_cast<uint32_t>(tileOf(discs[i].center));
    ++starts_[tileOfDisc[i] + 1];
  }
  for (size_t t = 1; t < starts_.size(); ++t) starts_[t] += starts_[t - 1];
  std::vector<uint32_t> next(starts_.begin(), starts_.end() - 1);
  for (size_t i = 0; i < discs.size(); ++i) {
    const Disc &disc = discs[i];
    const QRectF box(disc.center.x() - disc.diameter / 2, disc.center.y() - disc.diameter / 2, disc.diameter,
                     disc.diameter);
    boxes_[next[tileOfDisc[i]]++] = box;
    Bounds &b = bounds_[tileOfDisc[i]];
    b = {std::min(b.left, box.left()), std::min(b.top, box.top()), std::max(b.right, box.right()),
         std::max(b.bottom, box.bottom())};
  }
}

void TiledDiscs::fill(QPainter &painter, const QRectF &exposed, const QBrush &brush) const {
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(brush);
  for (size_t t = 0; t + 1 < starts_.size(); ++t) {
    // Every square that meets the rectangle lies within the tile's bounds, so those meet it too.
    const Bounds &b = bounds_[t];
    if (!(b.left < exposed.right() && exposed.left() < b.right && b.top < exposed.bottom() && exposed.top() < b.bottom))
      continue;
    for (uint32_t i = starts_[t]; i < starts_[t + 1]; ++i) {
      if (boxes_[i].intersects(exposed)) painter.drawEllipse(boxes_[i]);
    }
  }
  painter.restore();
}
