#pragma once

#include "skymap/MapEntry.h"

// The mount's position: the bus reports it as an apparent place of date already, so placing it
// only turns that place into altitude and azimuth; treating it as J2000 would precess it a
// second time and draw a mount pointed at a star a third of a degree away from the star.
class MountEntry : public MapEntry {
public:
  // ra in hours, dec in degrees, both of date.
  MountEntry(double ra, double dec);
  void updateStar(double latitude, double longitude, double elevation) override;
};
