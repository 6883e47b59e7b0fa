// A filled layer of many small discs kept in a grid of tiles, so that a paint draws only the discs
// of the tiles that meet the exposed area. Same-coloured opaque discs drawn one by one look like
// their union filled as one path under the non-zero rule.
#pragma once

#include <QPointF>
#include <QRectF>

#include <vector>

class QBrush;
class QPainter;

class TiledDiscs {
public:
  // The grid covers the square of the given half-width around the origin, in tiles a side.
  explicit TiledDiscs(double halfWidth = 100.0, int tiles = 32);

  // Adds the disc of the given diameter centred on the point.
  void addDisc(QPointF center, double diameter);
  // Draws the discs that may meet the rectangle (same units as the discs).
  void fill(QPainter &painter, const QRectF &exposed, const QBrush &brush) const;
  // Number of discs added.
  int discs() const { return count_; }

private:
  struct Tile {
    std::vector<QRectF> discs;  // bounding squares
    QRectF bounds;              // union of the discs' bounding boxes
  };
  double halfWidth_;
  int tiles_;
  std::vector<Tile> grid_;
  int count_ = 0;
};
