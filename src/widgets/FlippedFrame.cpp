#include "widgets/FlippedFrame.h"

#include <QWidget>
#include <cmath>

namespace {
int rounded(double v) { return static_cast<int>(std::lround(v)); }
}  // namespace

QRect toTopLeft(const QRectF &frame, double containerHeight) {
  return QRect(rounded(frame.x()), rounded(containerHeight - frame.y() - frame.height()), rounded(frame.width()),
               rounded(frame.height()));
}

QPointF toBottomLeft(const QPointF &point, double containerHeight) {
  return QPointF(point.x(), containerHeight - point.y());
}

void placeAt(QWidget *widget, const QRectF &frame, double containerHeight) {
  widget->setGeometry(toTopLeft(frame, containerHeight));
}

QRectF bottomLeftFrame(const QWidget *widget) {
  const QWidget *container = widget->parentWidget();
  if (container == nullptr) return {};
  const QRect g = widget->geometry();
  return QRectF(g.x(), container->height() - g.y() - g.height(), g.width(), g.height());
}

bool frameContains(const QRectF &frame, const QPointF &point) {
  return point.x() >= frame.left() && point.x() < frame.left() + frame.width() && point.y() >= frame.top() &&
         point.y() < frame.top() + frame.height();
}
