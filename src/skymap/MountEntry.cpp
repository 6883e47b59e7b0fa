#include "skymap/MountEntry.h"

#include <kestor.h>

MountEntry::MountEntry(double ra, double dec) : MapEntry(ra, dec) {}

void MountEntry::updateStar(double latitude, double longitude, double elevation) {
  ra = object.j2kRA;
  dec = object.j2kDec;
  kestor_eq2hor(nullptr, &alt, &az, latitude, longitude, elevation, ra, dec);
}
