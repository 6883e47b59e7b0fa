// A filled layer of many small discs kept in a grid of tiles, so that a paint draws only the discs
// of the tiles that meet the exposed area. Same-coloured opaque discs drawn one by one look like
// their union filled as one path under the non-zero rule.
#pragma once

#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <vector>

class QBrush;
class QPainter;

class TiledDiscs {
public:
  struct Disc {
    QPointF center;
    double diameter;
  };

  // The discs sorted into a grid that covers the square of the given half-width around the
  // origin, in tiles a side; a disc belongs to the tile of its centre (the nearest tile for a
  // centre outside the square). Within a tile the discs keep their order.
  explicit TiledDiscs(const std::vector<Disc> &discs = {}, double halfWidth = 100.0, int tiles = 32);

  // Draws the discs that may meet the rectangle (same units as the discs), tile by tile.
  void fill(QPainter &painter, const QRectF &exposed, const QBrush &brush) const;
  // Number of discs.
  int discs() const { return static_cast<int>(boxes_.size()); }

private:
  struct Bounds {  // of the discs' bounding squares in one tile
    double left, top, right, bottom;
  };
  std::vector<QRectF> boxes_;     // bounding squares, tile after tile
  std::vector<uint32_t> starts_;  // where each tile's squares begin in boxes_, and the end
  std::vector<Bounds> bounds_;
};
