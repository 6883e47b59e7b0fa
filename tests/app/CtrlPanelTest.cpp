// The control panel over a hand-made model: outline order and rows kept in place, clicks on
// devices, groups and properties with the reselection of a property that comes back, widgets
// kept in name order, BLOB transfer for new BLOB properties, the device icon, hiding on
// deactivation. The same against indiserver is in tests/e2e.
#include "EventLoopWait.h"
#include "Fakes.h"
#include "OutlineClicks.h"
#include "Records.h"
#include "app/MainInterface.h"
#include "app/OutlineModel.h"
#include "core/Globals.h"
#include "kestor/Model.h"
#include "widgets/PropertyWidget.h"

#include <QAccessible>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <deque>

namespace {

class CtrlPanel : public ::testing::Test {
protected:
  CtrlPanel() {
    defaults().clear();
    interface->panel->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(interface->panel));
  }

  void define(const std::string &device, const std::string &name, const std::string &group,
              uint32_t type = KESTOR_SWITCH) {
    records.emplace_back(device, name, type, KESTOR_STATE_OK, std::vector<ItemRecipe>{switchItem("ON", true)}, group);
    kestor().handleDefineProperty(records.back().get());
  }
  void remove(const std::string &device, const std::string &name) {
    for (PropertyRecord &record : records)
      if (record->device == device && record->name == name) kestor().handleDeleteProperty(record.get());
  }
  QModelIndex row(const QStringList &path) const { return outlineIndex(controller(), path); }
  void click(const QStringList &path) {
    ASSERT_TRUE(row(path).isValid()) << path.join(QLatin1Char('/')).toStdString();
    clickRow(outline(), row(path));
  }
  QModelIndex selectedRow() const {
    const QModelIndexList selected = outline()->selectionModel()->selectedIndexes();
    return selected.size() == 1 ? selected.first() : QModelIndex();
  }
  QStringList shown() const { return shownWidgets(controller()); }

  KESTOR &kestor() const { return *interface->kestor; }
  CtrlPanelController &controller() const { return interface->ctrlPanelController; }
  QTreeView *outline() const { return interface->panelUi.propertiesOutlineView; }

  std::deque<PropertyRecord> records;  // outlive the client object, which points into them
  std::unique_ptr<MainInterface> interface = std::make_unique<MainInterface>(makeFakeClient());
};

TEST_F(CtrlPanel, OutlineListsDevicesGroupsAndPropertiesInNameOrderInPlace) {
  define("b device", "P", "G");
  define("B device", "Z", "Main");
  const QPersistentModelIndex z = row({"B device", "Main", "Z label"});
  // Scalar values order a fullwidth A (U+FF21) before a telescope (U+1F52D), UTF-16 units not.
  for (const char *name : {"\xF0\x9F\x94\xAD", "a", "C", "\xEF\xBC\xA1"}) define("B device", name, "Main");
  EXPECT_EQ(childTexts(controller()), (QStringList{"B device", "b device"}));
  EXPECT_EQ(childTexts(controller(), row({"B device", "Main"})),
            (QStringList{"C label", "Z label", "a label", "\uFF21 label", "\U0001F52D label"}));
  const QStringList path{"B device", "Main", "a label"}, cells{"state", "text", "state"};
  // Only a property's row never has children: expanding everything leaves it unexpanded.
  outline()->expandAll();
  for (int depth = 0; depth < 3; ++depth) {
    const QModelIndex index = row(path.mid(0, depth + 1));
    EXPECT_EQ(index.data(OutlineModel::CellIdentifierRole).toString(), cells[depth]);
    EXPECT_EQ(index.flags().testFlag(Qt::ItemNeverHasChildren), depth == 2);
    EXPECT_EQ(outline()->isExpanded(index), depth < 2);
  }
  // Rows go in and out in place: a row's index follows it, and each row's item is found there.
  const OutlineModel &model = *controller().outlineModel();
  const auto expectItemsFoundInPlace = [&](const QModelIndex &parent) {
    for (int place = 0; place < model.rowCount(parent); ++place) {
      const QModelIndex index = model.index(place, 0, parent);
      EXPECT_EQ(model.indexFor(outlineObject(*model.item(index))), index) << index.data().toString().toStdString();
    }
  };
  expectItemsFoundInPlace(row({"B device", "Main"}));
  remove("B device", "C");
  EXPECT_EQ(z.row(), 0);
  expectItemsFoundInPlace(row({"B device", "Main"}));
  define("B device", "D", "Main");
  expectItemsFoundInPlace(row({"B device", "Main"}));
  remove("b device", "P");
  EXPECT_EQ(childTexts(controller()), QStringList{"B device"});
  EXPECT_EQ(z.data().toString(), "Z label");
}

TEST_F(CtrlPanel, ClicksOnDevicesGroupsAndPropertiesChooseTheWidgetsShown) {
  define("Mount", "B", "Main");
  define("Mount", "A", "Main");
  define("Mount", "Y", "Site");
  define("Mount", "X", "Site");
  define("Camera", "E", "Settings");
  // A device with "Main" shows it, selected instead of the device.
  click({"Mount"});
  EXPECT_TRUE(outline()->isExpanded(row({"Mount"})));
  EXPECT_EQ(selectedRow(), row({"Mount", "Main"}));
  EXPECT_EQ(shown(), (QStringList{"A @ Mount", "B @ Mount"}));
  EXPECT_EQ(controller().selectedGroup->name, "Main");
  // A device without "Main" only expands; the widgets shown stay.
  click({"Camera"});
  EXPECT_TRUE(outline()->isExpanded(row({"Camera"})));
  EXPECT_EQ(shown(), (QStringList{"A @ Mount", "B @ Mount"}));
  EXPECT_EQ(selectedRow(), row({"Mount", "Main"}));
  // A property alone, then its group.
  outline()->expandAll();
  click({"Mount", "Site", "Y label"});
  EXPECT_EQ(shown(), QStringList{"Y @ Mount"});
  EXPECT_FALSE(controller().selectedGroup);
  // A collapsed parent leaves nothing selected; expanded again, the row is selected again.
  outline()->collapse(row({"Mount"}));
  EXPECT_FALSE(selectedRow().isValid());
  outline()->expand(row({"Mount"}));
  EXPECT_EQ(selectedRow(), row({"Mount", "Site", "Y label"}));
  // A selected property that goes and comes back is selected again, once.
  remove("Mount", "Y");
  EXPECT_TRUE(shown().isEmpty());
  EXPECT_FALSE(controller().selectedProperty);
  define("Mount", "Y", "Site");
  ASSERT_TRUE(waitUntil([&] { return !controller().reselectName; }));
  EXPECT_EQ(shown(), QStringList{"Y @ Mount"});
  EXPECT_EQ(selectedRow(), row({"Mount", "Site", "Y label"}));
  click({"Mount", "Site"});
  EXPECT_EQ(shown(), (QStringList{"X @ Mount", "Y @ Mount"}));
  EXPECT_FALSE(controller().selectedProperty);
}

TEST_F(CtrlPanel, NewPropertiesOfTheShownGroupGoInNameOrderAndTheOutlineKeepsItsPlace) {
  for (int i = 0; i < 60; ++i) define("Mount", "P" + std::to_string(100 + i), "Other");
  define("Mount", "B", "Site");
  define("Mount", "D", "Site");
  define("Camera", "B", "Site");
  outline()->expandAll();
  click({"Mount", "Site"});
  QScrollBar *scroll = outline()->verticalScrollBar();
  ASSERT_GT(scroll->maximum(), 10);
  scroll->setValue(scroll->maximum() / 2);
  const int place = scroll->value();
  for (const char *name : {"C", "A", "E"}) define("Mount", name, "Site");
  EXPECT_EQ(shown(), (QStringList{"A @ Mount", "B @ Mount", "C @ Mount", "D @ Mount", "E @ Mount"}));
  // A definition of a shown property builds its widget again instead of adding one.
  PropertyWidget *before = controller().widgetNamed("C @ Mount");
  controller().propertyDefined(kestor().devices.at("Mount")->properties.at("C"));
  EXPECT_EQ(controller().widgetNamed("C @ Mount"), before);
  // Another group's property and another device's one of the same name: only the outline.
  define("Mount", "F", "Other");
  remove("Camera", "B");
  kestor().handleUpdateProperty(records.front().get());
  EXPECT_EQ(shown().size(), 5);
  EXPECT_TRUE(row({"Mount", "Other", "F label"}).isValid());
  EXPECT_FALSE(row({"Camera"}).isValid());
  // The group stays selected and expanded, the outline scrolled where it was.
  EXPECT_EQ(selectedRow(), row({"Mount", "Site"}));
  EXPECT_TRUE(outline()->isExpanded(row({"Mount", "Site"})));
  QCoreApplication::processEvents();
  EXPECT_EQ(scroll->value(), place);
  remove("Mount", "B");
  EXPECT_EQ(shown().size(), 4);
}

// Properties defined into the shown group in any order, some deleted again, in one turn of the
// event loop: once the loop has turned, their widgets stand in one column in name order, each
// 5 below the one before, the first at the board's top.
TEST_F(CtrlPanel, WidgetsDefinedAndDeletedInOneTurnEndInNameOrderInOneColumn) {
  struct Row {
    std::vector<std::string> defined, deleted;
    QStringList shown;
  };
  const Row rows[] = {
      {{"C", "A", "E", "B", "D"}, {}, {"A", "B", "C", "D", "E", "M"}},
      {{"b", "\xEF\xBC\xA1", "Z", "B", "a", "A"}, {"Z"}, {"A", "B", "M", "a", "b", "\uFF21"}},
      {{"P3", "P1", "P2", "P10", "L"}, {"P2", "P3"}, {"L", "M", "P1", "P10"}},
      {{"Q"}, {"Q"}, {"M"}},
  };
  // The widgets shown, once the event loop has turned, and their places.
  const auto expectColumn = [&](const QStringList &names) {
    QCoreApplication::processEvents();
    QStringList expected;
    for (const QString &name : names) expected << name + " @ Mount";
    EXPECT_EQ(shown(), expected);
    int top = 0;
    for (const PropertyWidget *widget : controller().propertiesView->widgets()) {
      EXPECT_EQ(widget->geometry().topLeft(), QPoint(0, top)) << widget->name.toStdString();
      top += widget->height() + 5;
    }
  };
  define("Mount", "M", "Site");
  click({"Mount"});
  outline()->expandAll();
  click({"Mount", "Site"});
  for (const Row &row : rows) {
    SCOPED_TRACE(row.shown.join(QLatin1Char(' ')).toStdString());
    for (const std::string &name : row.defined) define("Mount", name, "Site");
    for (const std::string &name : row.deleted) remove("Mount", name);
    expectColumn(row.shown);
    for (const std::string &name : row.defined) remove("Mount", name);
    expectColumn({"M"});
  }
}

TEST_F(CtrlPanel, PropertyWidgetsGetQtsAccessibilityOnlyOnceAnAssistiveToolListens) {
  define("Mount", "M", "Site");
  click({"Mount", "Site"});
  QWidget *onSwitch = controller().propertiesView->widgets().at(0)->findChild<QWidget *>(QStringLiteral("switch:ON"));
  ASSERT_NE(onSwitch, nullptr);
  QAccessibleInterface *standIn = QAccessible::queryAccessibleInterface(onSwitch);
  ASSERT_FALSE(QAccessible::isActive());
  EXPECT_EQ(standIn->role(), QAccessible::NoRole);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(outline())->role(), QAccessible::Tree);  // not a widget's: Qt's own
  const QAccessible::Id id = QAccessible::uniqueId(standIn);
  QAccessible::setActive(true);  // as the platform's bridge tells when a tool starts listening
  EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
  QAccessible::setActive(false);
}

TEST_F(CtrlPanel, NewBLOBPropertiesAreEnabledOnlyWhenTheSettingAsksAndTheIconFollowsTheConnection) {
  define("Camera", "CCD1", "Image", KESTOR_BLOB);
  defaults().setValue(QStringLiteral("enableBLOBTransfer"), true);
  define("Camera", "CCD2", "Image", KESTOR_BLOB);
  define("Camera", "CONNECTION", "Image");
  const auto blobCalls = [] { return FakeFramework::shared().calls("enable_blob"); };
  ASSERT_TRUE(waitUntil([&] { return blobCalls().size() == 1; }));
  spinFor(100);
  ASSERT_EQ(blobCalls().size(), 1u);
  EXPECT_EQ(blobCalls().front().property, "CCD2");
  EXPECT_NE(blobCalls().front().value, uint32_t(KESTOR_BLOB_NEVER));

  EXPECT_EQ(controller().cellView(kestor().devices.at("Camera")).image, "NSStatusNone");
  kestor().devices.at("Camera")->connected = true;
  EXPECT_EQ(controller().cellView(kestor().devices.at("Camera")).image, "NSStatusAvailable");
  // An update signals the device's row, whose image changed, and not the unchanged ones.
  QSignalSpy changedRows(controller().outlineModel(), &QAbstractItemModel::dataChanged);
  kestor().handleUpdateProperty(records.back().get());
  ASSERT_EQ(changedRows.size(), 1);
  EXPECT_EQ(changedRows.front().front().toModelIndex(), row({"Camera"}));
}

TEST_F(CtrlPanel, ThePanelHidesWhileTheProgramIsInactiveUnlessTheSettingSaysNo) {
  for (const auto &[setting, hides] : {std::pair{"", true}, {"true", true}, {"false", false}}) {
    SCOPED_TRACE(setting);
    if (*setting) defaults().setValue(QStringLiteral("hidePanels"), QString::fromLatin1(setting));
    interface->mainUi.panelAction->trigger();
    EXPECT_TRUE(interface->panel->isVisible());
    controller().applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(interface->panel->isVisible(), !hides);
    controller().applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(interface->panel->isVisible());
  }
}

}  // namespace
