#pragma once

#include <QMetaType>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

#include "skymap/SkyPlace.h"

// One object the sky map hands around: the selection, the mount's position, a search result, a
// clicked catalogue object. The catalogue fields never change after construction; the position
// fields (ra, dec, alt, az) belong to the main thread.
class MapEntry {
public:
  // Every field 0, no name.
  MapEntry() = default;
  // Only the J2000 place set; diameter 0 (the mount's position).
  MapEntry(double ra, double dec);
  // The catalogued object at the place; source tells where it is in the sky model, if there.
  explicit MapEntry(const SkyObject &object, const SkyPlace &place = {}, std::optional<SkyRef> source = {});
  virtual ~MapEntry() = default;

  // Apparent topocentric place of the catalogue position, then altitude and azimuth, for the
  // site (degrees, degrees, metres) now.
  virtual void updateStar(double latitude, double longitude, double elevation);
  // The same for the solar-system body whose number is id.
  virtual void updatePlanet(double latitude, double longitude, double elevation);
  // Takes the place computed elsewhere.
  void place(const SkyPlace &place);

  SkyObject object;  // the catalogue fields; its name pointers are unused (see name)
  std::optional<QString> name;
  double ra = 0;                 // apparent topocentric, hours
  double dec = 0;                // degrees
  double alt = 0;                // degrees
  double az = 0;                 // degrees, north 0, east 90
  std::optional<SkyRef> source;  // the sky model's object it was made from, if any
};

using MapEntryPtr = std::shared_ptr<MapEntry>;

Q_DECLARE_METATYPE(MapEntryPtr)
