// Choosing objects on a mount widget's sky map the way a user does.
#pragma once

#include "skymap/MapEntry.h"

class MapView;

// Draws the map once, then clicks the first bright star drawn well above the horizon; the
// entry clicked, or null when no such star was drawn.
MapEntryPtr clickBrightStar(MapView *map);
