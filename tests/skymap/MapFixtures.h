// Helpers of the sky-map tests: maps over a sky of hand-placed objects instead of the catalogues.
#pragma once

#include <QImage>

#include <memory>

#include "skymap/MapView.h"

// A place at the altitude and azimuth (degrees).
SkyPlace placeAt(double alt, double az);

// A sky model whose objects are added at their altitude and azimuth (the map's first places).
class TestSky {
public:
  SkyRef addStar(double alt, double az, float mag = 1, float diameter = 1);
  SkyRef addDeepSky(double alt, double az, float mag = 1, float diameter = 1);
  SkyRef addBody(double alt, double az, float mag, float diameter, int id);
  // A map of the given width over the sky as it is now.
  std::unique_ptr<MapView> map(int width = 1024) const;

private:
  SkyModel model;
  SkyPlaces places;
};

// A map of the given width without any object.
std::unique_ptr<MapView> emptyMap(int width = 1024);
// An entry placed at the altitude and azimuth (degrees).
MapEntryPtr placedEntry(double alt, double az, float mag = 1, float diameter = 1, int id = 0);
// One drawing pass of the whole map into an image.
QImage render(MapView &map);
// The same after dropping the cached layers, so that changed places are drawn.
QImage renderAfresh(MapView &map);
// The view point of the entry, or of the object of the map's sky, on the map.
QPointF viewPoint(const MapView &map, const MapEntry &entry);
QPointF viewPoint(const MapView &map, SkyRef ref);
// Whether the latest drawing pass drew the object (a click on it selects it).
bool drawn(const MapView &map, SkyRef ref);
