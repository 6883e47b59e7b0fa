// The arithmetic of a property widget: its height, the columns of switches and lights, and the
// frames of their rows. Frames have their origin at the bottom left of the widget's content
// area, y growing upwards; rows are 25 apart.
#pragma once

#include <QRectF>
#include <QString>

namespace WidgetGeometry {

constexpr double WIDGET_WIDTH = 400.0;
constexpr double WIDGET_HEIGHT = 35.0;  // also the collapsed height
constexpr double ROW_PITCH = 25.0;
constexpr double CONTENT_INSET = 5.0;  // the box's content area is inset this much on every side

// The board a widget sits on while it is built; the column rule depends on it.
enum class Board { None, ControlPanel, Dashboard, Other };

// Columns of a switch or light property from its longest label (in characters), its number of
// item names and the board the widget sits on.
int columnCount(int longestLabel, int itemCount, Board board);

// Height of a switch or light widget; of a BLOB widget; of a text or number widget, with the
// room for Set/Reset, the mount's map and the guider's graph.
double gridHeight(int itemCount, int columns);
constexpr double BLOB_HEIGHT = 340.0;
double fieldsHeight(int itemCount, bool writable, const QString &propertyName);

// Bottom of row r in a widget of the given height: height - 60 - 25 r.
double rowY(double height, int row);
// Frames of the r-th switch button, and of the r-th light's image and label.
QRectF switchFrame(int row, int columns, double height);
QRectF lightImageFrame(int row, int columns, double height);
QRectF lightLabelFrame(int row, int columns, double height);

}  // namespace WidgetGeometry
