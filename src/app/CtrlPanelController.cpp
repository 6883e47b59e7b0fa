#include "app/CtrlPanelController.h"

#include "app/NameOrder.h"
#include "app/AskingSelectionModel.h"
#include "core/Dispatch.h"
#include "core/Settings.h"
#include "kestor/Model.h"
#include "widgets/PropertyWidget.h"

#include <QGuiApplication>
#include <QScrollArea>
#include <QTreeView>
#include <QWidget>

namespace {

using DevicePtr = std::shared_ptr<KESTOR::Device>;
using GroupPtr = std::shared_ptr<KESTOR::Group>;
using PropertyPtr = std::shared_ptr<KESTOR::Property>;

template <typename T>
const std::shared_ptr<T> *itemAs(const OutlineItem *item) {
  return item ? std::get_if<std::shared_ptr<T>>(item) : nullptr;
}

}  // namespace

CtrlPanelController::CtrlPanelController(QObject *parent) : BaseController(parent) {}

QString CtrlPanelController::widgetName(const KESTOR::Property &property) {
  return property.name + QStringLiteral(" @ ") + (property.device ? property.device->name : QString());
}

void CtrlPanelController::setOutline() {
  model_ = new OutlineModel([this](const OutlineItem &item) { return cellView(item); }, this);
  if (propertiesOutlineView) {
    propertiesOutlineView->setModel(model_);
    selection_ = AskingSelectionModel::install(
        *propertiesOutlineView,
        [this](const QModelIndex &index) {
          const OutlineItem *item = model_->item(index);
          return item && selectItem(*item);
        },
        this);
    connect(propertiesOutlineView, &QTreeView::expanded, this, [this] { selectCurrentRow(); });
    connect(propertiesOutlineView, &QTreeView::collapsed, this, &CtrlPanelController::itemCollapsed);
  }
  if (auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
    connect(application, &QGuiApplication::applicationStateChanged, this,
            &CtrlPanelController::applicationStateChanged);
}

OutlineModel::Cell CtrlPanelController::cellView(const OutlineItem &item) const {
  if (const DevicePtr *device = itemAs<KESTOR::Device>(&item))
    return {QStringLiteral("state"), (*device)->name,
            (*device)->connected ? QStringLiteral("NSStatusAvailable") : QStringLiteral("NSStatusNone")};
  if (const GroupPtr *group = itemAs<KESTOR::Group>(&item)) return {QStringLiteral("text"), (*group)->name, {}};
  const PropertyPtr &property = std::get<PropertyPtr>(item);
  return {QStringLiteral("state"), property->description(), property->stateImage()};
}

bool CtrlPanelController::selectItem(const OutlineItem &item) {
  if (const PropertyPtr *property = itemAs<KESTOR::Property>(&item)) {
    selectedProperty = *property;
    selectedGroup.reset();
    showProperties();
    return true;
  }
  if (const GroupPtr *group = itemAs<KESTOR::Group>(&item)) {
    selectedProperty.reset();
    selectedGroup = *group;
    showProperties();
    return true;
  }
  if (const DevicePtr *device = itemAs<KESTOR::Device>(&item)) {
    selectedProperty.reset();
    if (propertiesOutlineView) propertiesOutlineView->expand(model_->indexFor(device->get()));
    for (const auto &[name, group] : (*device)->groups) {
      if (name != QStringLiteral("Main")) continue;
      selectedGroup = group;
      selectRowFor(group.get());
      showProperties();
    }
  }
  return false;
}

PropertyWidget *CtrlPanelController::makeWidget(const PropertyPtr &property) {
  auto *widget = new PropertyWidget(propertiesView, &kestor(), widgetName(*property), dashboardView);
  widgetsByName_.insert(widget->name, widget);
  return widget;
}

void CtrlPanelController::discardWidget(PropertyWidget *widget) {
  widgetsByName_.remove(widget->name);
  propertiesView->discardWidget(widget);
}

void CtrlPanelController::clearWidgets() {
  for (PropertyWidget *widget : propertiesView->widgets()) propertiesView->discardWidget(widget);
  widgetsByName_.clear();
}

void CtrlPanelController::showProperties() {
  clearWidgets();
  if (selectedGroup) {
    QStringList keys;
    for (const auto &entry : selectedGroup->properties) keys.append(entry.first);
    for (const QString &key : sortedByName(keys)) {
      const auto found = selectedGroup->properties.find(key);
      if (found == selectedGroup->properties.end()) continue;
      PropertyWidget *widget = makeWidget(found->second);
      propertiesView->addWidget(widget);
      widget->build(found->second, propertiesView->kind());
    }
  }
  if (selectedProperty) {
    PropertyWidget *widget = makeWidget(selectedProperty);
    widget->build(selectedProperty, WidgetGeometry::Board::None);  // not on the board yet
    propertiesView->addWidget(widget);
  }
  propertiesView->layoutWidgets();
  const std::vector<PropertyWidget *> shown = propertiesView->widgets();
  if (shown.empty()) return;
  for (QWidget *ancestor = propertiesView->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
    if (auto *scrollArea = qobject_cast<QScrollArea *>(ancestor)) {
      scrollArea->ensureWidgetVisible(shown.front(), 0, 0);
      break;
    }
  }
}

bool CtrlPanelController::hasRow(const QModelIndex &index) const {
  if (!index.isValid() || !propertiesOutlineView) return false;
  for (QModelIndex ancestor = index.parent(); ancestor.isValid(); ancestor = ancestor.parent())
    if (!propertiesOutlineView->isExpanded(ancestor)) return false;
  return true;
}

void CtrlPanelController::selectRowFor(const void *object) {
  if (!selection_) return;
  const QModelIndex index = model_->indexFor(object);
  if (hasRow(index)) selection_->selectRow(index);
}

void CtrlPanelController::selectCurrentRow() {
  if (selectedProperty) selectRowFor(selectedProperty.get());
}

void CtrlPanelController::selectRows() {
  if (selectedGroup) selectRowFor(selectedGroup.get());
  if (selectedProperty) selectRowFor(selectedProperty.get());
}

void CtrlPanelController::itemCollapsed(const QModelIndex &index) {
  // A row under a collapsed item has no row any more: it is no longer selected.
  if (selection_) {
    for (const QModelIndex &selected : selection_->selectedIndexes()) {
      for (QModelIndex ancestor = selected.parent(); ancestor.isValid(); ancestor = ancestor.parent()) {
        if (ancestor == index) selection_->clearSelection();
      }
    }
  }
  selectCurrentRow();
}

PropertyWidget *CtrlPanelController::widgetNamed(const QString &name) const { return widgetsByName_.value(name); }

PropertyWidget *CtrlPanelController::widgetAfter(const QString &name) const {
  const QString key = nameKey(name);
  std::size_t first = 0, count = propertiesView->widgetCount();
  while (count > 0) {
    const std::size_t half = count / 2;
    if (keySortsBefore(key, nameKey(propertiesView->widgetAt(first + half)->name))) {
      count = half;
    } else {
      first += half + 1;
      count -= half + 1;
    }
  }
  return first < propertiesView->widgetCount() ? propertiesView->widgetAt(first) : nullptr;
}

void CtrlPanelController::propertyDefined(const PropertyPtr &property) {
  if (property->type() == KESTOR_BLOB && UserDefaults::read(Setting::ENABLE_BLOB_TRANSFER)) {
    KESTOR *client = &kestor();
    asyncGlobal([client, property] { client->enableBLOB(property, true); });
  }
  model_->insert(property);
  const QString name = widgetName(*property);
  if (reselectName && *reselectName == name) asyncMain(this, [this, property] { reselect(property); });
  if (!selectedGroup || selectedProperty) return;
  // The group holds its properties by name.
  const auto inGroup = selectedGroup->properties.find(property->name);
  if (inGroup == selectedGroup->properties.end() || inGroup->second != property) return;
  // One layout for all the widgets a turn of the event loop adds.
  if (PropertyWidget *widget = widgetNamed(name)) {
    widget->build(property, propertiesView->kind());
    propertiesView->layoutSoon();
    return;
  }
  PropertyWidget *widget = makeWidget(property);
  widget->build(property, WidgetGeometry::Board::None);  // not on the board yet
  if (PropertyWidget *after = widgetAfter(name))
    propertiesView->insertWidget(widget, after, true);
  else
    propertiesView->addWidget(widget);
  propertiesView->layoutSoon();
}

void CtrlPanelController::reselect(const PropertyPtr &property) {
  const QModelIndex index = model_->indexFor(property.get());
  if (hasRow(index)) {
    selectItem(property);
    selection_->selectRow(index);
  }
  reselectName.reset();
}

void CtrlPanelController::propertyChanged(const PropertyPtr &property) {
  // A change leaves devices, groups and properties where they are: the outline draws again only
  // the rows whose label or state image changed, so it keeps its place while values stream in.
  model_->changed(*property);
  if (PropertyWidget *widget = widgetNamed(widgetName(*property))) widget->update(property);
  selectRows();
}

void CtrlPanelController::propertyDeleted(const PropertyPtr &property) {
  // The outline would make a row next to a removed current row current, and so select it as if
  // clicked: the current row, when it goes, goes as the current row first; the selected rows
  // are selected again below. The rows that go are the property's and those of its group and
  // device when it was their only property.
  if (selection_) {
    for (QModelIndex row = model_->indexFor(property.get()); row.isValid(); row = row.parent()) {
      if (row == selection_->currentIndex()) selection_->clearCurrentIndex();
      if (model_->rowCount(row.parent()) > 1) break;
    }
  }
  model_->remove(*property);
  if (PropertyWidget *widget = widgetNamed(widgetName(*property))) {
    discardWidget(widget);
    propertiesView->layoutSoon();
  }
  if (selectedProperty && selectedProperty == property) {
    reselectName = widgetName(*property);
    selectedProperty.reset();
  }
  selectRows();
}

void CtrlPanelController::showPanel() {
  hideOnDeactivate_ = UserDefaults::read(Setting::HIDE_PANELS);
  if (!panel) return;
  hiddenByDeactivation_ = false;
  panel->show();
  panel->raise();
  panel->activateWindow();
}

void CtrlPanelController::applicationStateChanged(Qt::ApplicationState state) {
  if (!panel || !hideOnDeactivate_) return;
  if (state == Qt::ApplicationActive) {
    if (hiddenByDeactivation_) panel->show();
    hiddenByDeactivation_ = false;
  } else if (panel->isVisible()) {
    panel->hide();
    hiddenByDeactivation_ = true;
  }
}
