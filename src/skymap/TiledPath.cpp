#include "skymap/TiledPath.h"

#include <QPainter>

#include <algorithm>

TiledPath::TiledPath(double halfWidth, int tiles)
    : halfWidth(halfWidth), tiles(tiles), grid(static_cast<size_t>(tiles) * static_cast<size_t>(tiles)) {
  for (Tile &tile : grid)
    tile.path.setFillRule(Qt::WindingFill);
}

void TiledPath::addDisc(QPointF center, double diameter) {
  const double tileSize = 2.0 * halfWidth / tiles;
  const int col = std::clamp(static_cast<int>((center.x() + halfWidth) / tileSize), 0, tiles - 1);
  const int row = std::clamp(static_cast<int>((center.y() + halfWidth) / tileSize), 0, tiles - 1);
  Tile &tile = grid[static_cast<size_t>(row) * static_cast<size_t>(tiles) + static_cast<size_t>(col)];
  const QRectF box(center.x() - diameter / 2, center.y() - diameter / 2, diameter, diameter);
  tile.path.addEllipse(box);
  tile.bounds = tile.bounds.isNull() ? box : tile.bounds.united(box);
  ++count;
}

void TiledPath::fill(QPainter &painter, const QRectF &exposed, const QBrush &brush) const {
  for (const Tile &tile : grid) {
    if (!tile.path.isEmpty() && tile.bounds.intersects(exposed))
      painter.fillPath(tile.path, brush);
  }
}
