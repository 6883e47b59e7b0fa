// The cached layers of the sky map, built in map units from the objects' altitudes and azimuths.
// The deep-sky and star layers also list which objects they drew (what a click can select).
#pragma once

#include <QPainterPath>

#include <vector>

#include "skymap/SkyObject.h"
#include "skymap/SkyPlace.h"
#include "skymap/TiledDiscs.h"

namespace MapPaths {

// Every outline polyline at its map points, below the horizon too, under the even-odd rule. The
// projection turns an outline around the nadir inside out (the nadir is the circle of radius 180),
// which would fill the sky around the band instead of the band: when the even-odd fill covers
// `outside`, the map point of a place known to lie outside the Milky Way, a circle around
// everything is added so that the band is filled again.
// The polylines are the points up to each end (an index into points), one after the other.
QPainterPath milkyWay(const std::vector<SkyPlace> &points, const std::vector<uint32_t> &ends, QPointF outside);
// The closed rings of a path cut to a rectangle: filled under the path's rule, the result covers
// the same area inside the rectangle, so a paint need not hand every point to the rasteriser.
QPainterPath clipRings(const QPainterPath &rings, const QRectF &rect);
// The map point of the galactic pole that is above the horizon for the site now: a place far from
// the Milky Way.
QPointF galacticPole(double latitude, double longitude, double elevation);
// The stick figures (slot, polyline, star index) through their stars above the horizon; a star
// below it is skipped and its neighbours are joined.
QPainterPath figures(const std::vector<std::vector<std::vector<uint32_t>>> &constellations,
                     const std::vector<SkyPlace> &stars);
// The deep-sky layer: the discs' bounding squares, and the indices of the objects drawn.
struct DeepSkyLayer {
  std::vector<QRectF> discs;
  std::vector<uint32_t> drawn;
  // The discs that meet the rectangle as one path under the even-odd rule: inside the rectangle
  // it covers what all of them would, so a paint need not hand every disc to the rasteriser.
  QPainterPath discsMeeting(const QRectF &rect) const;
};
// Discs of the objects above the horizon at least one view point across, filled under the
// even-odd rule.
DeepSkyLayer deepSky(const std::vector<SkyObject> &objects, const std::vector<SkyPlace> &places, double rawScale);
// The star layer: the discs, the indices of the stars drawn, and of those that may get a name (so
// that a paint need not walk every star).
struct StarLayer {
  TiledDiscs discs;
  std::vector<uint32_t> drawn;
  std::vector<uint32_t> named;  // drawn, with a name, magnitude 4 or brighter
};
// Discs of the stars above the horizon that are brighter than the magnitude limit (strictly) and
// at least one view point across.
StarLayer stars(const std::vector<SkyObject> &stars, const std::vector<SkyPlace> &places, double rawScale,
                qint64 magnitudeLimit);

// True when an object of the given diameter (degrees) is at least one view point across.
inline bool largeEnough(float diameter, double rawScale) { return static_cast<double>(diameter) >= 1.0 / rawScale; }
// The square of side diameter (degrees) centred on the place's map point.
QRectF discBox(double diameter, const SkyPlace &place);

}  // namespace MapPaths
