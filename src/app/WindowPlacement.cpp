#include "app/WindowPlacement.h"

#include <QRect>
#include <QWidget>

#include <algorithm>

namespace {

// Room kept for the frame and title bar a window manager puts around a window.
constexpr int FRAME_WIDTH = 8;
constexpr int FRAME_HEIGHT = 40;

// The window shrunk to fit the area with its frame and moved so that its frame lies inside.
void keepInside(QWidget *window, QPoint topLeft, const QRect &area) {
  const QSize size = window->size().boundedTo(area.size() - QSize(FRAME_WIDTH, FRAME_HEIGHT));
  window->resize(size);
  const QSize frame = size + QSize(FRAME_WIDTH, FRAME_HEIGHT);
  window->move(std::clamp(topLeft.x(), area.left(), area.right() + 1 - frame.width()),
               std::clamp(topLeft.y(), area.top(), area.bottom() + 1 - frame.height()));
}

}  // namespace

void placeWindows(QWidget *window, QWidget *panel, QWidget *sheet, const QRect &area) {
  keepInside(window, area.topLeft(), area);
  // At the right edge when there is no room beside the main window.
  keepInside(panel, {window->x() + window->width() + FRAME_WIDTH, area.top()}, area);
  // The sheet only needs to fit: it is centred on the main window, inside the area, each time it
  // is shown.
  sheet->resize(sheet->size().boundedTo(area.size() - QSize(FRAME_WIDTH, FRAME_HEIGHT)));
}
