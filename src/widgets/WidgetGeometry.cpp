#include "widgets/WidgetGeometry.h"

namespace WidgetGeometry {

int columnCount(int longestLabel, int itemCount, Board board) {
  if (longestLabel >= 27 && (itemCount < 20 || board == Board::ControlPanel)) {
    return 1;
  }
  if (itemCount == 1) {
    return 1;
  }
  if (longestLabel >= 14 && (itemCount < 40 || board == Board::Dashboard)) {
    return 2;
  }
  if (itemCount == 2) {
    return 2;
  }
  return 3;
}

double gridHeight(int itemCount, int columns) {
  const int rows = (itemCount + columns - 1) / columns;
  return rows * ROW_PITCH + 40;
}

double fieldsHeight(int itemCount, bool writable, const QString &propertyName) {
  double height = itemCount * ROW_PITCH + 40 + (writable ? 30 : 0);
  if (propertyName == QLatin1String("MOUNT_EQUATORIAL_COORDINATES")) {
    height += 320;
  } else if (propertyName == QLatin1String("AGENT_GUIDER_STATS")) {
    height += 190;
  }
  return height;
}

double rowY(double height, int row) { return height - 60 - ROW_PITCH * row; }

namespace {
struct Column {
  int index;  // column of the item
  int line;   // row of the item
};
Column cell(int row, int columns) { return {row % columns, row / columns}; }
}  // namespace

QRectF switchFrame(int row, int columns, double height) {
  const Column c = cell(row, columns);
  switch (columns) {
  case 3: return {c.index * 127.0 + 5, rowY(height, c.line), 126, 20};
  case 2: return {c.index * 191.0 + 5, rowY(height, c.line), 189, 20};
  default: return {5, rowY(height, row), 380, 20};
  }
}

QRectF lightImageFrame(int row, int columns, double height) {
  const Column c = cell(row, columns);
  switch (columns) {
  case 3: return {c.index * 127.0 + 2, rowY(height, c.line), 18, 20};
  case 2: return {c.index * 190.0 + 2, rowY(height, c.line), 18, 20};
  default: return {2, rowY(height, row), 18, 20};
  }
}

QRectF lightLabelFrame(int row, int columns, double height) {
  const QRectF image = lightImageFrame(row, columns, height);
  const double width = columns == 3 ? 100 : columns == 2 ? 165 : 350;
  return {image.x() + 23, image.y() - 1, width, 20};
}

}  // namespace WidgetGeometry
