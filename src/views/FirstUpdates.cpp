#include "views/FirstUpdates.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

FirstUpdates::FirstUpdates() { QCoreApplication::instance()->installEventFilter(this); }

void FirstUpdates::shown(const QWidget *widget) {
  // Qt queues a widget's own repaint when it becomes visible, after those of its controls.
  if (widget->isVisible()) pending_.insert(widget);
}

void FirstUpdates::forget(const QObject *widget) { pending_.erase(widget); }

bool FirstUpdates::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::UpdateLater || pending_.empty() || !watched->isWidgetType()) return false;
  if (pending_.erase(watched)) return false;  // the widget's own: it draws all it holds
  const auto *control = static_cast<const QWidget *>(watched);
  if (control->testAttribute(Qt::WA_OpaquePaintEvent) || control->testAttribute(Qt::WA_PaintOnScreen) ||
      control->autoFillBackground())
    return false;
  for (const QObject *ancestor = watched->parent(); ancestor; ancestor = ancestor->parent()) {
    if (pending_.count(ancestor)) return true;
  }
  return false;
}
