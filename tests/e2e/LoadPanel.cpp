#include "LoadPanel.h"

#include "OutlineClicks.h"
#include "app/CtrlPanelController.h"
#include "kestor/Model.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <cmath>

const QString LoadPanel::DEVICE = QStringLiteral("Load Simulator");

void ChangeCounter::propertyChanged(const std::shared_ptr<KESTOR::Property> &property) {
  if (property->name != name) return;
  ++changes;
  lastChange = std::chrono::steady_clock::now();
}

bool runEventLoopUntil(const std::function<bool()> &condition, int timeoutMs) {
  if (condition()) return true;
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (condition()) loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  check.start(20);
  loop.exec();
  return condition();
}

double numberValue(const KESTOR::Property &property, const QString &item) {
  const auto found = property.items.find(item);
  if (found == property.items.end()) return std::nan("");
  const auto *number = dynamic_cast<const KESTOR::NumberItem *>(found->second.get());
  return number ? number->value() : std::nan("");
}

LoadPanel::LoadPanel() : server({LOAD_DRIVER}) { failure_ = bringUp(); }

QString LoadPanel::bringUp() {
  if (!server.start()) return QStringLiteral("indiserver did not start: ") + QString::fromStdString(server.log());
  interface = std::make_unique<MainInterface>();
  interface->delegate.applicationWillFinishLaunching();  // the image decoders, as at launch
  kestor().addDelegate(&valueChanges);
  kestor().addDelegate(&imageChanges);
  kestor().start(false, false);
  interface->window->show();
  CtrlPanelController &controller = interface->ctrlPanelController;
  controller.showPanel();
  if (!QTest::qWaitForWindowExposed(interface->panel)) return QStringLiteral("the control panel was not shown");
  kestor().connect(QStringLiteral("127.0.0.1"), server.port());
  const QStringList group{DEVICE, QStringLiteral("Main Control")};
  if (!runEventLoopUntil([&] { return outlineIndex(controller, group).isValid() && property("IMAGE"); }, 15000)) {
    return QStringLiteral("the load driver's properties did not arrive: ") + QString::fromStdString(server.log());
  }
  QTreeView *outline = interface->panelUi.propertiesOutlineView;
  clickRow(outline, outlineIndex(controller, {DEVICE}));
  clickRow(outline, outlineIndex(controller, group));
  if (!runEventLoopUntil([&] { return widget(QStringLiteral("LOAD_VALUES")) && widget(QStringLiteral("IMAGE")); }, 5000)) {
    return QStringLiteral("the load driver's group was not shown");
  }
  return {};
}

LoadPanel::~LoadPanel() {
  if (!interface) return;
  kestor().disconnectServersExcept([](const TypedServer &) { return false; });
  (void)runEventLoopUntil([&] { return kestor().devices.empty(); }, 5000);
  kestor_stop();
}

std::shared_ptr<KESTOR::Property> LoadPanel::property(const QString &name) const {
  const auto device = kestor().devices.find(DEVICE);
  if (device == kestor().devices.end()) return nullptr;
  const auto found = device->second->properties.find(name);
  return found == device->second->properties.end() ? nullptr : found->second;
}

PropertyWidget *LoadPanel::widget(const QString &name) const {
  return interface->ctrlPanelController.widgetNamed(name + QStringLiteral(" @ ") + DEVICE);
}

void LoadPanel::change(const QString &name, const QMap<QString, double> &values) {
  if (const auto target = property(name)) kestor().changeNumber(target, values);
}
