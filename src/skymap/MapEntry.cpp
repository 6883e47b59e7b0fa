#include "skymap/MapEntry.h"

#include <kestor.h>

MapEntry::MapEntry(double ra, double dec) {
  object.j2kRA = ra;
  object.j2kDec = dec;
}

MapEntry::MapEntry(const SkyObject &catalogued, const SkyPlace &place, std::optional<SkyRef> source)
    : object(catalogued), source(source) {
  if (catalogued.hasName()) name = catalogued.nameText();
  object.name = object.commonName = nullptr;
  this->place(place);
}

void MapEntry::place(const SkyPlace &place) {
  ra = place.ra;
  dec = place.dec;
  alt = place.alt;
  az = place.az;
}

void MapEntry::updateStar(double latitude, double longitude, double elevation) {
  ra = object.j2kRA;
  dec = object.j2kDec;
  kestor_topo_star(&ra, &dec, latitude, longitude, elevation, object.pmra, object.pmdec, object.px, object.rv);
  kestor_eq2hor(nullptr, &alt, &az, latitude, longitude, elevation, ra, dec);
}

void MapEntry::updatePlanet(double latitude, double longitude, double elevation) {
  ra = object.j2kRA;
  dec = object.j2kDec;
  kestor_topo_planet(object.id, &ra, &dec, latitude, longitude, elevation);
  kestor_eq2hor(nullptr, &alt, &az, latitude, longitude, elevation, ra, dec);
}
