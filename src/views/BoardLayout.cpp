#include "views/BoardLayout.h"

#include <algorithm>
#include <utility>

#include "widgets/FlippedFrame.h"

namespace BoardLayout {

Result place(const Input &input) {
  Result result;
  result.origins.resize(input.widgets.size());
  const double top = input.boardHeight - MARGIN;
  double x = 0;
  double y = top;
  bool breakPending = false;
  for (std::size_t i = 0; i < input.widgets.size(); ++i) {
    const Slot &w = input.widgets[i];
    if (breakPending || y - w.height < 0) {
      y = top;
      x += MARGIN + COLUMN_WIDTH;
    }
    breakPending = w.brk;
    const bool isDragged = input.dragging && input.active && *input.active == static_cast<int>(i);
    if (isDragged) {
      const QRectF slot(x, y - DRAG_GAP, w.storedSize.width(), w.storedSize.height());
      if (frameContains(slot, *input.dragging)) {
        result.dragged = false;
        y -= DRAG_GAP;
      } else {
        result.dragged = true;
      }
      continue;
    }
    QPointF origin(x, y - w.height + MARGIN);
    if (input.dragging && frameContains(QRectF(origin, QSizeF(w.storedSize.width(), w.height)), *input.dragging)) {
      origin.ry() -= DRAG_GAP;
      y -= DRAG_GAP;
      result.above = static_cast<int>(i);
    }
    result.origins[i] = origin;
    y -= w.height + MARGIN;
  }
  result.lastColumnX = x;
  return result;
}

double dashboardHeight(double containerHeight) { return std::max(50.0, containerHeight); }

double dashboardWidth(double lastColumnX, double containerWidth) {
  return std::max(lastColumnX + COLUMN_WIDTH, containerWidth);
}

QSizeF controlPanelSize(const QSizeF &container, const std::vector<double> &widgetHeights) {
  double needed = 0;
  for (double h : widgetHeights) {
    needed += h + MARGIN;
  }
  return {std::max(container.width(), COLUMN_WIDTH), std::max(container.height(), needed)};
}

QSizeF viewportFor(const ScrollRoom &room, const QSizeF &board) {
  const QSizeF &full = room.viewport;
  const bool tall = board.height() > full.height();
  const bool wide = board.width() > full.width();
  const bool vertical = tall || (wide && board.height() > full.height() - room.horizontalBar);
  const bool horizontal = wide || (tall && board.width() > full.width() - room.verticalBar);
  return {full.width() - (vertical ? room.verticalBar : 0), full.height() - (horizontal ? room.horizontalBar : 0)};
}

QSizeF fitToRoom(const ScrollRoom &room, const std::function<QSizeF(const QSizeF &viewport)> &sizeFor) {
  // The fewest bars whose viewport gives a board that shows just those bars; both bars at worst.
  QSizeF size;
  for (const auto &[vertical, horizontal] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
    const QSizeF viewport(room.viewport.width() - (vertical ? room.verticalBar : 0),
                          room.viewport.height() - (horizontal ? room.horizontalBar : 0));
    size = sizeFor(viewport);
    if (viewportFor(room, size) == viewport) break;
  }
  return size;
}

int colourCode(double red, double green, double blue) {
  return static_cast<int>(2 * red) * 100 + static_cast<int>(2 * green) * 10 + static_cast<int>(2 * blue);
}

}  // namespace BoardLayout
