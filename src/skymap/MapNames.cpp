#include "skymap/MapNames.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

#include "skymap/MapPass.h"
#include "skymap/MapText.h"

namespace MapNames {

namespace {

constexpr int LAST_NAMED_PLANET = 6;  // Saturn

// Draws the text (what textOf(object) gives) with its lower-left corner half a diameter right of
// the object's map point and half a diameter less one map unit above it. The text is made and
// measured only for a name that may meet the dirty rectangle: whatever its width, a box that
// begins right of the rectangle, or lies above or below it, misses it.
template <typename TextOf>
void drawName(QPainter &painter, const MapPass &pass, const SkyObject &object, const SkyPlace &place, TextOf textOf) {
  const QPointF anchor = pass.transform.map(MapProjection::mapPoint(place.alt, place.az));
  const double d = object.diameter;
  const QPointF corner = anchor + QPointF(d / 2 * pass.rawScale, -(d / 2 - 1) * pass.rawScale);
  const QFontMetricsF metrics(painter.font());
  const QRectF dirty(pass.dirty);
  const double top = corner.y() - metrics.height();
  if (corner.x() >= dirty.right() || top >= dirty.bottom() || dirty.top() >= top + metrics.height()) return;
  const QString text = textOf(object);
  const QRectF box(corner.x(), top, metrics.horizontalAdvance(text), metrics.height());
  if (box.intersects(dirty)) painter.drawText(QPointF(corner.x(), corner.y() - metrics.descent()), text);
}

void drawCatalogue(QPainter &painter, const MapPass &pass, const DrawnList &list, int magnitude) {
  for (const uint32_t i : list.drawn) {
    const SkyObject &object = list.objects[i];
    if (object.hasName() && static_cast<double>(object.mag) <= magnitude)
      drawName(painter, pass, object, list.places[i], [](const SkyObject &o) { return labelText(o.nameText()); });
  }
}

}  // namespace

int labelMagnitude(double width) {
  const double z = std::log2(width);
  if (z < 10) return 1;
  if (z < 11) return 2;
  if (z < 11.5) return 3;
  return BRIGHTEST_LABEL_LIMIT;
}

QString labelText(const QString &name) { return name.section(QStringLiteral(", "), -1); }

void draw(QPainter &painter, const MapPass &pass, double width, const DrawnList &stars, const DrawnList &deepSky,
          const DrawnList &bodies) {
  const int magnitude = labelMagnitude(width);
  ViewCoordinates view(painter, pass.view, mapFont(pass.fontSize));
  painter.setPen(pass.palette.secondaryLabel);
  drawCatalogue(painter, pass, stars, magnitude);
  painter.setPen(pass.palette.orange);
  drawCatalogue(painter, pass, deepSky, magnitude);
  painter.setPen(pass.palette.red);
  for (const uint32_t i : bodies.drawn) {
    const SkyObject &body = bodies.objects[i];
    if (body.hasName() && body.id <= LAST_NAMED_PLANET)
      drawName(painter, pass, body, bodies.places[i], [](const SkyObject &o) { return o.nameText(); });
  }
}

}  // namespace MapNames
