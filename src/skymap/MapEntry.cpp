#include "skymap/MapEntry.h"

#include <kestor.h>

#include <algorithm>
#include <cmath>

MapEntry::MapEntry(double ra, double dec) : j2kRA(ra), j2kDec(dec) {}

MapEntry::MapEntry(int32_t id, std::optional<QString> name, double ra, double dec, float pmra, float pmdec,
                   float px, float rv, float mag, float diameter)
    : id(id), j2kRA(ra), j2kDec(dec), promora(pmra), promodec(pmdec), px(px), rv(rv), mag(mag),
      name(std::move(name)) {
  // A size that is not a number counts as given.
  this->diameter = diameter != 0.0f ? diameter / 60.0f : std::min(1.0f, 1.0f / std::pow(1.4f, mag));
}

void MapEntry::updateStar(double latitude, double longitude, double elevation) {
  ra = j2kRA;
  dec = j2kDec;
  kestor_topo_star(&ra, &dec, latitude, longitude, elevation, promora, promodec, px, rv);
  kestor_eq2hor(nullptr, &alt, &az, latitude, longitude, elevation, ra, dec);
}

void MapEntry::updatePlanet(double latitude, double longitude, double elevation) {
  ra = j2kRA;
  dec = j2kDec;
  kestor_topo_planet(id, &ra, &dec, latitude, longitude, elevation);
  kestor_eq2hor(nullptr, &alt, &az, latitude, longitude, elevation, ra, dec);
}
