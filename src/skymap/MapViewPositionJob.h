// One recomputation of the map's positions: the entries to place (shared with the map, whose
// catalogue fields never change) and the places computed for them, in the same order.
#pragma once

#include "skymap/MapView.h"
#include "skymap/SkyPlace.h"

#include <atomic>
#include <vector>

struct MapView::PositionJob {
  quint64 generation = 0;
  double latitude = 0, longitude = 0, elevation = 0;
  std::vector<MapEntryPtr> starLike;  // stars, deep-sky objects, Milky Way points
  std::vector<MapEntryPtr> bodies;    // solar-system bodies
  std::vector<SkyPlace> starPlaces, bodyPlaces;
  // Set (release) by the pool thread once the places are complete; read (acquire) before they are
  // applied on the main thread.
  std::atomic<bool> computed{false};

  // A job for the map's lists and the site.
  static std::shared_ptr<PositionJob> forView(const MapView &view, double latitude, double longitude,
                                              double elevation);
};
