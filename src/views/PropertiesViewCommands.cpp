// A board's toolbar and menu commands: lock, select all, column break, trace to the library's
// log, move the selection up or down, remove it and colour it.
#include <algorithm>
#include <array>

#include "core/Dispatch.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "kestor/Property.h"
#include "views/PropertiesView.h"
#include "widgets/PropertyWidget.h"

namespace {

// The colour buttons and the fill each gives, in the order they are matched.
struct ColourButton {
  QPointer<QAbstractButton> PropertiesView::*outlet;
  PropertyWidget::Fill fill;
};

const std::array<ColourButton, 7> COLOUR_BUTTONS{{
    {&PropertiesView::grayButton, {0.5, 0.5, 0.5, 0.5}},
    {&PropertiesView::redButton, {0.5, 0, 0, 0.5}},
    {&PropertiesView::greenButton, {0, 0.5, 0, 0.5}},
    {&PropertiesView::blueButton, {0, 0, 0.5, 0.5}},
    {&PropertiesView::yellowButton, {0.5, 0.5, 0, 0.5}},
    {&PropertiesView::magentaButton, {0.5, 0, 0.5, 0.5}},
    {&PropertiesView::cyanButton, {0, 0.5, 0.5, 0.5}},
}};

bool sentBy(const QObject *sender, const QObject *outlet) { return sender != nullptr && sender == outlet; }

}  // namespace

void PropertiesView::lockAction(QObject *sender) {
  if (sentBy(sender, lockButton)) {
    locked = true;
  } else if (sentBy(sender, lockMenu) && lockButton && !buttonIsOn(lockButton)) {
    locked = true;
  } else if (sentBy(sender, unlockButton)) {
    locked = false;
  } else if (sentBy(sender, lockMenu) && lockButton && buttonIsOn(lockButton)) {
    locked = false;
  }
  asyncMain(this, [this] {
    if (lockButton) {
      setButtonState(lockButton, locked);
    }
    if (unlockButton) {
      setButtonState(unlockButton, !locked);
    }
    UserDefaults::write(Setting::LOCKED, locked);
    layoutWidgets();
  });
}

void PropertiesView::selectAllAction() {
  clearSelection();
  active = nullptr;
  for (PropertyWidget *w : widgets()) {
    selection.append(w);
  }
  if (!selection.isEmpty()) {
    active = selection.first();
  }
  layoutWidgets();
}

void PropertiesView::breakAction() {
  if (!active) {
    return;
  }
  active->brk = breakButton && buttonIsOn(breakButton);
  layoutWidgets();
}

void PropertiesView::infoAction() {
  for (const QPointer<PropertyWidget> &w : QList(selection)) {
    if (!w || !w->kproperty) {
      continue;
    }
    w->kproperty->trace();
  }
}

void PropertiesView::upAction() {
  if (!locked) {
    moveSelection(true);
  }
}

void PropertiesView::downAction() {
  if (!locked) {
    moveSelection(false);
  }
}

void PropertiesView::moveSelection(bool towardsTop) {
  // Each run of selected widgets moves one place as a block, past the unselected widget next to
  // it; the widgets are visited from the end the run moves towards.
  std::vector<PropertyWidget *> order = widgets();
  if (!towardsTop) {
    std::reverse(order.begin(), order.end());
  }
  for (PropertyWidget *w : order) {
    const std::vector<PropertyWidget *> now = widgets();
    const auto at = std::find(now.begin(), now.end(), w);
    if (at == now.end() || !isSelected(w)) {
      continue;
    }
    if (towardsTop ? at == now.begin() : at + 1 == now.end()) {
      continue;  // already first (last)
    }
    PropertyWidget *neighbour = towardsTop ? *(at - 1) : *(at + 1);
    if (!isSelected(neighbour)) {
      insertWidget(w, neighbour, towardsTop);
    }
  }
  layoutWidgets();
}

void PropertiesView::deleteAction() {
  if (locked) {
    return;
  }
  // The removed widgets stay selected (and alive) until the selection is replaced.
  for (const QPointer<PropertyWidget> &w : QList(selection)) {
    if (w && w->parentWidget() == this) {
      detach(w);
    }
  }
  layoutWidgets();
}

void PropertiesView::colourAction(QObject *sender) {
  for (const QPointer<PropertyWidget> &w : QList(selection)) {
    for (const ColourButton &button : COLOUR_BUTTONS) {
      if (w && sentBy(sender, (this->*button.outlet).data())) {
        w->setFill(button.fill);
        break;
      }
    }
    layoutWidgets();
  }
}
