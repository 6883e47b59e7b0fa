// A filled layer of many small discs kept as a grid of paths, so that a paint fills only the
// tiles that meet the exposed area. Same-coloured discs under the non-zero rule form a union, so
// the picture is that of one path.
#pragma once

#include <QPainterPath>
#include <QRectF>

#include <vector>

class QBrush;
class QPainter;

class TiledPath {
public:
  // The grid covers the square of the given half-width around the origin, in tiles a side.
  explicit TiledPath(double halfWidth = 100.0, int tiles = 32);

  // Adds the disc of the given diameter centred on the point.
  void addDisc(QPointF center, double diameter);
  // Fills the tiles whose discs may meet the rectangle (same units as the discs).
  void fill(QPainter &painter, const QRectF &exposed, const QBrush &brush) const;
  // Number of discs added.
  int discs() const { return count; }

private:
  struct Tile {
    QPainterPath path;
    QRectF bounds;  // union of the discs' bounding boxes
  };
  double halfWidth;
  int tiles;
  std::vector<Tile> grid;
  int count = 0;
};
