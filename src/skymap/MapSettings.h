// The settings the map draws with, read when the map is made and again after every write, whether
// this program or another process made it.
#pragma once

#include <QtGlobal>

struct MapSettings {
  bool flipHorizontally = false;
  bool flipVertically = false;
  int fontSize = 10;                                 // points: "largeFontSize" with "useLargeFont", else "fontSize"
  qint64 magnitudeLimit = 5;                         // stars at least this faint are left out
  bool showNames = true;                             // "showStars": the names of stars, deep-sky objects and bodies
  double fovWidth = 0, fovHeight = 0, fovAngle = 0;  // the camera's field of view, degrees
  double longitude = 0;                              // degrees east, for the sidereal time of the field's angle

  static MapSettings read();
  bool operator==(const MapSettings &) const = default;
};
