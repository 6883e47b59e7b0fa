#include "LoadPanel.h"

#include "ModelQueries.h"
#include "app/CtrlPanelController.h"

const QString LoadPanel::DEVICE = QStringLiteral("Load Simulator");

LoadPanel::LoadPanel() : bus({LOAD_DRIVER}) { failure_ = bringUp(); }

QString LoadPanel::bringUp() {
  if (!bus.ok())
    return QStringLiteral("indiserver or the interface did not start: ") + QString::fromStdString(bus.server.log());
  kestor().addDelegate(&valueChanges);
  kestor().addDelegate(&imageChanges);
  bus.connectServer();
  if (!bus.showGroup(DEVICE, QStringLiteral("Main Control"))) {
    return QStringLiteral("the load driver's group was not shown: ") + QString::fromStdString(bus.server.log());
  }
  if (!bus.waitForWidget(DEVICE, QStringLiteral("LOAD_VALUES")) ||
      !bus.waitForWidget(DEVICE, QStringLiteral("IMAGE"))) {
    return QStringLiteral("the load driver's widgets were not shown");
  }
  return {};
}

std::shared_ptr<KESTOR::Property> LoadPanel::property(const QString &name) const {
  return findProperty(kestor(), DEVICE, name);
}

PropertyWidget *LoadPanel::widget(const QString &name) const {
  return bus.controller().widgetNamed(name + QStringLiteral(" @ ") + DEVICE);
}

void LoadPanel::change(const QString &name, const QMap<QString, double> &values) {
  if (const auto target = property(name)) kestor().changeNumber(target, values);
}
