#include "skymap/MapPaths.h"

#include "skymap/MapProjection.h"

namespace MapPaths {

using MapProjection::mapPoint;

QRectF discBox(const MapEntry &entry) {
  const double d = entry.diameter;
  const QPointF c = mapPoint(entry.alt, entry.az);
  return {c.x() - d / 2, c.y() - d / 2, d, d};
}

QPainterPath milkyWay(const std::vector<std::vector<MapEntryPtr>> &outline) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  for (const auto &polyline : outline) {
    bool first = true;
    for (const MapEntryPtr &point : polyline) {
      const QPointF p = mapPoint(point->alt, point->az);
      if (first)
        path.moveTo(p);
      else
        path.lineTo(p);
      first = false;
    }
  }
  return path;
}

QPainterPath figures(const std::vector<std::vector<std::vector<MapEntryPtr>>> &constellations) {
  QPainterPath path;
  for (const auto &slot : constellations) {
    for (const auto &polyline : slot) {
      bool first = true;
      for (const MapEntryPtr &star : polyline) {
        if (star->alt < 0)
          continue;
        const QPointF p = mapPoint(star->alt, star->az);
        if (first)
          path.moveTo(p);
        else
          path.lineTo(p);
        first = false;
      }
    }
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

TiledPath stars(const std::vector<MapEntryPtr> &stars, double rawScale, qint64 magnitudeLimit) {
  TiledPath path;
  for (const MapEntryPtr &star : stars) {
    star->visible = star->alt >= 0 && static_cast<double>(star->mag) < static_cast<double>(magnitudeLimit) &&
                    largeEnough(star->diameter, rawScale);
    if (star->visible)
      path.addDisc(mapPoint(star->alt, star->az), star->diameter);
  }
  return path;
}

}  // namespace MapPaths
