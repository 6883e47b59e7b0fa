// The sky map's transparent overlay: a "+" on the selection, an "x" on the mount's position and
// the camera's field of view around it. It changes often and so never touches the map's caches.
#pragma once

#include <QWidget>

#include "skymap/MapView.h"

class MapView::Overlay : public QWidget {
  Q_OBJECT

public:
  // Covers the whole map and lets mouse events through to it.
  explicit Overlay(MapView *map);

  // The angle (degrees, counter-clockwise in the map) of the field-of-view frame for the camera's
  // own angle, the position's apparent right ascension and the local sidereal time (hours).
  static double frameAngle(double fovAngle, double ra, double siderealTime);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  MapView *map_;
};
