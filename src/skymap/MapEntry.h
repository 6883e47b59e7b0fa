#pragma once

#include <QMetaType>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

// One object on the sky map: a catalogue star, a deep-sky object, a solar-system body, a point
// of the Milky Way outline, the mount's position or a search result. The catalogue fields never
// change after construction; the position fields (ra, dec, alt, az) and visible belong to the
// main thread.
class MapEntry {
public:
  // Every field 0, no name.
  MapEntry() = default;
  // Only the J2000 place set; diameter 0 (the mount's position).
  MapEntry(double ra, double dec);
  // The catalogues' initialiser. diameter is in arcminutes; 0 means "from the magnitude".
  MapEntry(int32_t id, std::optional<QString> name, double ra, double dec, float pmra, float pmdec,
           float px, float rv, float mag, float diameter);
  virtual ~MapEntry() = default;

  // Apparent topocentric place of the catalogue position, then altitude and azimuth, for the
  // site (degrees, degrees, metres) now.
  virtual void updateStar(double latitude, double longitude, double elevation);
  // The same for the solar-system body whose number is id.
  virtual void updatePlanet(double latitude, double longitude, double elevation);

  int32_t id = 0;             // HIP number, body number or 0
  double j2kRA = 0;           // hours
  double j2kDec = 0;          // degrees
  float promora = 0;          // mas/yr (mu_alpha * cos delta)
  float promodec = 0;         // mas/yr
  float px = 0;               // mas
  float rv = 0;               // km/s
  float mag = 0;
  float diameter = 0;         // degrees
  std::optional<QString> name;
  double ra = 0;              // apparent topocentric, hours
  double dec = 0;             // degrees
  double alt = 0;             // degrees
  double az = 0;              // degrees, north 0, east 90
  bool visible = false;       // written by the drawing
};

using MapEntryPtr = std::shared_ptr<MapEntry>;

Q_DECLARE_METATYPE(MapEntryPtr)
