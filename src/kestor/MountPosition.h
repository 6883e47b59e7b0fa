// Where a mount points, read from its MOUNT_EQUATORIAL_COORDINATES property together with the
// device's site (GEOGRAPHIC_COORDINATES) and horizontal coordinates (MOUNT_HORIZONTAL_COORDINATES).
#pragma once

#include <optional>

#include "kestor/KESTOR.h"

struct MountPosition {
  struct Site {
    double latitude, longitude, elevation;  // degrees, degrees east, metres
    bool operator==(const Site &) const = default;
  };
  struct Horizontal {
    double alt, az;  // degrees
    bool operator==(const Horizontal &) const = default;
  };

  double ra = 0;                         // hours
  double dec = 0;                        // degrees
  std::optional<Site> site;              // when the device has all three site items
  std::optional<Horizontal> horizontal;  // when the device has both ALT and AZ
  bool slewing = false;                  // the equatorial property is busy

  // The position the property gives; nothing without both RA and DEC.
  static std::optional<MountPosition> read(const KESTOR::Property &equatorial);
  // Whether a map showing the mount centres on it: while it slews, or when the map has no
  // centre yet.
  bool centresMap(bool mapHasCentre) const { return slewing || !mapHasCentre; }
  bool operator==(const MountPosition &) const = default;
};
