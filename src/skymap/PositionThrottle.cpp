#include "skymap/PositionThrottle.h"

bool PositionThrottle::admit(double latitude, double longitude, double elevation, double now) {
  if (latitude == lastLatitude && longitude == lastLongitude && elevation == lastElevation) {
    if (now - lastUpdate < INTERVAL) return false;
    lastUpdate = now;
  }
  lastLatitude = latitude;
  lastLongitude = longitude;
  lastElevation = elevation;
  return true;
}
