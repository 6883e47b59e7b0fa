// Text on the sky map: drawn upright in view coordinates, whatever the map's rotation and mirroring.
#pragma once

#include <QFont>
#include <QTransform>

class QPainter;

// The label font: the application font at a size in view points.
QFont mapFont(int size);

// While alive, the painter draws in plain view coordinates (the painter's transform before the
// map's was added) with the given font; the map's transform, pen and font come back afterwards.
class ViewCoordinates {
public:
  ViewCoordinates(QPainter &painter, const QTransform &view, const QFont &font);
  ~ViewCoordinates();
  ViewCoordinates(const ViewCoordinates &) = delete;
  ViewCoordinates &operator=(const ViewCoordinates &) = delete;

private:
  QPainter &painter_;
};
