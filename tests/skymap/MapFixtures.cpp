#include "MapFixtures.h"

#include <QPainter>

#include "skymap/MapProjection.h"

std::unique_ptr<MapView> emptyMap(int width) {
  auto map = std::make_unique<MapView>(QRect(0, 0, width, width));
  map->stars.clear();
  map->dsos.clear();
  map->solarsys.clear();
  map->milkyway.clear();
  map->figures.clear();
  dropCaches(*map);
  return map;
}

void dropCaches(MapView &map) {
  map.cachedStars.reset();
  map.cachedDSOs.reset();
  map.cachedFigures.reset();
  map.cachedMilkyway.reset();
}

MapEntryPtr placedEntry(double alt, double az, float mag, float diameter, int id) {
  auto entry = std::make_shared<MapEntry>();
  entry->alt = alt;
  entry->az = az;
  entry->mag = mag;
  entry->diameter = diameter;
  entry->id = id;
  return entry;
}

QImage render(MapView &map) {
  QImage image(map.size(), QImage::Format_ARGB32);
  QPainter painter(&image);
  map.draw(painter, map.rect());
  return image;
}

QImage renderAfresh(MapView &map) {
  dropCaches(map);
  return render(map);
}

QPointF viewPoint(const MapView &map, const MapEntry &entry) {
  return map.mapTransform().map(MapProjection::mapPoint(entry.alt, entry.az));
}
