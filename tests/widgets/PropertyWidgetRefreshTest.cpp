// Refreshing property widgets: values into controls, guider samples into the graph and the
// mount onto the map.
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <cmath>

#include "MapClicks.h"
#include "WidgetFixture.h"
#include "skymap/MapView.h"
#include "skymap/ObjectSearch.h"
#include "widgets/GraphView.h"
#include "widgets/FieldStyle.h"
#include "widgets/ImageView.h"
#include "core/Sexagesimal.h"
#include "widgets/StatusImage.h"

namespace {

using PropertyWidgetRefresh = WidgetFixture;

std::vector<ItemRecipe> guiderItems() {
  std::vector<ItemRecipe> items;
  for (const char *name : {"FRAME", "DRIFT_X", "DRIFT_Y", "DRIFT_RA", "DRIFT_DEC", "CORR_RA", "CORR_DEC"}) {
    items.push_back(numberItem(name, 0));
  }
  return items;
}

TEST_F(PropertyWidgetRefresh, GuiderSamplesFeedTheGraphAndFrameOneStartsAgain) {
  auto property = define(PropertyRecord("Guider", "AGENT_GUIDER_STATS", KESTOR_NUMBER, KESTOR_STATE_OK, guiderItems()),
                         KESTOR_PERM_RO);
  PropertyWidget *widget = showWidget(property);
  kestor_property *raw = record(property);
  std::vector<size_t> sizes;
  for (double frame : {1.0, 2.0, 3.0, 1.0, 2.0}) {
    raw->items[0].number_value = frame;
    raw->items[1].number_value = frame / 10;
    widget->update(property);
    sizes.push_back(widget->graphView->driftsXY.size());
  }
  EXPECT_EQ(sizes, (std::vector<size_t>{1, 2, 3, 1, 2}));
  EXPECT_EQ(widget->graphView->driftsXY.back(), QPointF(0.2, 0));
  EXPECT_EQ(control<QLineEdit>(widget, "value:FRAME")->text(), QStringLiteral("2"));
}

TEST_F(PropertyWidgetRefresh, EditedFieldsKeepTheirTextOthersFollow) {
  auto text = define(PropertyRecord("D", "T", KESTOR_TEXT, 0, {textItem("A", "one")}));
  PropertyWidget *widget = showWidget(text);
  auto *field = control<QLineEdit>(widget, "value:A");
  PropertyRecord::copy(record(text)->items[0].text_value, "two");
  widget->update(text);
  EXPECT_EQ(field->text(), QStringLiteral("two"));
  widget->controlTextDidChange(field);
  PropertyRecord::copy(record(text)->items[0].text_value, "three");
  widget->update(text);
  EXPECT_EQ(field->text(), QStringLiteral("two"));

  auto lights = define(PropertyRecord("D", "L", KESTOR_LIGHT, KESTOR_STATE_IDLE, {lightItem("X", 0)}), KESTOR_PERM_RO);
  PropertyWidget *lightWidget = showWidget(lights);
  record(lights)->items[0].light_value = KESTOR_STATE_ALERT;
  lightWidget->update(lights);
  EXPECT_EQ(control<ImageView>(lightWidget, "value:X")->pixmap().toImage(), statusImage(KESTOR_STATE_ALERT).toImage());
}

class MountRefresh : public WidgetFixture {
protected:
  void SetUp() override {
    site = define(PropertyRecord("Telescope Simulator", "GEOGRAPHIC_COORDINATES", KESTOR_NUMBER, KESTOR_STATE_OK,
                                 {numberItem("LATITUDE", 45, "%012.8m"), numberItem("LONGITUDE", 7, "%012.8m"),
                                  numberItem("ELEVATION", 300)}));
    mount = define(PropertyRecord("Telescope Simulator", "MOUNT_EQUATORIAL_COORDINATES", KESTOR_NUMBER, KESTOR_STATE_OK,
                                  {numberItem("RA", 3, "%010.6m"), numberItem("DEC", 60, "%010.6m")}));
    widget = showWidget(mount);
  }
  QPoint scrolled() const {
    auto *scroll = widget->findChild<QScrollArea *>(QStringLiteral("mapScroll"));
    return {scroll->horizontalScrollBar()->value(), scroll->verticalScrollBar()->value()};
  }
  std::shared_ptr<KESTOR::Property> site, mount;
  PropertyWidget *widget = nullptr;
};

TEST_F(MountRefresh, TheMapFollowsTheMount) {
  MapView *map = widget->mapView;
  ASSERT_TRUE(QTest::qWaitFor([&] { return map->position() != nullptr; }, 500));
  EXPECT_EQ(map->position()->object.j2kRA, 3);
  EXPECT_NE(map->position()->alt, 0);  // placed for the site
  const QPoint first = scrolled();

  kestor_property *raw = record(mount);
  raw->state = KESTOR_STATE_BUSY;  // slewing: every update centres the map
  std::vector<QPoint> positions;
  for (double ra : {9.0, 15.0, 21.0}) {
    raw->items[0].number_value = ra;
    widget->update(mount);
    positions.push_back(scrolled());
    EXPECT_EQ(map->position()->object.j2kRA, ra);
  }
  EXPECT_NE(positions[0], first);
  EXPECT_NE(positions[1], positions[0]);
  EXPECT_NE(positions[2], positions[1]);

  const double before = map->width();
  QTest::mouseClick(control<QAbstractButton>(widget, "zoomIn"), Qt::LeftButton);
  EXPECT_NEAR(map->width(), before * std::sqrt(2.0), 2);
}

TEST_F(MountRefresh, AStarClickedOnTheMapFillsTheTargets) {
  MapView *map = widget->mapView;
  ASSERT_TRUE(QTest::qWaitFor([&] { return map->position() != nullptr; }, 500));
  ASSERT_NE(clickBrightStar(map), nullptr);
  ASSERT_NE(map->selection(), nullptr);
  const MapEntryPtr chosen = map->selection();
  EXPECT_EQ(widget->entryNameLabel->text(), chosen->name.value_or(QStringLiteral("HIP") + QString::number(chosen->object.id)));
  for (const auto &[item, value] : {std::pair{"RA", chosen->ra}, std::pair{"DEC", chosen->dec}}) {
    QLineEdit *target = widget->targets.at(QLatin1String(item));
    EXPECT_EQ(target->text(), formatSexagesimal(value)) << item;
    EXPECT_TRUE(FieldStyle::isEdited(target)) << item;
  }
}

TEST_F(MountRefresh, ASearchResultChosenFillsTheTargets) {
  auto *search = control<QLineEdit>(widget, "search");
  QTest::mouseClick(search, Qt::LeftButton);
  QTest::keyClicks(search, QStringLiteral("M31"));
  QTest::keyClick(search, Qt::Key_Return);
  MapView *map = widget->mapView;
  QAction *found = nullptr;
  for (QAction *action : map->search().resultsMenu().actions()) {
    if (action->text().contains(QStringLiteral("M31")) && action->isEnabled()) {
      found = action;
    }
  }
  ASSERT_NE(found, nullptr);
  map->search().resultsMenu().hide();
  found->trigger();
  ASSERT_NE(map->selection(), nullptr);
  EXPECT_TRUE(widget->entryNameLabel->text().contains(QStringLiteral("M31")) ||
              widget->entryNameLabel->text().contains(QStringLiteral("NGC224")))
      << widget->entryNameLabel->text().toStdString();
  EXPECT_TRUE(FieldStyle::isEdited(widget->targets.at(QStringLiteral("RA"))));
  EXPECT_TRUE(FieldStyle::isEdited(widget->targets.at(QStringLiteral("DEC"))));
}

}  // namespace
