#include "BusPanel.h"

#include "OutlineClicks.h"
#include "app/CtrlPanelController.h"
#include "kestor/Model.h"
#include "widgets/KButton.h"
#include "widgets/PropertyWidget.h"

#include <QTest>
#include <QTreeView>

BusPanel::BusPanel(std::vector<std::string> drivers) : server(std::move(drivers)) {
  if (!server.start()) return;
  interface = std::make_unique<MainInterface>();
  interface->delegate.applicationWillFinishLaunching();  // the image decoders, as at launch
  kestor().start(false, false);
  interface->window->show();
  interface->ctrlPanelController.showPanel();
  started = QTest::qWaitForWindowExposed(interface->panel);
}

BusPanel::~BusPanel() {
  if (!interface) return;
  kestor().disconnectServersExcept([](const TypedServer &) { return false; });
  (void)QTest::qWaitFor([&] { return kestor().devices.empty(); }, 5000);
  kestor_stop();
}

void BusPanel::connectServer() { kestor().connect(QStringLiteral("127.0.0.1"), server.port()); }

bool BusPanel::waitForDevices(int timeoutMs) {
  return QTest::qWaitFor(
      [&] {
        return childTexts(controller()) == QStringList{"CCD Simulator", "Guide Simulator", "Telescope Simulator"};
      },
      timeoutMs);
}

bool BusPanel::showGroup(const QString &device, const QString &group) {
  QTreeView *outline = interface->panelUi.propertiesOutlineView;
  if (!QTest::qWaitFor([&] { return outlineIndex(controller(), {device, group}).isValid(); }, 15000)) return false;
  if (!outline->isExpanded(outlineIndex(controller(), {device})))
    clickRow(outline, outlineIndex(controller(), {device}));
  clickRow(outline, outlineIndex(controller(), {device, group}));
  return controller().selectedGroup && controller().selectedGroup->name == group;
}

PropertyWidget *BusPanel::waitForWidget(const QString &device, const QString &property, int timeoutMs) {
  const QString name = property + QStringLiteral(" @ ") + device;
  PropertyWidget *widget = nullptr;
  (void)QTest::qWaitFor([&] { return (widget = controller().widgetNamed(name)) != nullptr; }, timeoutMs);
  return widget;
}

bool BusPanel::switchConnection(const QString &device, bool connect) {
  PropertyWidget *connection = waitForWidget(device, QStringLiteral("CONNECTION"));
  if (!connection) return false;
  auto *button = connection->findChild<KButton *>(connect ? QStringLiteral("switch:CONNECTED")
                                                          : QStringLiteral("switch:DISCONNECTED"));
  if (!button) return false;
  QTest::mouseClick(button, Qt::LeftButton);
  return QTest::qWaitFor(
      [&] {
        const auto found = kestor().devices.find(device);
        return found != kestor().devices.end() && found->second->connected == connect;
      },
      15000);
}
