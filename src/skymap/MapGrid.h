// The fixed parts of the sky map: the alt-azimuth grid, the azimuth labels and the north and south
// marks.
#pragma once

#include <QPainterPath>
#include <QString>

class QPainter;
struct MapPass;

namespace MapGrid {

// Circles of zenith distance 15 to 90 and spokes every 15 degrees of azimuth from altitude 80 to 0.
QPainterPath gridPath();
// The label of an azimuth in degrees: "NE", "E", "SE", "SW", "W", "NW" at the intercardinal and
// cardinal points, else the number and a degree sign.
QString azimuthLabel(int azimuth);

void drawGrid(QPainter &painter, const MapPass &pass);
// The labels for azimuth 15 to 345 except 180, just outside the horizon.
void drawAzimuthLabels(QPainter &painter, const MapPass &pass);
// A red triangle beyond north and a white one beyond south, both pointing away from the zenith.
void drawCardinalMarks(QPainter &painter, const MapPass &pass);

}  // namespace MapGrid
