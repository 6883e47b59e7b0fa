// Whether a reported site calls for recomputing the map's positions: always for a changed site,
// at most once every five seconds for the same site.
#pragma once

struct PositionThrottle {
  static constexpr double INTERVAL = 5.0;  // seconds

  double &lastLatitude, &lastLongitude, &lastElevation;
  double &lastUpdate;  // seconds since 1970 of the latest recomputation of an unchanged site

  // Records the site (and, for an unchanged site, the time) when it calls for a recomputation.
  // A value that is not a number never equals the recorded one.
  bool admit(double latitude, double longitude, double elevation, double now);
};
