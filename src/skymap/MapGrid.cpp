#include "skymap/MapGrid.h"

#include <QPainter>

#include <cmath>
#include <numbers>

#include "skymap/MapPass.h"
#include "skymap/MapText.h"

namespace MapGrid {

using MapProjection::mapPoint;

QPainterPath gridPath() {
  QPainterPath path;
  for (int r = 15; r <= 90; r += 15) path.addEllipse(QRectF(-r, -r, 2 * r, 2 * r));
  for (int az = 0; az < 360; az += 15) {
    path.moveTo(mapPoint(80, az));
    path.lineTo(mapPoint(0, az));
  }
  return path;
}

QString azimuthLabel(int azimuth) {
  switch (azimuth) {
  case 45: return QStringLiteral("NE");
  case 90: return QStringLiteral("E");
  case 135: return QStringLiteral("SE");
  case 225: return QStringLiteral("SW");
  case 270: return QStringLiteral("W");
  case 315: return QStringLiteral("NW");
  default: return QString::number(azimuth) + QChar(0x00B0);
  }
}

void drawGrid(QPainter &painter, const MapPass &pass) {
  painter.strokePath(gridPath(), QPen(pass.palette.grid, 0.5 / pass.scale));
}

void drawAzimuthLabels(QPainter &painter, const MapPass &pass) {
  constexpr double RADIANS = std::numbers::pi / 180.0;
  const double rotation = pass.transform.rotation;
  ViewCoordinates view(painter, pass.view, mapFont(pass.fontSize));
  painter.setPen(pass.palette.secondaryLabel);
  for (int az = 15; az < 360; az += 15) {
    if (az == 180) continue;
    const QPointF anchor = pass.transform.map(mapPoint(-10.0 / pass.scale, az));
    const double turned = (az - rotation) * RADIANS;
    // A 40-point box beside the anchor, pushed outward by the label's direction on screen.
    const QRectF box(anchor.x() + 10.0 * std::sin(turned) - 20.0, anchor.y() + 15.0 * std::cos(turned) - 10.0, 40.0,
                     40.0);
    if (box.intersects(pass.dirty)) painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, azimuthLabel(az));
  }
}

void drawCardinalMarks(QPainter &painter, const MapPass &pass) {
  const double u = 1.0 / pass.rawScale;
  const double reach = MapProjection::HORIZON + 20.0 * u;
  QPainterPath north;
  const QPointF n(0, -reach);
  north.moveTo(n);
  north.lineTo(n + QPointF(-5 * u, 10 * u));
  north.lineTo(n + QPointF(5 * u, 10 * u));
  north.closeSubpath();
  painter.fillPath(north, pass.palette.red);
  QPainterPath south;
  const QPointF s(0, reach);
  south.moveTo(s);
  south.lineTo(s + QPointF(-5 * u, -10 * u));
  south.lineTo(s + QPointF(5 * u, -10 * u));
  south.closeSubpath();
  painter.fillPath(south, pass.palette.white);
}

}  // namespace MapGrid
