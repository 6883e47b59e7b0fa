#include "widgets/GraphScale.h"

#include <algorithm>
#include <cmath>

bool isFinitePoint(const QPointF &point) { return std::isfinite(point.x()) && std::isfinite(point.y()); }

GraphScale graphScale(std::span<const QPointF> shown) {
  double largest = 0;
  for (const QPointF &p : shown) {
    for (double v : {p.x(), p.y()}) {
      if (std::isfinite(v)) {
        largest = std::max(largest, std::fabs(v));
      }
    }
  }
  if (largest == 0) {
    return {0.1, true, 1};
  }
  if (largest < 0.5) {
    // Counting tenths as an integer keeps the circle count exact.
    const int tenths = static_cast<int>(std::ceil(10 * largest));
    return {tenths / 10.0, true, tenths};
  }
  if (largest < 1) {
    return {1, false, 1};
  }
  if (largest <= 10) {
    const int units = static_cast<int>(std::ceil(largest));
    return {static_cast<double>(units), false, units};
  }
  return {10, false, 10};
}
