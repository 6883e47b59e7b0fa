#include "skymap/MapBodies.h"

#include <QPainter>
#include <QPainterPath>

#include "skymap/MapPass.h"
#include "skymap/MapPaths.h"

namespace MapBodies {

namespace {
constexpr int SUN = 10;
constexpr int MOON = 11;
}  // namespace

void draw(QPainter &painter, const MapPass &pass, const std::vector<MapEntryPtr> &bodies) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  QColor colour = pass.palette.red;
  // The bodies come in body-number order, so the planets are filled before the Sun and the Moon.
  for (const MapEntryPtr &body : bodies) {
    body->visible = false;
    if (body->alt < 0)
      continue;
    if (body->id == MOON || body->id == SUN) {
      painter.fillPath(path, colour);
      path.clear();
      path.setFillRule(Qt::WindingFill);
      colour = body->id == MOON ? pass.palette.lightGray : pass.palette.yellow;
    }
    if (MapPaths::largeEnough(body->diameter, pass.rawScale)) {
      path.addEllipse(MapPaths::discBox(*body));
      body->visible = true;
    }
  }
  painter.fillPath(path, colour);
}

}  // namespace MapBodies
