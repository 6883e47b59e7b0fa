// The rules of the sky map's zoom, rotation and centring, free of widgets.
#pragma once

#include "skymap/MapEntry.h"

namespace MapInteraction {

// The map accepts 9 <= zoom < 13 (512 to below 8192 points a side); other values are ignored.
bool acceptsZoom(double zoom);
// fmod(degrees + 360, 360): -15 gives 345, 370 gives 10.
double normalizedRotation(double degrees);
// One 15-degree step by the signed amount, snapped toward zero to a multiple of 15 (before
// normalisation): from 7.5, +15 gives 15 and -15 gives 0.
double rotationStep(double rotation, double step);
// What the centre action centres on next: without a recorded centre the selection, else the
// position; with one, nothing when there is no selection, the position when the centre is the
// selection, else the selection. So presses alternate between selection and position.
MapEntryPtr centerTarget(const MapEntryPtr &center, const MapEntryPtr &selection, const MapEntryPtr &position);

}  // namespace MapInteraction
