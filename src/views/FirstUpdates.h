// The repaints Qt asks for when a board shows a new widget. Qt queues one for the widget and one
// for each of its controls, and each control's makes that control a widget to draw of its own,
// which the next paint checks against every widget on the board: a cost growing with the board
// for every control of every new widget. The widget's own repaint covers all its controls, so
// theirs are dropped; a control that paints an opaque background keeps its own (the widget's
// repaint leaves such controls to themselves).
#pragma once

#include <QObject>
#include <unordered_set>

class QWidget;

class FirstUpdates : public QObject {
public:
  // Watches the application's events for as long as it lives.
  FirstUpdates();

  // The widget was just shown with its controls (nothing happens if it is not visible).
  void shown(const QWidget *widget);
  // The widget left the board or is being deleted: its address may come again.
  void forget(const QObject *widget);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  std::unordered_set<const QObject *> pending_;  // shown widgets whose own repaint is still queued
};
