#include "widgets/StatusImage.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QRadialGradient>

namespace {

constexpr int SIZE = 16;

QPixmap drawDot(const QColor &colour) {
  const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
  QPixmap pixmap(QSize(SIZE, SIZE) * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF dot(2.5, 2.5, SIZE - 5, SIZE - 5);
  QRadialGradient shine(dot.center() - QPointF(2, 2), dot.width() * 0.75);
  shine.setColorAt(0, colour.lighter(150));
  shine.setColorAt(1, colour);
  painter.setBrush(shine);
  painter.setPen(QPen(colour.darker(160), 1));
  painter.drawEllipse(dot);
  return pixmap;
}

QColor colourOf(const QString &name) {
  static const QHash<QString, QColor> colours = {
      {QStringLiteral("NSStatusAvailable"), QColor(40, 200, 64)},
      {QStringLiteral("NSStatusPartiallyAvailable"), QColor(250, 200, 40)},
      {QStringLiteral("NSStatusUnavailable"), QColor(236, 64, 52)},
      {QStringLiteral("NSStatusNone"), QColor(170, 170, 170)},
  };
  return colours.value(name);
}

}  // namespace

QPixmap namedStatusImage(const QString &name) {
  static QHash<QString, QPixmap> drawn;
  if (const auto found = drawn.constFind(name); found != drawn.constEnd()) return *found;
  const QColor colour = colourOf(name);
  if (!colour.isValid()) return {};
  return *drawn.insert(name, drawDot(colour));
}

QPixmap statusImage(int state) {
  switch (state) {
  case 1: return namedStatusImage(QStringLiteral("NSStatusAvailable"));
  case 2: return namedStatusImage(QStringLiteral("NSStatusPartiallyAvailable"));
  case 3: return namedStatusImage(QStringLiteral("NSStatusUnavailable"));
  default: return namedStatusImage(QStringLiteral("NSStatusNone"));
  }
}
