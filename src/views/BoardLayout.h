// The arithmetic of a board's layout: sizes, columns, breaks and the gap a drag opens. Every
// frame here has its origin at the board's bottom left, y growing upwards.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <functional>
#include <optional>
#include <vector>

namespace BoardLayout {

constexpr double MARGIN = 5.0;
constexpr double COLUMN_WIDTH = 400.0;  // a widget's width
constexpr double DRAG_GAP = 50.0;

// One widget as the placement sees it.
struct Slot {
  double height = 0;  // current frame height (collapsed widgets are shorter)
  bool brk = false;   // the widget ends its column
  QSizeF storedSize;  // the widget's full size, used for the slot of a dragged widget
};

struct Input {
  double boardHeight = 0;
  std::vector<Slot> widgets;
  std::optional<QPointF> dragging;  // pointer position during a drag
  std::optional<int> active;        // index of the widget being dragged (only with dragging)
};

struct Result {
  // New origin of each widget; empty for the dragged widget, which stays where the pointer put it.
  std::vector<std::optional<QPointF>> origins;
  std::optional<int> above;  // the widget the dragged one would be inserted before
  bool dragged = false;      // the pointer has left the dragged widget's own slot
  double lastColumnX = 0;    // left edge of the last column
};

// Places the widgets in columns from the top left, 5 apart, a new column when one does not fit
// or after a break; a drag opens a 50-point gap above the widget under the pointer.
Result place(const Input &input);

// Board sizes: a dashboard is as high as its container (at least 50) and as wide as its columns
// need; a control panel is at least 400 wide and high enough for every widget.
double dashboardHeight(double containerHeight);
double dashboardWidth(double lastColumnX, double containerWidth);
QSizeF controlPanelSize(const QSizeF &container, const std::vector<double> &widgetHeights);

// The room a scroll area gives its board: the viewport without scroll bars, and what each bar
// takes of it when it shows (0 for a bar that never shows, floats over the board, or always
// shows and so is already out of the viewport).
struct ScrollRoom {
  QSizeF viewport;
  double verticalBar = 0;    // width
  double horizontalBar = 0;  // height
};

// The viewport a board of that size gets: no bar when it fits the whole room; otherwise a bar
// for each direction it overflows, the other bar's room taken into account.
QSizeF viewportFor(const ScrollRoom &room, const QSizeF &board);

// The board's size in its scroll area: the size it takes for the viewport that this very size
// leaves, with the fewest bars, so that only the bars the board needs show (a board as wide as
// the room without bars would need a horizontal bar as soon as the vertical one shows).
QSizeF fitToRoom(const ScrollRoom &room, const std::function<QSizeF(const QSizeF &viewport)> &sizeFor);

// The workspace colour code of a fill colour: Int(2r)·100 + Int(2g)·10 + Int(2b).
int colourCode(double red, double green, double blue);

}  // namespace BoardLayout
