// The solar-system layer of the sky map, drawn afresh at every pass: planets red, the Sun yellow,
// the Moon light grey.
#pragma once

#include <vector>

#include "skymap/MapEntry.h"

class QPainter;
struct MapPass;

namespace MapBodies {

// Sets every body's visible flag: above the horizon and at least one view point across.
void draw(QPainter &painter, const MapPass &pass, const std::vector<MapEntryPtr> &bodies);

}  // namespace MapBodies
