#include "skymap/MapOverlay.h"

#include <QPaintEvent>
#include <QPainter>

#include <kestor.h>

#include "core/Globals.h"

namespace {

// Four strokes around the point that leave its centre open: from a to b view points out along the
// two axes (the "+") or, when diagonal, along the diagonals (the "x").
void drawMarker(QPainter &painter, QPointF p, double a, double b, bool diagonal) {
  for (const QPointF direction : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)}) {
    const QPointF d = diagonal ? QPointF(direction.x() + direction.y(), direction.y() - direction.x()) : direction;
    painter.drawLine(p + a * d, p + b * d);
  }
}

}  // namespace

MapView::Overlay::Overlay(MapView *map) : QWidget(map), map_(map) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setGeometry(0, 0, map->width(), map->height());
}

double MapView::Overlay::frameAngle(double fovAngle, double ra, double siderealTime) {
  return fovAngle + (ra - 12.0 - siderealTime) * -15.0;
}

void MapView::Overlay::paintEvent(QPaintEvent *) {
  if (!map_->selection_ && !map_->position_) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setWorldTransform(map_->mapTransform().toQTransform());
  const double u = 1.0 / map_->rawScale_;
  painter.setBrush(Qt::NoBrush);

  if (const MapEntryPtr &selection = map_->selection_) {
    painter.setPen(QPen(graphColor2(), u));
    drawMarker(painter, MapProjection::mapPoint(selection->alt, selection->az), 20 * u, 5 * u, false);
  }
  const MapEntryPtr &position = map_->position_;
  if (!position) return;
  const QPointF p = MapProjection::mapPoint(position->alt, position->az);
  painter.setPen(QPen(graphColor1(), u));
  drawMarker(painter, p, 15 * u, 4 * u, true);

  const MapSettings &settings = map_->settings_;
  const double w = settings.fovWidth;
  const double h = settings.fovHeight;
  if (!(w / 2 > 0 && h / 2 > 0)) return;
  painter.translate(p);
  painter.rotate(frameAngle(settings.fovAngle, position->ra, kestor_lst(nullptr, settings.longitude)));
  painter.setPen(QPen(markerColor(), u));
  painter.drawRect(QRectF(-w / 2, -h / 2, w, h));
}
