#include "app/AccessibilityStandIns.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <unordered_set>
#include <vector>

#include "widgets/PropertyWidget.h"

namespace {

class StandIn;

std::unordered_set<StandIn *> &standIns() {
  static std::unordered_set<StandIn *> live;
  return live;
}

// An interface that tells nothing: it only stands in while nobody asks.
class StandIn : public QAccessibleObject {
public:
  explicit StandIn(QObject *object) : QAccessibleObject(object) { standIns().insert(this); }
  ~StandIn() override { standIns().erase(this); }
  QAccessibleInterface *parent() const override { return nullptr; }
  int childCount() const override { return 0; }
  QAccessibleInterface *child(int) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface *) const override { return -1; }
  QString text(QAccessible::Text) const override { return {}; }
  QAccessible::Role role() const override { return QAccessible::NoRole; }
  QAccessible::State state() const override { return {}; }
};

bool inPropertyWidget(const QObject *object) {
  for (; object != nullptr; object = object->parent()) {
    if (qobject_cast<const PropertyWidget *>(object)) return true;
  }
  return false;
}

QAccessibleInterface *standInFor(const QString &, QObject *object) {
  if (QAccessible::isActive() || !object->isWidgetType() || !inPropertyWidget(object)) return nullptr;
  return new StandIn(object);
}

// Drops the stand-ins from Qt's cache when accessibility turns on.
class HandOver : public QAccessible::ActivationObserver {
public:
  void accessibilityActiveChanged(bool active) override {
    if (!active) return;
    const std::vector<StandIn *> dropped(standIns().begin(), standIns().end());
    for (StandIn *standIn : dropped) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(standIn));
  }
};

}  // namespace

void AccessibilityStandIns::install() {
  static HandOver handOver;
  static const bool installed = [] {
    QAccessible::installFactory(standInFor);
    QAccessible::installActivationObserver(&handOver);
    return true;
  }();
  (void)installed;
}
