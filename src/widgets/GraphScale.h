// The range and grid of the guiding graph for the points it shows.
#pragma once

#include <QPointF>
#include <span>

struct GraphScale {
  double range = 0.1;  // sample units from the centre to the outer circle
  bool fine = true;    // dashed circles every 0.1 unit; otherwise solid circles every unit
  int circles = 1;     // number of grid circles
};

// Scale for the shown points: the largest absolute finite coordinate R picks range 0.1 (R = 0),
// ceil(10 R) / 10 with a fine grid (R < 0.5), 1 (R < 1), ceil(R) (R <= 10) or 10.
// Non-finite coordinates are ignored.
GraphScale graphScale(std::span<const QPointF> shown);

// True when both coordinates are finite numbers.
bool isFinitePoint(const QPointF &point);
