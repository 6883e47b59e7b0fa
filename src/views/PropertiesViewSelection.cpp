// A board's selection with the mouse: click to select one widget, Shift-click to add or remove
// one, drag the active widget to a new place. Only the dashboard selects and drags; a click on
// any other board just lays it out again.
#include <QMouseEvent>
#include <algorithm>

#include "views/DashboardView.h"
#include "views/PropertiesView.h"
#include "widgets/FlippedFrame.h"
#include "widgets/PropertyWidget.h"

namespace {

constexpr double NORMAL_ALPHA = 0.2;

}  // namespace

bool PropertiesView::isSelected(const PropertyWidget *widget) const {
  return std::any_of(selection.begin(), selection.end(),
                     [widget](const QPointer<PropertyWidget> &w) { return w.data() == widget; });
}

void PropertiesView::clearSelection() {
  for (const QPointer<PropertyWidget> &w : selection) {
    if (w) {
      w->setFillAlpha(NORMAL_ALPHA);
    }
  }
  selection.clear();
  releaseDetached();
}

void PropertiesView::detach(PropertyWidget *widget) {
  removeWidget(widget);
  if (!detached_) {
    detached_ = new QWidget(this);
    detached_->hide();
  }
  widget->setParent(detached_);
}

void PropertiesView::releaseDetached() {
  // Nothing refers to the deleted widgets any more once the selection that kept them is gone.
  delete detached_;
}

void PropertiesView::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  event->accept();
  lastMouse_ = event->globalPosition();
  if (!qobject_cast<DashboardView *>(this)) {
    layoutWidgets();
    return;
  }
  const QPointF p = toBottomLeft(event->position(), height());
  if (active) {
    active->setFillAlpha(NORMAL_ALPHA);
  }
  active = nullptr;
  if (!(event->modifiers() & Qt::ShiftModifier)) {
    clearSelection();
  }
  for (PropertyWidget *w : widgets()) {
    if (!frameContains(bottomLeftFrame(w), p)) {
      continue;
    }
    active = w;
    if (isSelected(w)) {
      selection.removeIf([w](const QPointer<PropertyWidget> &s) { return s.data() == w; });
      w->setFillAlpha(NORMAL_ALPHA);
    } else {
      selection.append(w);
    }
  }
  layoutWidgets();
}

void PropertiesView::mouseMoveEvent(QMouseEvent *event) {
  if (!(event->buttons() & Qt::LeftButton)) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  event->accept();
  const QPointF delta = event->globalPosition() - lastMouse_;
  lastMouse_ = event->globalPosition();
  if (!qobject_cast<DashboardView *>(this) || locked || !active) {
    return;
  }
  // The widget follows the pointer; the layout leaves it where it is and opens a gap for it.
  placeAt(active, bottomLeftFrame(active).translated(delta.x(), -delta.y()), height());
  dragging = toBottomLeft(event->position(), height());
  layoutWidgets();
}

void PropertiesView::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  event->accept();
  if (!qobject_cast<DashboardView *>(this) || locked) {
    return;
  }
  if (active && dragged) {
    insertWidget(active, above, true);  // before the widget under the pointer, else last
  }
  dragging.reset();
  layoutWidgets();
}
