#include "skymap/MapInteraction.h"

#include <cmath>

namespace MapInteraction {

bool acceptsZoom(double zoom) { return zoom >= 9.0 && zoom < 13.0; }

double normalizedRotation(double degrees) { return std::fmod(degrees + 360.0, 360.0); }

double rotationStep(double rotation, double step) { return std::trunc((rotation + step) / 15.0) * 15.0; }

MapEntryPtr centerTarget(const MapEntryPtr &center, const MapEntryPtr &selection, const MapEntryPtr &position) {
  if (!center) return selection ? selection : position;
  if (!selection) return nullptr;
  return center == selection ? position : selection;
}

}  // namespace MapInteraction
