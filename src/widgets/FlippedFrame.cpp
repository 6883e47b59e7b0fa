#include "widgets/FlippedFrame.h"

#include <QVariant>
#include <QWidget>
#include <cmath>

namespace {
constexpr const char *FRAME_PROPERTY = "bottomLeftFrame";
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
  widget->setProperty(FRAME_PROPERTY, frame);
  widget->setGeometry(toTopLeft(frame, containerHeight));
}

QRectF bottomLeftFrame(const QWidget *widget) { return widget->property(FRAME_PROPERTY).toRectF(); }

bool frameContains(const QRectF &frame, const QPointF &point) {
  return point.x() >= frame.left() && point.x() < frame.left() + frame.width() && point.y() >= frame.top() &&
         point.y() < frame.top() + frame.height();
}
