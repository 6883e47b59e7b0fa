#include "skymap/MapNames.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

#include "skymap/MapPass.h"
#include "skymap/MapText.h"

namespace MapNames {

namespace {

constexpr int LAST_NAMED_PLANET = 6;  // Saturn

// Draws the text with its lower-left corner half a diameter right of the entry's map point and
// half a diameter less one map unit above it.
void drawName(QPainter &painter, const MapPass &pass, const MapEntry &entry, const QString &text) {
  const QPointF anchor = pass.transform.map(MapProjection::mapPoint(entry.alt, entry.az));
  const double d = entry.diameter;
  const QPointF corner = anchor + QPointF(d / 2 * pass.rawScale, -(d / 2 - 1) * pass.rawScale);
  const QFontMetricsF metrics(painter.font());
  const QRectF box(corner.x(), corner.y() - metrics.height(), metrics.horizontalAdvance(text), metrics.height());
  if (box.intersects(pass.dirty))
    painter.drawText(QPointF(corner.x(), corner.y() - metrics.descent()), text);
}

void drawCatalogue(QPainter &painter, const MapPass &pass, const std::vector<MapEntryPtr> &entries, int magnitude) {
  for (const MapEntryPtr &entry : entries) {
    if (entry->name && entry->visible && static_cast<double>(entry->mag) <= magnitude)
      drawName(painter, pass, *entry, labelText(*entry->name));
  }
}

}  // namespace

int labelMagnitude(double width) {
  const double z = std::log2(width);
  if (z < 10)
    return 1;
  if (z < 11)
    return 2;
  if (z < 11.5)
    return 3;
  return BRIGHTEST_LABEL_LIMIT;
}

QString labelText(const QString &name) {
  return name.section(QStringLiteral(", "), -1);
}

void draw(QPainter &painter, const MapPass &pass, double width, const std::vector<MapEntryPtr> &namedStars,
          const std::vector<MapEntryPtr> &deepSky, const std::vector<MapEntryPtr> &bodies) {
  const int magnitude = labelMagnitude(width);
  ViewCoordinates view(painter, pass.view, mapFont(pass.fontSize));
  painter.setPen(pass.palette.secondaryLabel);
  drawCatalogue(painter, pass, namedStars, magnitude);
  painter.setPen(pass.palette.orange);
  drawCatalogue(painter, pass, deepSky, magnitude);
  painter.setPen(pass.palette.red);
  for (const MapEntryPtr &body : bodies) {
    if (body->name && body->visible && body->id <= LAST_NAMED_PLANET)
      drawName(painter, pass, *body, *body->name);
  }
}

}  // namespace MapNames
