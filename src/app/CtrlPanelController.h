// The control-panel window: the device, group and property outline and the selected group's
// widgets.
#pragma once

#include "app/BaseController.h"

#include "views/ControlPanelView.h"
#include "views/DashboardView.h"

#include <QPointer>

class QTreeView;
class QWidget;

class CtrlPanelController : public BaseController {
  Q_OBJECT

public:
  explicit CtrlPanelController(QObject *parent = nullptr);

  // Outlets, set by the interface loader.
  QPointer<QWidget> panel;
  QPointer<QTreeView> propertiesOutlineView;
  QPointer<ControlPanelView> propertiesView;
  QPointer<DashboardView> dashboardView;

public slots:
  // Shows the control panel and brings it to the front.
  void showPanel();
};
