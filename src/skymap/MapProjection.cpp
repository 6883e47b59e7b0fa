#include "skymap/MapProjection.h"

#include <QRectF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace MapProjection {

namespace {
constexpr double RADIANS = std::numbers::pi / 180.0;
}

QPointF mapPoint(double alt, double az) {
  const double radius = HORIZON * (1.0 - alt / HORIZON);
  const double a = az * RADIANS;
  return {radius * std::sin(a), -radius * std::cos(a)};
}

void altAz(QPointF point, double &alt, double &az) {
  alt = HORIZON - std::hypot(point.x(), point.y());
  az = std::atan2(point.x(), -point.y()) / RADIANS;
  if (az < 0) az += 360.0;
}

QPointF Transform::map(QPointF point) const { return toQTransform().map(point); }

QPointF Transform::unmap(QPointF viewPoint) const { return toQTransform().inverted().map(viewPoint); }

QTransform Transform::toQTransform() const {
  const double c = std::cos(rotation * RADIANS);
  const double s = std::sin(rotation * RADIANS);
  const double sx = scale * flipHorizontally;
  const double sy = scale * flipVertically;
  return QTransform(sx * c, sy * s, sx * s, -sy * c, translation.x(), translation.y());
}

QRectF unmapRect(const Transform &transform, const QRectF &viewRect) {
  return transform.toQTransform().inverted().mapRect(viewRect);
}

}  // namespace MapProjection
