// The arithmetic of the sky map, free of widgets: where an altitude and azimuth lie on the map,
// and the transform from map units to the view's coordinates and back.
#pragma once

#include <QPointF>
#include <QTransform>

namespace MapProjection {

// The map is this many units wide; one unit is one degree of zenith distance.
constexpr double MAP_WIDTH = 210.0;
// Radius of the horizon circle in map units.
constexpr double HORIZON = 90.0;

// The map point of an altitude and azimuth (degrees): zenith at the origin, azimuth 0 toward -y,
// azimuth 90 toward +x. Nothing stops at the horizon.
QPointF mapPoint(double alt, double az);
// The altitude and azimuth (degrees, azimuth in [0, 360)) of a map point.
void altAz(QPointF point, double &alt, double &az);

// Map units to view coordinates (y down): a rotation by -rotation degrees in the map's y-up
// sense (so a positive rotation turns the picture clockwise on screen), a scale by
// (scale * flipHorizontally, scale * flipVertically) into a y-up frame, the turn to y down, and a
// translation. Unmirrored, north lies below the zenith and east to its right, as on a sky seen
// from below with south up.
struct Transform {
  double rotation = 0;          // degrees
  double scale = 1;             // view units per map unit
  double flipHorizontally = 1;  // +1 or -1
  double flipVertically = 1;
  QPointF translation;  // where the zenith lies

  QPointF map(QPointF point) const;
  QPointF unmap(QPointF viewPoint) const;
  QTransform toQTransform() const;
};

// A rectangle of the view, in map units: the bounding box of its four corners under unmap.
QRectF unmapRect(const Transform &transform, const QRectF &viewRect);

}  // namespace MapProjection
