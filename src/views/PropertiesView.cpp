#include "views/PropertiesView.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QChildEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <algorithm>

#include "core/Settings.h"
#include "views/BoardLayout.h"
#include "views/ControlPanelView.h"
#include "views/DashboardView.h"
#include "widgets/FlippedFrame.h"
#include "widgets/KButton.h"
#include "widgets/PropertyWidget.h"

void setButtonState(QAbstractButton *button, bool on) {
  if (auto *k = qobject_cast<KButton *>(button)) {
    k->setState(on ? KButton::ON : KButton::OFF);
  } else {
    button->setChecked(on);
  }
}

bool buttonIsOn(const QAbstractButton *button) {
  if (auto *k = qobject_cast<const KButton *>(button)) {
    return k->state() != KButton::OFF;
  }
  return button->isChecked();
}

PropertiesView::PropertiesView(QWidget *parent) : WidgetBoard(parent) { watchParent(); }

std::vector<PropertyWidget *> PropertiesView::widgets() const { return order_; }

void PropertiesView::addWidget(PropertyWidget *widget) {
  widget->setParent(this);  // joins the board at the end through childEvent
  widget->show();
  firstUpdates_.shown(widget);
}

void PropertiesView::insertWidget(PropertyWidget *widget, PropertyWidget *reference, bool below) {
  if (widget->parentWidget() != this) {
    addWidget(widget);
  }
  order_.erase(std::remove(order_.begin(), order_.end(), widget), order_.end());
  auto at = std::find(order_.begin(), order_.end(), reference);
  if (at == order_.end() || reference == nullptr) {
    order_.push_back(widget);
    widget->raise();
    return;
  }
  if (!below) {
    ++at;
  }
  order_.insert(at, widget);
  // Keep the stacking order the same as the board order where a dragged widget overlaps others.
  // The control panel's column never overlaps; there a new widget stays on top, as every paint
  // after a widget is shown looks at all the widgets stacked above it.
  if (kind() == WidgetGeometry::Board::ControlPanel) {
    return;
  }
  if (below) {
    widget->stackUnder(reference);
  } else {
    reference->stackUnder(widget);
  }
}

void PropertiesView::removeWidget(PropertyWidget *widget) {
  if (widget->parentWidget() == this) {
    widget->hide();
    widget->setParent(nullptr);  // leaves the board through childEvent
  }
}

void PropertiesView::discardWidget(PropertyWidget *widget) {
  // Hidden only when it holds the keyboard focus, which hiding hands on to the next control:
  // otherwise it goes with its deletion, before anything is drawn again, and hiding each of its
  // controls first would cost about as much as deleting them.
  if (widget->isAncestorOf(QApplication::focusWidget())) widget->hide();
  std::erase(order_, widget);
  widget->deleteLater();
}

void PropertiesView::layoutSoon() {
  if (layoutPending_) {
    return;
  }
  layoutPending_ = true;
  QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest), Qt::HighEventPriority);
}

void PropertiesView::pinCopy(const PropertyWidget &original) {
  auto *copy = new PropertyWidget(this, original.kestor, original.name, nullptr);
  addWidget(copy);  // on the board first, so the column rule sees it
  copy->build(original.kproperty, kind());
  layoutWidgets();
}

void PropertiesView::unpin(PropertyWidget *widget) {
  discardWidget(widget);
  layoutWidgets();
}

void PropertiesView::childEvent(QChildEvent *event) {
  QWidget::childEvent(event);
  // A child being deleted is no PropertyWidget any more when it leaves: it is found by address.
  if (event->removed()) {
    firstUpdates_.forget(event->child());
    std::erase_if(order_, [event](const PropertyWidget *w) { return w == event->child(); });
  } else if (auto *widget = qobject_cast<PropertyWidget *>(event->child()); widget && event->added()) {
    order_.push_back(widget);
  }
}

bool PropertiesView::event(QEvent *event) {
  if (event->type() == QEvent::ParentChange) {
    watchParent();
  }
  if (event->type() == QEvent::LayoutRequest && layoutPending_) {
    layoutPending_ = false;
    layoutWidgets();
  }
  return QWidget::event(event);
}

void PropertiesView::watchParent() {
  if (watchedParent_) {
    watchedParent_->removeEventFilter(this);
  }
  watchedParent_ = parentWidget();
  if (watchedParent_) {
    watchedParent_->installEventFilter(this);
  }
}

bool PropertiesView::eventFilter(QObject *watched, QEvent *event) {
  // The board follows its container's size: every resize of the view it sits in lays it out.
  if (watched == watchedParent_ && event->type() == QEvent::Resize) {
    layoutWidgets();
  }
  return QWidget::eventFilter(watched, event);
}

namespace {

// The room of the board's container: a scroll area's viewport without bars, and the room of each
// bar that shows only as needed (Qt's scroll areas reckon a bar's room by its size hint).
BoardLayout::ScrollRoom scrollRoom(const QWidget *container) {
  const auto *area = qobject_cast<const QAbstractScrollArea *>(container);
  if (area == nullptr) {
    return {QSizeF(container->size())};
  }
  const auto room = [](const QScrollBar *bar, Qt::ScrollBarPolicy policy, int extent) {
    const bool floats = bar->style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, bar) != 0;
    return policy == Qt::ScrollBarAsNeeded && !floats ? double(extent) : 0.0;
  };
  return {
      QSizeF(area->maximumViewportSize()),
      room(area->verticalScrollBar(), area->verticalScrollBarPolicy(), area->verticalScrollBar()->sizeHint().width()),
      room(area->horizontalScrollBar(), area->horizontalScrollBarPolicy(),
           area->horizontalScrollBar()->sizeHint().height())};
}

}  // namespace

void PropertiesView::layoutWidgets() {
  QWidget *superview = parentWidget();
  QWidget *container = superview ? superview->parentWidget() : nullptr;
  if (container != nullptr) {
    resize(BoardLayout::fitToRoom(scrollRoom(container), [this](const QSizeF &viewport) {
             return sizeFor(viewport);
           }).toSize());
    placeWidgets();
    if (qobject_cast<DashboardView *>(this) && saveWidgets) {
      saveWorkspace();
    }
  }
  updateToolbar();
}

QSizeF PropertiesView::sizeFor(const QSizeF &viewport) const {
  if (qobject_cast<const DashboardView *>(this)) {
    const double height = BoardLayout::dashboardHeight(viewport.height());
    return {BoardLayout::dashboardWidth(BoardLayout::place(placementInput(height)).lastColumnX, viewport.width()),
            height};
  }
  if (qobject_cast<const ControlPanelView *>(this)) {
    std::vector<double> heights;
    for (PropertyWidget *w : widgets()) {
      heights.push_back(w->height());
    }
    return BoardLayout::controlPanelSize(viewport, heights);
  }
  return QSizeF(size());
}

BoardLayout::Input PropertiesView::placementInput(double boardHeight) const {
  const std::vector<PropertyWidget *> list = widgets();
  BoardLayout::Input input;
  input.boardHeight = boardHeight;
  input.dragging = dragging;
  for (std::size_t i = 0; i < list.size(); ++i) {
    PropertyWidget *w = list[i];
    input.widgets.push_back({static_cast<double>(w->height()), w->brk, QSizeF(w->fullWidth, w->fullHeight)});
    if (w == active) {
      input.active = static_cast<int>(i);
    }
  }
  return input;
}

void PropertiesView::placeWidgets() {
  const std::vector<PropertyWidget *> list = widgets();
  const BoardLayout::Result result = BoardLayout::place(placementInput(height()));
  above = nullptr;
  dragged = result.dragged;
  for (std::size_t i = 0; i < list.size(); ++i) {
    PropertyWidget *w = list[i];
    w->button2->setEnabled(!locked);
    if (const auto &origin = result.origins[i]) {
      placeAt(w, QRectF(*origin, QSizeF(w->width(), w->height())), height());
    }
  }
  if (result.above) {
    above = list[static_cast<std::size_t>(*result.above)];
  }
}

void PropertiesView::saveWorkspace() const {
  QStringList names;
  QVariantList breaks;
  QVariantList colours;
  for (PropertyWidget *w : widgets()) {
    names << w->name;
    breaks << w->brk;
    const PropertyWidget::Fill f = w->fill();
    colours << BoardLayout::colourCode(f.red, f.green, f.blue);
  }
  const QString n = QString::number(UserDefaults::read(Setting::WORKSPACE));
  QSettings &store = defaults();
  store.setValue(Setting::WORKSPACE_NAMES_PREFIX.name() + n, names);
  store.setValue(Setting::WORKSPACE_BREAKS_PREFIX.name() + n, breaks);
  store.setValue(Setting::WORKSPACE_COLOURS_PREFIX.name() + n, colours);
}

void PropertiesView::updateToolbar() {
  if (breakButton) {
    if (active) {
      breakButton->setEnabled(!locked && selection.size() == 1);
      setButtonState(breakButton, active->brk);
    } else {
      breakButton->setEnabled(false);
    }
  }
  const bool any = !selection.isEmpty();
  if (!any && breakButton) {
    setButtonState(breakButton, false);
  }
  for (QAbstractButton *b : {infoButton.data(), grayButton.data(), redButton.data(), greenButton.data(),
                             blueButton.data(), yellowButton.data(), magentaButton.data(), cyanButton.data(),
                             upButton.data(), downButton.data(), deleteButton.data()}) {
    if (b) {
      b->setEnabled(any);
    }
  }
  for (const QPointer<PropertyWidget> &w : selection) {
    if (w) {
      w->setFillAlpha(0.5);
    }
  }
}
