// Helpers of the sky-map tests: maps with hand-placed entries instead of the catalogues.
#pragma once

#include <QImage>

#include <memory>

#include "skymap/MapView.h"

// A map of the given width whose catalogue lists and cached layers are emptied.
std::unique_ptr<MapView> emptyMap(int width = 1024);
void dropCaches(MapView &map);
// An entry placed at the altitude and azimuth (degrees).
MapEntryPtr placedEntry(double alt, double az, float mag = 1, float diameter = 1, int id = 0);
// One drawing pass of the whole map into an image.
QImage render(MapView &map);
// The same after dropping the cached layers, so that changed lists are drawn.
QImage renderAfresh(MapView &map);
// The view point of the entry on the map.
QPointF viewPoint(const MapView &map, const MapEntry &entry);
