// The control panel over a hand-made model: outline order, clicks on devices, groups and
// properties, widgets kept in name order, reselection of a property that comes back, BLOB
// transfer for new BLOB properties, expansion kept across reloads, hiding on deactivation.
#include "EventLoopWait.h"
#include "Fakes.h"
#include "OutlineClicks.h"
#include "Records.h"
#include "app/MainInterface.h"
#include "app/OutlineModel.h"
#include "core/Globals.h"
#include "kestor/Model.h"
#include "widgets/PropertyWidget.h"

#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <atomic>
#include <deque>

namespace {

std::atomic<int> blobCalls{0};
std::atomic<uint32_t> lastBlobMode{0};

kestor_result recordBlob(kestor_client *, kestor_property *, uint32_t mode) {
  lastBlobMode = mode;
  ++blobCalls;
  return KESTOR_OK;
}

class CtrlPanel : public ::testing::Test {
protected:
  CtrlPanel() {
    defaults().clear();
    blobCalls = 0;
    interface = std::make_unique<MainInterface>(makeFakeClient());
    interface->kestor->framework.enableBlob = &recordBlob;
    interface->panel->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(interface->panel));
  }

  KESTOR::Property &define(const std::string &device, const std::string &name, const std::string &group,
                           uint32_t type = KESTOR_SWITCH) {
    std::vector<ItemRecipe> items{type == KESTOR_BLOB ? ItemRecipe{"IMAGE"} : switchItem("ON", true)};
    records.emplace_back(device, name, type, KESTOR_STATE_OK, items, group);
    kestor().handleDefineProperty(records.back().get());
    return *kestor().devices.at(QString::fromStdString(device))->properties.at(QString::fromStdString(name));
  }

  void remove(const std::string &device, const std::string &name) {
    for (PropertyRecord &record : records) {
      if (record->device == device && record->name == name) kestor().handleDeleteProperty(record.get());
    }
  }

  QModelIndex row(const QStringList &path) const { return outlineIndex(controller(), path); }
  void click(const QStringList &path) {
    const QModelIndex index = row(path);
    ASSERT_TRUE(index.isValid()) << path.join(QLatin1Char('/')).toStdString();
    clickRow(outline(), index);
  }
  QModelIndex selectedRow() const {
    const QModelIndexList selected = outline()->selectionModel()->selectedIndexes();
    return selected.size() == 1 ? selected.first() : QModelIndex();
  }

  KESTOR &kestor() const { return *interface->kestor; }
  CtrlPanelController &controller() const { return interface->ctrlPanelController; }
  QTreeView *outline() const { return interface->panelUi.propertiesOutlineView; }

  std::deque<PropertyRecord> records;  // outlive the client object, which points into them
  std::unique_ptr<MainInterface> interface;
};

TEST_F(CtrlPanel, OutlineListsDevicesGroupsAndPropertiesInNameOrder) {
  define("b device", "P", "G");
  define("B device", "Z", "Main");
  const QPersistentModelIndex z = row({"B device", "Main", "Z label"});
  // Scalar values order a fullwidth A (U+FF21) before a telescope (U+1F52D), UTF-16 units not.
  for (const char *name : {"\xF0\x9F\x94\xAD", "a", "C", "\xEF\xBC\xA1"}) define("B device", name, "Main");
  EXPECT_EQ(childTexts(controller()), (QStringList{"B device", "b device"}));
  EXPECT_EQ(childTexts(controller(), row({"B device", "Main"})),
            (QStringList{"C label", "Z label", "a label", "\uFF21 label", "\U0001F52D label"}));
  const QModelIndex device = row({"B device"});
  EXPECT_EQ(device.data(OutlineModel::CellIdentifierRole).toString(), "state");
  EXPECT_EQ(row({"B device", "Main"}).data(OutlineModel::CellIdentifierRole).toString(), "text");
  EXPECT_EQ(row({"B device", "Main", "a label"}).data(OutlineModel::CellIdentifierRole).toString(), "state");
  // Rows go in and out in place: a row's index follows it.
  remove("B device", "C");
  EXPECT_EQ(z.row(), 0);
  remove("b device", "P");
  EXPECT_EQ(childTexts(controller()), QStringList{"B device"});
  EXPECT_EQ(z.data().toString(), "Z label");
}

TEST_F(CtrlPanel, ClickingADeviceWithMainShowsMainAndLeavesTheDeviceUnselected) {
  define("Mount", "B", "Main");
  define("Mount", "A", "Main");
  define("Mount", "X", "Site");
  define("Camera", "E", "Settings");
  click({"Mount"});
  EXPECT_TRUE(outline()->isExpanded(row({"Mount"})));
  EXPECT_EQ(selectedRow(), row({"Mount", "Main"}));
  EXPECT_EQ(shownWidgets(controller()), (QStringList{"A @ Mount", "B @ Mount"}));
  ASSERT_TRUE(controller().selectedGroup);
  EXPECT_EQ(controller().selectedGroup->name, "Main");

  // A device without "Main" only expands; the widgets shown stay.
  click({"Camera"});
  EXPECT_TRUE(outline()->isExpanded(row({"Camera"})));
  EXPECT_EQ(shownWidgets(controller()), (QStringList{"A @ Mount", "B @ Mount"}));
  EXPECT_EQ(selectedRow(), row({"Mount", "Main"}));
}

TEST_F(CtrlPanel, ClickingAPropertyShowsItAloneAndClickingAGroupShowsItsProperties) {
  define("Mount", "B", "Site");
  define("Mount", "A", "Site");
  outline()->expandAll();
  click({"Mount", "Site", "B label"});
  EXPECT_EQ(shownWidgets(controller()), QStringList{"B @ Mount"});
  EXPECT_FALSE(controller().selectedGroup);
  EXPECT_EQ(selectedRow(), row({"Mount", "Site", "B label"}));
  click({"Mount", "Site"});
  EXPECT_EQ(shownWidgets(controller()), (QStringList{"A @ Mount", "B @ Mount"}));
  EXPECT_FALSE(controller().selectedProperty);
}

TEST_F(CtrlPanel, NewPropertiesOfTheShownGroupGoInNameOrderAndOthersOnlyReachTheOutline) {
  define("Mount", "B", "Site");
  define("Mount", "D", "Site");
  outline()->expandAll();
  click({"Mount", "Site"});
  define("Mount", "C", "Site");
  define("Mount", "A", "Site");
  define("Mount", "E", "Site");
  EXPECT_EQ(shownWidgets(controller()), (QStringList{"A @ Mount", "B @ Mount", "C @ Mount", "D @ Mount", "E @ Mount"}));
  // A definition of a shown property builds its widget again instead of adding one.
  PropertyWidget *before = controller().widgetNamed("C @ Mount");
  controller().propertyDefined(kestor().devices.at("Mount")->properties.at("C"));
  EXPECT_EQ(controller().widgetNamed("C @ Mount"), before);
  EXPECT_EQ(shownWidgets(controller()).size(), 5);
  // Another group's property: only the outline.
  define("Mount", "F", "Other");
  EXPECT_EQ(shownWidgets(controller()).size(), 5);
  EXPECT_TRUE(row({"Mount", "Other", "F label"}).isValid());
  // The group stays selected and expanded through the reloads.
  EXPECT_EQ(selectedRow(), row({"Mount", "Site"}));
  EXPECT_TRUE(outline()->isExpanded(row({"Mount", "Site"})));
}

TEST_F(CtrlPanel, SameNameOnTwoDevicesIsTwoWidgetsAndOnlyTheNotifyingOneGoes) {
  define("Mount", "P", "Main");
  define("Camera", "P", "Main");
  click({"Mount"});
  ASSERT_EQ(shownWidgets(controller()), QStringList{"P @ Mount"});
  remove("Camera", "P");
  EXPECT_EQ(shownWidgets(controller()), QStringList{"P @ Mount"});
  EXPECT_FALSE(row({"Camera", "Main", "P label"}).isValid());
  remove("Mount", "P");
  EXPECT_TRUE(shownWidgets(controller()).isEmpty());
  EXPECT_FALSE(row({"Mount", "Main", "P label"}).isValid());
}

TEST_F(CtrlPanel, ASelectedPropertyThatComesBackIsSelectedAgainOnce) {
  define("Mount", "P", "Site");
  define("Mount", "Q", "Site");
  outline()->expandAll();
  click({"Mount", "Site", "P label"});
  remove("Mount", "P");
  EXPECT_TRUE(shownWidgets(controller()).isEmpty());
  EXPECT_FALSE(controller().selectedProperty);
  EXPECT_EQ(controller().reselectName, std::optional<QString>("P @ Mount"));

  define("Mount", "P", "Site");
  ASSERT_TRUE(waitUntil([&] { return !controller().reselectName; }));
  ASSERT_TRUE(controller().selectedProperty);
  EXPECT_EQ(controller().selectedProperty->name, "P");
  EXPECT_EQ(shownWidgets(controller()), QStringList{"P @ Mount"});
  EXPECT_EQ(selectedRow(), row({"Mount", "Site", "P label"}));
}

TEST_F(CtrlPanel, TheOutlineKeepsItsPlaceThroughChangesAndDefinitions) {
  for (int i = 0; i < 60; ++i) define("Mount", "P" + std::to_string(100 + i), "Site");
  outline()->expandAll();
  QTest::qWait(50);
  QScrollBar *scroll = outline()->verticalScrollBar();
  ASSERT_GT(scroll->maximum(), 10);
  scroll->setValue(scroll->maximum() / 2);
  const int place = scroll->value();
  kestor().handleUpdateProperty(records.front().get());
  QTest::qWait(50);
  EXPECT_EQ(scroll->value(), place);
  define("Mount", "Q", "Site");
  QTest::qWait(50);
  EXPECT_EQ(scroll->value(), place);
  EXPECT_TRUE(outline()->isExpanded(row({"Mount", "Site"})));
}

TEST_F(CtrlPanel, ACollapsedParentLeavesNothingSelected) {
  define("Mount", "P", "Site");
  outline()->expandAll();
  click({"Mount", "Site", "P label"});
  outline()->collapse(row({"Mount"}));
  EXPECT_FALSE(selectedRow().isValid());
  EXPECT_EQ(shownWidgets(controller()), QStringList{"P @ Mount"});
  outline()->expand(row({"Mount"}));
  EXPECT_EQ(selectedRow(), row({"Mount", "Site", "P label"}));
}

TEST_F(CtrlPanel, NewBLOBPropertiesAreEnabledOnlyWhenTheSettingAsks) {
  define("Camera", "CCD1", "Image", KESTOR_BLOB);
  QTest::qWait(100);
  EXPECT_EQ(blobCalls, 0);
  defaults().setValue(QStringLiteral("enableBLOBTransfer"), true);
  define("Camera", "CCD2", "Image", KESTOR_BLOB);
  define("Camera", "SWITCH", "Image");
  ASSERT_TRUE(waitUntil([] { return blobCalls == 1; }));
  QTest::qWait(100);
  EXPECT_EQ(blobCalls, 1);
  EXPECT_NE(lastBlobMode, uint32_t(KESTOR_BLOB_NEVER));
}

TEST_F(CtrlPanel, TheDeviceIconFollowsTheConnection) {
  define("Mount", "CONNECTION", "Main");
  EXPECT_EQ(controller().cellView(kestor().devices.at("Mount")).image, "NSStatusNone");
  kestor().devices.at("Mount")->connected = true;
  EXPECT_EQ(controller().cellView(kestor().devices.at("Mount")).image, "NSStatusAvailable");
  // An update signals the device's row, whose image changed, and not the unchanged ones.
  QSignalSpy changedRows(controller().outlineModel(), &QAbstractItemModel::dataChanged);
  kestor().handleUpdateProperty(records.back().get());
  ASSERT_EQ(changedRows.size(), 1);
  EXPECT_EQ(changedRows.front().front().toModelIndex(), row({"Mount"}));
}

TEST_F(CtrlPanel, ThePanelHidesWhileTheProgramIsInactiveUnlessTheSettingSaysNo) {
  const struct {
    const char *setting;
    bool hides;
  } cases[] = {{nullptr, true}, {"true", true}, {"false", false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.setting ? c.setting : "absent");
    if (c.setting) defaults().setValue(QStringLiteral("hidePanels"), QString::fromLatin1(c.setting));
    interface->mainUi.panelAction->trigger();
    EXPECT_TRUE(interface->panel->isVisible());
    EXPECT_EQ(controller().hidesOnDeactivate(), c.hides);
    controller().applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(interface->panel->isVisible(), !c.hides);
    controller().applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(interface->panel->isVisible());
  }
}

}  // namespace
