#include "app/CtrlPanelController.h"

#include <QWidget>

CtrlPanelController::CtrlPanelController(QObject *parent) : BaseController(parent) {}

void CtrlPanelController::showPanel() {
  if (!panel) return;
  panel->show();
  panel->raise();
  panel->activateWindow();
}
