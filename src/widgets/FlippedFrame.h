// Frames of controls and widgets are worked out with the origin at the bottom left of their
// container and y growing upwards; Qt places children from the top left. These helpers make
// that conversion, and only they do.
#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>

class QWidget;

// The top-left rectangle in a container of the given height.
QRect toTopLeft(const QRectF &frame, double containerHeight);
// A top-left point in a container of the given height as a bottom-left point.
QPointF toBottomLeft(const QPointF &point, double containerHeight);
// Places the widget at a bottom-left frame in a container of the given height.
void placeAt(QWidget *widget, const QRectF &frame, double containerHeight);
// The widget's frame in its parent, read back from its geometry with the origin at the parent's
// bottom left (an empty rectangle for a widget without parent). Nothing is stored on the widget:
// a dynamic property for each placement cost more than the placement itself.
QRectF bottomLeftFrame(const QWidget *widget);
// AppKit-style half-open containment: minX <= x < maxX and minY <= y < maxY.
bool frameContains(const QRectF &frame, const QPointF &point);
