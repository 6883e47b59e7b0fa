// The solar-system layer of the sky map, drawn afresh at every pass: planets red, the Sun yellow,
// the Moon light grey.
#pragma once

#include <vector>

#include "skymap/SkyObject.h"
#include "skymap/SkyPlace.h"

class QPainter;
struct MapPass;

namespace MapBodies {

// Draws the bodies above the horizon and at least one view point across; gives their indices.
std::vector<uint32_t> draw(QPainter &painter, const MapPass &pass, const std::vector<SkyObject> &bodies,
                           const std::vector<SkyPlace> &places);

}  // namespace MapBodies
