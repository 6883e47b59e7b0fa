// The names layer of the sky map: bright stars and deep-sky objects by the last piece of their
// name, the planets Mercury to Saturn by their whole name.
#pragma once

#include <QString>

#include <vector>

#include "skymap/SkyObject.h"
#include "skymap/SkyPlace.h"

class QPainter;
struct MapPass;

namespace MapNames {

// The faintest magnitude that gets a name at any size.
constexpr int BRIGHTEST_LABEL_LIMIT = 4;
// The faintest magnitude that gets a name on a map of this width (view points): 1 below 1024,
// 2 below 2048, 3 below 2^11.5, else 4.
int labelMagnitude(double width);
// The last piece of a name split at ", ": "α Andromedae, Alpheratz" gives "Alpheratz".
QString labelText(const QString &name);

// One list of the sky model with its places and the indices of its objects that were drawn.
struct DrawnList {
  const std::vector<SkyObject> &objects;
  const std::vector<SkyPlace> &places;
  const std::vector<uint32_t> &drawn;
};

// Names of drawn objects: stars are the drawn stars with names (StarLayer::named).
void draw(QPainter &painter, const MapPass &pass, double width, const DrawnList &stars, const DrawnList &deepSky,
          const DrawnList &bodies);

}  // namespace MapNames
