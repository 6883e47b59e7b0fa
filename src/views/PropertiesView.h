// A board: the view that holds property widgets and places them in columns from the top left.
// Its child widgets, in board order, are its widgets; the first is placed at the top of the
// first column. Positions handed to and kept by a board (dragging) have their origin at the
// board's bottom left, y growing upwards.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <optional>
#include <vector>

#include "views/BoardLayout.h"
#include "views/FirstUpdates.h"
#include "widgets/WidgetBoard.h"
#include "widgets/WidgetGeometry.h"

class PropertiesView : public WidgetBoard {
  Q_OBJECT

public:
  static constexpr double MARGIN = 5.0;

  explicit PropertiesView(QWidget *parent = nullptr);

  // The kind of board, for the column rule of the widgets built on it.
  virtual WidgetGeometry::Board kind() const { return WidgetGeometry::Board::Other; }

  // Toolbar outlets, set by the window that owns the board; each may be absent.
  QPointer<QAbstractButton> lockButton, unlockButton;
  QPointer<QAction> lockMenu;
  QPointer<QAbstractButton> breakButton, infoButton, upButton, downButton, deleteButton;
  QPointer<QAbstractButton> grayButton, redButton, greenButton, blueButton, yellowButton, magentaButton, cyanButton;

  QPointer<PropertyWidget> active;            // the widget last clicked; the one being dragged
  QList<QPointer<PropertyWidget>> selection;  // in the order selected
  QPointer<PropertyWidget> above;             // during a drag: where the dragged widget would go
  std::optional<QPointF> dragging;            // during a drag: the pointer, bottom-left origin
  bool dragged = false;                       // during a drag: the pointer left the widget's slot
  bool saveWidgets = false;                   // write the workspace record at every layout

  // The widgets in board order. A widget joins the board when it is given the board as parent
  // (at the end) or through insertWidget, and leaves it when it is given another parent or none,
  // is deleted or discarded.
  std::vector<PropertyWidget *> widgets() const;
  std::size_t widgetCount() const { return order_.size(); }
  // The widget at a place in board order (below widgetCount).
  PropertyWidget *widgetAt(std::size_t index) const { return order_[index]; }
  // Adds a widget at the end, shown.
  void addWidget(PropertyWidget *widget);
  // Adds (or moves) a widget just before (below == true) or just after the reference widget,
  // or at the end when the reference is not on the board.
  void insertWidget(PropertyWidget *widget, PropertyWidget *reference, bool below);
  // Takes a widget off the board: hidden and without parent; the caller decides its fate.
  void removeWidget(PropertyWidget *widget);
  // Takes a widget off the board and deletes it once control returns to the event loop, before
  // the board is drawn again (it is hidden at once only when it holds the keyboard focus). It
  // keeps its parent until then: a widget leaving its window makes Qt walk the focus chain of the
  // whole window, every widget of every board.
  void discardWidget(PropertyWidget *widget);
  // Lays the board out once control returns to the event loop: many widgets added or removed in
  // one turn make one layout.
  void layoutSoon();

  // Sizes the board for its container, places the widgets, writes the workspace record and
  // updates the toolbar and the selection highlight.
  void layoutWidgets() override;
  void pinCopy(const PropertyWidget &original) override;
  void unpin(PropertyWidget *widget) override;

public slots:
  // Toolbar and menu commands (PropertiesViewCommands.cpp). The lock and colour commands act by
  // the control that sent them.
  virtual void lockAction(QObject *sender);
  virtual void selectAllAction();
  virtual void breakAction();
  virtual void infoAction();
  virtual void upAction();
  virtual void downAction();
  virtual void deleteAction();
  virtual void colourAction(QObject *sender);

protected:
  void childEvent(QChildEvent *event) override;
  bool event(QEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;
  // Selection and dragging with the mouse (PropertiesViewSelection.cpp).
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  bool isSelected(const PropertyWidget *widget) const;
  // Moves each run of selected widgets one place towards the top or the end, then lays out.
  void moveSelection(bool towardsTop);
  // Empties the selection, giving its widgets their normal fill again.
  void clearSelection();
  // Takes a selected widget off the board but keeps it, hidden, until the selection is replaced.
  void detach(PropertyWidget *widget);
  // Deletes the widgets delete took off the board.
  void releaseDetached();
  // The board's size for a viewport of its container: a dashboard as high as the viewport and as
  // wide as its columns, a control panel as high as its widgets; any other board keeps its size.
  QSizeF sizeFor(const QSizeF &viewport) const;
  // The widgets as the placement sees them, on a board of that height.
  BoardLayout::Input placementInput(double boardHeight) const;
  void placeWidgets();
  void saveWorkspace() const;
  void updateToolbar();
  void watchParent();

  std::vector<PropertyWidget *> order_;  // a widget leaves it with its ChildRemoved event
  FirstUpdates firstUpdates_;            // of the widgets added
  bool layoutPending_ = false;
  QPointer<QWidget> watchedParent_;
  QPointer<QWidget> detached_;  // holds the widgets that delete took off the board
  QPointF lastMouse_;           // global pointer position of the last mouse event
};

// Sets the state of an on/off button (or a KButton of either kind): on is checked.
void setButtonState(QAbstractButton *button, bool on);
// The state of such a button.
bool buttonIsOn(const QAbstractButton *button);
