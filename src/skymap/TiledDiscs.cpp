#include "skymap/TiledDiscs.h"

#include <QPainter>

#include <algorithm>

TiledDiscs::TiledDiscs(double halfWidth, int tiles)
    : halfWidth_(halfWidth), tiles_(tiles), grid_(static_cast<size_t>(tiles) * static_cast<size_t>(tiles)) {}

void TiledDiscs::addDisc(QPointF center, double diameter) {
  const double tileSize = 2.0 * halfWidth_ / tiles_;
  const int col = std::clamp(static_cast<int>((center.x() + halfWidth_) / tileSize), 0, tiles_ - 1);
  const int row = std::clamp(static_cast<int>((center.y() + halfWidth_) / tileSize), 0, tiles_ - 1);
  Tile &tile = grid_[static_cast<size_t>(row) * static_cast<size_t>(tiles_) + static_cast<size_t>(col)];
  const QRectF box(center.x() - diameter / 2, center.y() - diameter / 2, diameter, diameter);
  tile.discs.push_back(box);
  tile.bounds = tile.bounds.isNull() ? box : tile.bounds.united(box);
  ++count_;
}

void TiledDiscs::fill(QPainter &painter, const QRectF &exposed, const QBrush &brush) const {
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(brush);
  for (const Tile &tile : grid_) {
    if (tile.discs.empty() || !tile.bounds.intersects(exposed)) continue;
    for (const QRectF &disc : tile.discs) {
      if (disc.intersects(exposed)) painter.drawEllipse(disc);
    }
  }
  painter.restore();
}
