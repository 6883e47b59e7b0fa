// What a property widget asks of the board that holds it: lay the widgets out again, pin a copy,
// unpin. The boards implement it, so a widget never needs to know which board it is on.
#pragma once

#include <QWidget>

class PropertyWidget;

class WidgetBoard : public QWidget {
  Q_OBJECT

public:
  using QWidget::QWidget;

  bool locked = false;       // locked against rearranging; a widget neither pins from nor unpins
  bool showButtons = false;  // widgets dress their pin/unpin buttons

  // Sizes the board for its container and places the widgets again (after one changed height).
  virtual void layoutWidgets() = 0;
  // Adds a copy of the widget (same client object, name and property) at the end, builds it
  // on this board and lays out.
  virtual void pinCopy(const PropertyWidget &original) = 0;
  // Takes the widget off the board, lays out and deletes the widget once control returns.
  virtual void unpin(PropertyWidget *widget) = 0;
};
