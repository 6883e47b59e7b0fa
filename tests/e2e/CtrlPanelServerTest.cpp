// The control panel against indiserver with the telescope, CCD and guide simulators: the outline
// lists the devices and groups, a group shows its widgets, a connected device shows as
// available, deleted properties leave outline and board, and a stopped server empties both.
#include "BusPanel.h"
#include "OutlineClicks.h"
#include "app/NameOrder.h"
#include "app/OutlineModel.h"
#include "kestor/Model.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString TELESCOPE = QStringLiteral("Telescope Simulator");
const QString CCD = QStringLiteral("CCD Simulator");
const QString MAIN_CONTROL = QStringLiteral("Main Control");

class PanelOnBus : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(bus.ok()) << bus.server.log();
    bus.connectServer();
    ASSERT_TRUE(bus.waitForDevices()) << childTexts(bus.controller()).join(", ").toStdString();
  }
  QString deviceIcon(const QString &device) const {
    return bus.controller().cellView(bus.kestor().devices.at(device)).image;
  }
  BusPanel bus;
};

TEST_F(PanelOnBus, TheOutlineListsTheDevicesAndAGroupShowsItsWidgetsInNameOrder) {
  for (const QString &device : childTexts(bus.controller())) {
    EXPECT_FALSE(childTexts(bus.controller(), outlineIndex(bus.controller(), {device})).isEmpty())
        << device.toStdString();
    EXPECT_EQ(deviceIcon(device), "NSStatusNone");
  }
  ASSERT_TRUE(bus.showGroup(TELESCOPE, MAIN_CONTROL));
  QStringList expected;
  for (const auto &[name, property] : bus.controller().selectedGroup->properties) expected << name + " @ " + TELESCOPE;
  EXPECT_EQ(shownWidgets(bus.controller()), sortedByName(expected));
  EXPECT_TRUE(shownWidgets(bus.controller()).contains("CONNECTION @ " + TELESCOPE));
}

TEST_F(PanelOnBus, ConnectingADeviceShowsItAvailableAndItsNewPropertiesInPlace) {
  ASSERT_TRUE(bus.showGroup(TELESCOPE, MAIN_CONTROL));
  const qsizetype before = shownWidgets(bus.controller()).size();
  ASSERT_TRUE(bus.switchConnection(TELESCOPE, true));
  EXPECT_TRUE(QTest::qWaitFor([&] { return deviceIcon(TELESCOPE) == "NSStatusAvailable"; }, 5000));
  EXPECT_EQ(outlineIndex(bus.controller(), {TELESCOPE}).data(OutlineModel::CellIdentifierRole).toString(), "state");
  EXPECT_FALSE(outlineIndex(bus.controller(), {TELESCOPE}).data(Qt::DecorationRole).isNull());
  ASSERT_NE(bus.waitForWidget(TELESCOPE, "MOUNT_EQUATORIAL_COORDINATES"), nullptr)
      << shownWidgets(bus.controller()).join(", ").toStdString();
  EXPECT_GT(shownWidgets(bus.controller()).size(), before);
  EXPECT_EQ(shownWidgets(bus.controller()), sortedByName(shownWidgets(bus.controller())));
  // The outline kept the user's expansion and selection through every reload.
  EXPECT_TRUE(bus.interface->panelUi.propertiesOutlineView->isExpanded(outlineIndex(bus.controller(), {TELESCOPE})));
  EXPECT_EQ(bus.interface->panelUi.propertiesOutlineView->selectionModel()->selectedIndexes(),
            QModelIndexList{outlineIndex(bus.controller(), {TELESCOPE, MAIN_CONTROL})});
  EXPECT_EQ(deviceIcon(CCD), "NSStatusNone");
}

TEST_F(PanelOnBus, PropertiesDeletedByTheServerLeaveTheOutlineAndTheBoard) {
  ASSERT_TRUE(bus.showGroup(CCD, MAIN_CONTROL));
  ASSERT_TRUE(bus.switchConnection(CCD, true));
  ASSERT_NE(bus.waitForWidget(CCD, "CCD_EXPOSURE"), nullptr);
  const auto exposure = bus.kestor().devices.at(CCD)->properties.at("CCD_EXPOSURE");
  ASSERT_TRUE(bus.controller().outlineModel()->indexFor(exposure.get()).isValid());

  // Disconnecting makes the simulator delete its properties but the basic ones.
  ASSERT_TRUE(bus.switchConnection(CCD, false));
  EXPECT_TRUE(QTest::qWaitFor([&] { return bus.controller().widgetNamed("CCD_EXPOSURE @ " + CCD) == nullptr; }, 10000));
  EXPECT_FALSE(bus.controller().outlineModel()->indexFor(exposure.get()).isValid());
  EXPECT_NE(bus.controller().widgetNamed("CONNECTION @ " + CCD), nullptr);
}

TEST_F(PanelOnBus, AStoppedServerEmptiesTheOutlineAndTheBoard) {
  ASSERT_TRUE(bus.showGroup(TELESCOPE, MAIN_CONTROL));
  ASSERT_FALSE(shownWidgets(bus.controller()).isEmpty());
  bus.server.stop();
  EXPECT_TRUE(QTest::qWaitFor([&] { return childTexts(bus.controller()).isEmpty(); }, 15000))
      << childTexts(bus.controller()).join(", ").toStdString();
  EXPECT_TRUE(QTest::qWaitFor([&] { return shownWidgets(bus.controller()).isEmpty(); }, 5000))
      << shownWidgets(bus.controller()).join(", ").toStdString();
}

}  // namespace
