#include "skymap/MapPaths.h"

#include <kestor.h>

#include <array>
#include <cmath>
#include <span>

#include "core/Dispatch.h"
#include "skymap/MapNames.h"
#include "skymap/MapProjection.h"

namespace MapPaths {

using MapProjection::mapPoint;

namespace {

// The star layer is built by this many threads.
constexpr size_t STAR_PARTS = 4;

// One polyline through the map points of the places at or above the given altitude.
template <typename Places>
void addPolyline(QPainterPath &path, const Places &points, double lowestAltitude) {
  bool first = true;
  for (const SkyPlace &point : points) {
    if (point.alt < lowestAltitude) continue;
    const QPointF p = mapPoint(point.alt, point.az);
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
  if (polygon.isEmpty()) return out;
  out.reserve(polygon.size());
  QPointF previous = polygon.last();
  bool previousInside = inside(previous);
  for (const QPointF &point : polygon) {
    const bool pointInside = inside(point);
    if (pointInside != previousInside) out.append(cross(previous, point));
    if (pointInside) out.append(point);
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
    QPolygonF p = clipEdge(
        ring, [&](QPointF q) { return q.x() >= rect.left(); }, atX(rect.left()));
    p = clipEdge(
        p, [&](QPointF q) { return q.x() <= rect.right(); }, atX(rect.right()));
    p = clipEdge(
        p, [&](QPointF q) { return q.y() >= rect.top(); }, atY(rect.top()));
    p = clipEdge(
        p, [&](QPointF q) { return q.y() <= rect.bottom(); }, atY(rect.bottom()));
    if (p.size() >= 3) clipped.addPolygon(p);
  }
  return clipped;
}

QRectF discBox(double diameter, const SkyPlace &place) {
  const QPointF c = mapPoint(place.alt, place.az);
  return {c.x() - diameter / 2, c.y() - diameter / 2, diameter, diameter};
}

QPainterPath milkyWay(const std::vector<SkyPlace> &points, const std::vector<uint32_t> &ends, QPointF outside) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  uint32_t begin = 0;
  for (const uint32_t end : ends) {
    addPolyline(path, std::span(points.begin() + begin, points.begin() + end), -HUGE_VAL);
    begin = end;
  }
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
  if (alt < 0) kestor_eq2hor(nullptr, &alt, &az, latitude, longitude, elevation, NORTH_POLE_RA - 12, -NORTH_POLE_DEC);
  return mapPoint(alt, az);
}

QPainterPath figures(const std::vector<std::vector<std::vector<uint32_t>>> &constellations,
                     const std::vector<SkyPlace> &stars) {
  QPainterPath path;
  std::vector<SkyPlace> line;
  for (const auto &slot : constellations) {
    for (const auto &polyline : slot) {
      line.clear();
      for (const uint32_t star : polyline) line.push_back(stars[star]);
      addPolyline(path, line, 0);
    }
  }
  return path;
}

DeepSkyLayer deepSky(const std::vector<SkyObject> &objects, const std::vector<SkyPlace> &places, double rawScale) {
  DeepSkyLayer layer;
  for (uint32_t i = 0; i < objects.size(); ++i) {
    if (places[i].alt >= 0 && largeEnough(objects[i].diameter, rawScale)) {
      layer.discs.push_back(discBox(objects[i].diameter, places[i]));
      layer.drawn.push_back(i);
    }
  }
  return layer;
}

QPainterPath DeepSkyLayer::discsMeeting(const QRectF &rect) const {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  for (const QRectF &disc : discs) {
    if (disc.intersects(rect)) path.addEllipse(disc);
  }
  return path;
}

StarLayer stars(const std::vector<SkyObject> &stars, const std::vector<SkyPlace> &places, double rawScale,
                qint64 magnitudeLimit) {
  // A few threads each take a run of the catalogue; their lists are joined in catalogue order.
  struct Part {
    std::vector<TiledDiscs::Disc> discs;
    std::vector<uint32_t> drawn, named;
  };
  std::array<Part, STAR_PARTS> parts;
  const size_t count = stars.size();
  concurrentPerform(STAR_PARTS, [&](size_t k) {
    Part &part = parts[k];
    for (size_t i = k * count / STAR_PARTS; i < (k + 1) * count / STAR_PARTS; ++i) {
      const SkyObject &star = stars[i];
      const SkyPlace &place = places[i];
      if (!(place.alt >= 0 && static_cast<double>(star.mag) < static_cast<double>(magnitudeLimit) &&
            largeEnough(star.diameter, rawScale)))
        continue;
      part.discs.push_back({mapPoint(place.alt, place.az), star.diameter});
      part.drawn.push_back(static_cast<uint32_t>(i));
      if (star.hasName() && static_cast<double>(star.mag) <= MapNames::BRIGHTEST_LABEL_LIMIT)
        part.named.push_back(static_cast<uint32_t>(i));
    }
  });
  StarLayer layer;
  std::vector<TiledDiscs::Disc> discs;
  for (const Part &part : parts) {
    discs.insert(discs.end(), part.discs.begin(), part.discs.end());
    layer.drawn.insert(layer.drawn.end(), part.drawn.begin(), part.drawn.end());
    layer.named.insert(layer.named.end(), part.named.begin(), part.named.end());
  }
  layer.discs = TiledDiscs(discs);
  return layer;
}

}  // namespace MapPaths
