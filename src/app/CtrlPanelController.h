// The control-panel window: an outline of every device of the client object, its property groups
// and their properties, and beside it the control-panel board with one widget per property of
// the selected group (or the one selected property). The outline and the widgets follow the
// client's model through its notifications; new BLOB properties get their transfer switched on
// when the "enableBLOBTransfer" setting asks for it.
#pragma once

#include "app/BaseController.h"
#include "app/OutlineItem.h"
#include "app/OutlineModel.h"

#include "views/ControlPanelView.h"
#include "views/DashboardView.h"

#include <QHash>
#include <QPointer>

#include <optional>
#include <vector>

class AskingSelectionModel;
class PropertyWidget;
class QTreeView;
class QWidget;

class CtrlPanelController : public BaseController {
  Q_OBJECT

public:
  explicit CtrlPanelController(QObject *parent = nullptr);

  std::shared_ptr<KESTOR::Group> selectedGroup;
  std::shared_ptr<KESTOR::Property> selectedProperty;
  // Outlets, set by the interface loader; the outline and the board before setOutline.
  QPointer<QWidget> panel;
  QPointer<QTreeView> propertiesOutlineView;
  QPointer<ControlPanelView> propertiesView;
  QPointer<DashboardView> dashboardView;
  // The widget name of a selected property that was deleted, selected again when it comes back.
  std::optional<QString> reselectName;

  // Makes this controller the outline's data source and delegate; once, after the outlets.
  void setOutline();
  OutlineModel *outlineModel() const { return model_; }

  // The widget name of a property: its name, " @ ", its device's name.
  static QString widgetName(const KESTOR::Property &property);

  // What the outline shows for an item.
  OutlineModel::Cell cellView(const OutlineItem &item) const;
  // Acts on a click on an item; true when its row may be selected.
  bool selectItem(const OutlineItem &item);
  // Shows the widgets of the selected group, or of the selected property.
  virtual void showProperties();
  // Selects the selected property's row again, when it has one.
  virtual void selectCurrentRow();
  // The board's widget of that name, if shown.
  PropertyWidget *widgetNamed(const QString &name) const;

  void propertyDefined(const std::shared_ptr<KESTOR::Property> &property) override;
  void propertyChanged(const std::shared_ptr<KESTOR::Property> &property) override;
  void propertyDeleted(const std::shared_ptr<KESTOR::Property> &property) override;

  // Whether the panel hides while the application is inactive ("hidePanels").
  bool hidesOnDeactivate() const { return hideOnDeactivate_; }
  // The application became active or inactive: the panel hides or comes back when it hides
  // on deactivation.
  void applicationStateChanged(Qt::ApplicationState state);

public slots:
  // Shows the control panel and brings it to the front.
  void showPanel();

private:
  // A widget for the property, known by its name from now on; the caller puts it on the board.
  PropertyWidget *makeWidget(const std::shared_ptr<KESTOR::Property> &property);
  // Where a widget of that name goes on the board: before the first widget whose name sorts
  // after it (the board holds its widgets in name order), nullptr for the end.
  PropertyWidget *widgetAfter(const QString &name) const;
  void discardWidget(PropertyWidget *widget);
  void clearWidgets();
  void selectRowFor(const void *object);
  void reselect(const std::shared_ptr<KESTOR::Property> &property);
  void selectRows();
  void itemCollapsed(const QModelIndex &index);
  bool hasRow(const QModelIndex &index) const;

  OutlineModel *model_ = nullptr;
  AskingSelectionModel *selection_ = nullptr;
  bool hideOnDeactivate_ = false;
  bool hiddenByDeactivation_ = false;
  QHash<QString, QPointer<PropertyWidget>> widgetsByName_;  // the board's widgets, by widget name
};
