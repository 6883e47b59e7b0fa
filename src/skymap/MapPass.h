// What one drawing pass of the sky map hands to each layer.
#pragma once

#include <QRect>
#include <QRectF>
#include <QTransform>

#include "skymap/MapPalette.h"
#include "skymap/MapProjection.h"

struct MapPass {
  MapProjection::Transform transform;  // map units to view points
  QTransform view;                     // the painter's transform for view points
  double rawScale = 1;                 // view points per map unit
  double scale = 1;                    // device pixels per map unit
  QRect dirty;                         // the rectangle being drawn, in view points
  QRectF exposed;                      // the same in map units (bounding box)
  MapPalette palette;
  int fontSize = 10;  // label size in view points
};
