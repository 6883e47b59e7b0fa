// The dashboard in the whole interface against indiserver with the simulators: widgets pinned
// from the control panel are selected with clicks, traced into the message log with the values
// the simulator sent, reordered, locked and removed.
#include "BusPanel.h"
#include "app/CtrlPanelController.h"
#include "widgets/ElidedLabel.h"
#include "widgets/KButton.h"
#include "widgets/PropertyWidget.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString TELESCOPE = QStringLiteral("Telescope Simulator");

class DashboardOnBus : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(bus.ok()) << bus.server.log();
    bus.connectServer();
    ASSERT_TRUE(bus.waitForDevices());
    ASSERT_TRUE(bus.showGroup(TELESCOPE, QStringLiteral("Main Control")));
    dashboard = bus.interface->mainUi.dashboardView;
  }
  // Pins the shown widget of the telescope's property with its pin button.
  PropertyWidget *pin(const QString &property) {
    PropertyWidget *widget = bus.waitForWidget(TELESCOPE, property);
    if (widget == nullptr) return nullptr;
    QTest::mouseClick(widget->button1, Qt::LeftButton);
    return dashboard->widgets().empty() ? nullptr : dashboard->widgets().back();
  }
  bool logged(const QString &start) const {
    return QTest::qWaitFor(
        [&] {
          const QStringList &messages = bus.kestor().messages;
          return std::any_of(messages.begin(), messages.end(),
                             [&](const QString &entry) { return entry.section(u' ', 1).startsWith(start); });
        },
        5000);
  }
  BusPanel bus;
  DashboardView *dashboard = nullptr;
};

TEST_F(DashboardOnBus, PinnedWidgetsAreSelectedTracedMovedLockedAndRemoved) {
  PropertyWidget *connection = pin(QStringLiteral("CONNECTION"));
  ASSERT_TRUE(bus.showGroup(TELESCOPE, QStringLiteral("Options")));
  PropertyWidget *second = pin(QStringLiteral("POLLING_PERIOD"));
  ASSERT_TRUE(connection && second && connection != second) << dashboard->widgets().size();

  bus.interface->mainUi.selectAllAction->trigger();
  ASSERT_EQ(dashboard->selection.size(), 2);
  QTest::mouseClick(bus.interface->mainUi.infoButton, Qt::LeftButton);
  EXPECT_TRUE(logged("Property Telescope Simulator.CONNECTION "));
  EXPECT_TRUE(logged("  Item DISCONNECTED ")) << "the items with their values follow";
  EXPECT_TRUE(logged("Property Telescope Simulator.POLLING_PERIOD "));

  QTest::mouseClick(second->titleField, Qt::LeftButton);
  QTest::mouseClick(bus.interface->mainUi.upButton, Qt::LeftButton);
  EXPECT_EQ(dashboard->widgets(), (std::vector<PropertyWidget *>{second, connection}));

  bus.interface->mainUi.lockMenu->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return bus.interface->mainUi.lockButton->isChecked(); }, 2000));
  EXPECT_FALSE(second->button2->isEnabled());
  QTest::mouseClick(bus.interface->mainUi.deleteButton, Qt::LeftButton);
  EXPECT_EQ(dashboard->widgets().size(), 2u);

  QTest::mouseClick(bus.interface->mainUi.unlockButton, Qt::LeftButton);
  QTest::mouseClick(bus.interface->mainUi.deleteButton, Qt::LeftButton);
  EXPECT_EQ(dashboard->widgets(), (std::vector<PropertyWidget *>{connection}));
  EXPECT_NE(bus.controller().widgetNamed("POLLING_PERIOD @ " + TELESCOPE), nullptr)
      << "the control panel keeps its own";
}

}  // namespace
