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

std::vector<uint32_t> draw(QPainter &painter, const MapPass &pass, const std::vector<SkyObject> &bodies,
                           const std::vector<SkyPlace> &places) {
  std::vector<uint32_t> drawn;
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  QColor colour = pass.palette.red;
  // The bodies come in body-number order, so the planets are filled before the Sun and the Moon.
  for (uint32_t i = 0; i < bodies.size(); ++i) {
    const SkyObject &body = bodies[i];
    if (places[i].alt < 0) continue;
    if (body.id == MOON || body.id == SUN) {
      painter.fillPath(path, colour);
      path.clear();
      path.setFillRule(Qt::WindingFill);
      colour = body.id == MOON ? pass.palette.lightGray : pass.palette.yellow;
    }
    if (MapPaths::largeEnough(body.diameter, pass.rawScale)) {
      path.addEllipse(MapPaths::discBox(body.diameter, places[i]));
      drawn.push_back(i);
    }
  }
  painter.fillPath(path, colour);
  return drawn;
}

}  // namespace MapBodies
