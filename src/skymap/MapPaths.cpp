#include "skymap/MapPaths.h"

#include <kestor.h>

#include <cmath>

#include "skymap/MapNames.h"
#include "skymap/MapProjection.h"

namespace MapPaths {

using MapProjection::mapPoint;

namespace {

// One polyline through the map points of the entries at or above the given altitude.
void addPolyline(QPainterPath &path, const std::vector<MapEntryPtr> &points, double lowestAltitude) {
  bool first = true;
  for (const MapEntryPtr &point : points) {
    if (point->alt < lowestAltitude)
      continue;
    const QPointF p = mapPoint(point->alt, point->az);
    if (first)
      path.moveTo(p);
    else
      path.lineTo(p);
    first = false;
  }
}

// One step of Sutherland and Hodgman's clipping: the polygon cut to the half-plane where
// inside(point) holds, crossings found with cross(a, b).
template <typename Inside, typename Cross>
QPolygonF clipEdge(const QPolygonF &polygon, Inside inside, Cross cross) {
  QPolygonF out;
  if (polygon.isEmpty())
    return out;
  out.reserve(polygon.size());
  QPointF previous = polygon.last();
  bool previousInside = inside(previous);
  for (const QPointF &point : polygon) {
    const bool pointInside = inside(point);
    if (pointInside != previousInside)
      out.append(cross(previous, point));
    if (pointInside)
      out.append(point);
    previous = point;
    previousInside = pointInside;
  }
  return out;
}

}  // namespace

QPainterPath clipRings(const QPainterPath &rings, const QRectF &rect) {
  const auto atX = [](double x) {
    return [x](QPointF a, QPointF b) { return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x())); };
  };
  const auto atY = [](double y) {
    return [y](QPointF a, QPointF b) { return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y); };
  };
  QPainterPath clipped;
  clipped.setFillRule(rings.fillRule());
  for (const QPolygonF &ring : rings.toSubpathPolygons()) {
    QPolygonF p = clipEdge(ring, [&](QPointF q) { return q.x() >= rect.left(); }, atX(rect.left()));
    p = clipEdge(p, [&](QPointF q) { return q.x() <= rect.right(); }, atX(rect.right()));
    p = clipEdge(p, [&](QPointF q) { return q.y() >= rect.top(); }, atY(rect.top()));
    p = clipEdge(p, [&](QPointF q) { return q.y() <= rect.bottom(); }, atY(rect.bottom()));
    if (p.size() >= 3)
      clipped.addPolygon(p);
  }
  return clipped;
}

QRectF discBox(const MapEntry &entry) {
  const double d = entry.diameter;
  const QPointF c = mapPoint(entry.alt, entry.az);
  return {c.x() - d / 2, c.y() - d / 2, d, d};
}

QPainterPath milkyWay(const std::vector<std::vector<MapEntryPtr>> &outline, QPointF outside) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  for (const auto &polyline : outline)
    addPolyline(path, polyline, -HUGE_VAL);
  if (path.contains(outside)) {
    constexpr double BEYOND_THE_NADIR = 200;
    path.addEllipse(QRectF(-BEYOND_THE_NADIR, -BEYOND_THE_NADIR, 2 * BEYOND_THE_NADIR, 2 * BEYOND_THE_NADIR));
  }
  return path;
}

QPointF galacticPole(double latitude, double longitude, double elevation) {
  constexpr double NORTH_POLE_RA = 12.8573, NORTH_POLE_DEC = 27.1283;  // hours, degrees (J2000)
  double alt = 0, az = 0;
  kestor_eq2hor(nullptr, &alt, &az, latitude, longitude, elevation, NORTH_POLE_RA, NORTH_POLE_DEC);
  if (alt < 0)
    kestor_eq2hor(nullptr, &alt, &az, latitude, longitude, elevation, NORTH_POLE_RA - 12, -NORTH_POLE_DEC);
  return mapPoint(alt, az);
}

QPainterPath figures(const std::vector<std::vector<std::vector<MapEntryPtr>>> &constellations) {
  QPainterPath path;
  for (const auto &slot : constellations) {
    for (const auto &polyline : slot)
      addPolyline(path, polyline, 0);
  }
  return path;
}

QPainterPath deepSky(const std::vector<MapEntryPtr> &objects, double rawScale) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  for (const MapEntryPtr &object : objects) {
    object->visible = object->alt >= 0 && largeEnough(object->diameter, rawScale);
    if (object->visible)
      path.addEllipse(discBox(*object));
  }
  return path;
}

StarLayer stars(const std::vector<MapEntryPtr> &stars, double rawScale, qint64 magnitudeLimit) {
  StarLayer layer;
  for (const MapEntryPtr &star : stars) {
    star->visible = star->alt >= 0 && static_cast<double>(star->mag) < static_cast<double>(magnitudeLimit) &&
                    largeEnough(star->diameter, rawScale);
    if (!star->visible)
      continue;
    layer.discs.addDisc(mapPoint(star->alt, star->az), star->diameter);
    if (star->name && static_cast<double>(star->mag) <= MapNames::BRIGHTEST_LABEL_LIMIT)
      layer.named.push_back(star);
  }
  return layer;
}

}  // namespace MapPaths
