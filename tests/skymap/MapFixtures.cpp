#include "MapFixtures.h"

#include <QPainter>

#include "skymap/MapProjection.h"

SkyPlace placeAt(double alt, double az) {
  SkyPlace place;
  place.alt = alt;
  place.az = az;
  return place;
}

namespace {

SkyRef add(std::vector<SkyObject> &objects, std::vector<SkyPlace> &places, SkyList list, SkyObject object,
           double alt, double az) {
  objects.push_back(object);
  places.push_back(placeAt(alt, az));
  return {list, static_cast<uint32_t>(objects.size() - 1)};
}

SkyObject object(float mag, float diameter, int id = 0) {
  SkyObject o;
  o.mag = mag;
  o.diameter = diameter;
  o.id = id;
  return o;
}

}  // namespace

SkyRef TestSky::addStar(double alt, double az, float mag, float diameter) {
  return add(model.stars, places.stars, SkyList::Stars, object(mag, diameter), alt, az);
}

SkyRef TestSky::addDeepSky(double alt, double az, float mag, float diameter) {
  return add(model.deepSky, places.deepSky, SkyList::DeepSky, object(mag, diameter), alt, az);
}

SkyRef TestSky::addBody(double alt, double az, float mag, float diameter, int id) {
  return add(model.bodies, places.bodies, SkyList::Bodies, object(mag, diameter, id), alt, az);
}

std::unique_ptr<MapView> TestSky::map(int width) const {
  auto sky = std::make_shared<SkyModel>(model);
  sky->initialPlaces = std::make_shared<SkyPlaces>(places);
  return std::make_unique<MapView>(QRect(0, 0, width, width), sky);
}

std::unique_ptr<MapView> emptyMap(int width) {
  return TestSky().map(width);
}

MapEntryPtr placedEntry(double alt, double az, float mag, float diameter, int id) {
  auto entry = std::make_shared<MapEntry>();
  entry->alt = alt;
  entry->az = az;
  entry->object.mag = mag;
  entry->object.diameter = diameter;
  entry->object.id = id;
  return entry;
}

QImage render(MapView &map) {
  QImage image(map.size(), QImage::Format_ARGB32);
  QPainter painter(&image);
  map.draw(painter, map.rect());
  return image;
}

QImage renderAfresh(MapView &map) {
  map.dropLayers();
  return render(map);
}

QPointF viewPoint(const MapView &map, const MapEntry &entry) {
  return map.mapTransform().map(MapProjection::mapPoint(entry.alt, entry.az));
}

QPointF viewPoint(const MapView &map, SkyRef ref) {
  const SkyPlace &place = map.places().of(ref.list)[ref.index];
  return map.mapTransform().map(MapProjection::mapPoint(place.alt, place.az));
}

bool drawn(const MapView &map, SkyRef ref) {
  const SkyPlace &place = map.places().of(ref.list)[ref.index];
  const MapEntryPtr hit = map.entryAt(MapProjection::mapPoint(place.alt, place.az));
  return hit && hit->source == ref;
}
