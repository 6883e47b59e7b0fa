// Where every object of a sky model is for one site and instant, list by list in the model's
// order. Made whole on a worker thread and never changed after, so maps share it freely.
#pragma once

#include <memory>
#include <vector>

#include "skymap/SkyPlace.h"

class SkyModel;

struct SkyPlaces {
  std::vector<SkyPlace> stars, deepSky, bodies, milkyWay;

  const std::vector<SkyPlace> &of(SkyList list) const {
    return list == SkyList::Stars ? stars : list == SkyList::DeepSky ? deepSky : bodies;
  }

  // Places every object for the site (degrees, degrees, metres) now with one shared context; a
  // few helper threads split the long lists between them.
  static std::shared_ptr<const SkyPlaces> compute(const SkyModel &model, double latitude, double longitude,
                                                  double elevation);
};
