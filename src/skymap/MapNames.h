// The names layer of the sky map: bright stars and deep-sky objects by the last piece of their
// name, the planets Mercury to Saturn by their whole name.
#pragma once

#include <QString>

#include <vector>

#include "skymap/MapEntry.h"

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

// Names of visible entries; the visible flags come from the layers drawn before, and namedStars
// are the drawn stars with names (StarLayer::named).
void draw(QPainter &painter, const MapPass &pass, double width, const std::vector<MapEntryPtr> &namedStars,
          const std::vector<MapEntryPtr> &deepSky, const std::vector<MapEntryPtr> &bodies);

}  // namespace MapNames
