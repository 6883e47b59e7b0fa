// Building property widgets: heights, columns and the frames of their controls.
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>

#include "WidgetFixture.h"
#include "skymap/MapView.h"
#include "skymap/ObjectSearch.h"
#include "widgets/GraphView.h"
#include "widgets/FlippedFrame.h"
#include "widgets/ImageView.h"
#include "widgets/KButton.h"

namespace {

std::vector<ItemRecipe> items(int count, const std::function<ItemRecipe(int)> &make) {
  std::vector<ItemRecipe> list;
  for (int i = 0; i < count; ++i) {
    list.push_back(make(i));
  }
  return list;
}

std::string labelOf(int length, int i) {
  std::string label = "L" + std::to_string(i);
  label.resize(static_cast<size_t>(length), 'x');
  return label;
}

std::vector<ItemRecipe> switches(int count, int labelLength) {
  return items(count, [&](int i) {
    return labelled(switchItem("S" + std::to_string(i), false), labelOf(labelLength, i));
  });
}

std::vector<ItemRecipe> lights(int count, int labelLength) {
  return items(count, [&](int i) {
    return labelled(lightItem("L" + std::to_string(i), KESTOR_STATE_OK), labelOf(labelLength, i));
  });
}

std::vector<ItemRecipe> numbers(const std::vector<std::string> &names) {
  std::vector<ItemRecipe> list;
  for (const std::string &name : names) {
    list.push_back(numberItem(name, 1.5));
  }
  return list;
}

const std::vector<std::string> GUIDER_ITEMS = {"FRAME",     "DRIFT_X", "DRIFT_Y", "DRIFT_RA",
                                               "DRIFT_DEC", "CORR_RA", "CORR_DEC"};

enum class Where { Panel, Dashboard, Loose };

struct HeightCase {
  const char *name;
  std::function<PropertyRecord()> record;
  uint32_t perm;
  Where where;
  double height;
};

void PrintTo(const HeightCase &c, std::ostream *out) { *out << c.name; }

class WidgetHeights : public WidgetFixture, public testing::WithParamInterface<HeightCase> {};

TEST_P(WidgetHeights, FollowTypeItemsAndBoard) {
  const HeightCase &c = GetParam();
  auto property = define(c.record(), c.perm);
  PropertyWidget *widget = c.where == Where::Loose       ? buildLoose(property)
                           : c.where == Where::Dashboard ? showWidget(property, dashboard)
                                                         : showWidget(property);
  EXPECT_EQ(widget->fullHeight, c.height);
  EXPECT_EQ(widget->height(), static_cast<int>(c.height));
  EXPECT_EQ(widget->width(), 400);
}

INSTANTIATE_TEST_SUITE_P(
    PropertyWidgetBuild, WidgetHeights,
    testing::Values(
        HeightCase{"twoShortSwitches", [] { return PropertyRecord("D", "S", KESTOR_SWITCH, 0, switches(2, 5)); },
                   KESTOR_PERM_RW, Where::Panel, 65},
        HeightCase{"thirtyLights", [] { return PropertyRecord("D", "L", KESTOR_LIGHT, 0, lights(30, 15)); },
                   KESTOR_PERM_RO, Where::Panel, 415},
        HeightCase{"fortyFiveLightsPanel", [] { return PropertyRecord("D", "L", KESTOR_LIGHT, 0, lights(45, 15)); },
                   KESTOR_PERM_RO, Where::Panel, 415},
        HeightCase{"fortyFiveLightsDashboard",
                   [] { return PropertyRecord("D", "L", KESTOR_LIGHT, 0, lights(45, 15)); }, KESTOR_PERM_RO,
                   Where::Dashboard, 615},
        HeightCase{"longSwitchesPanel", [] { return PropertyRecord("D", "S", KESTOR_SWITCH, 0, switches(25, 30)); },
                   KESTOR_PERM_RW, Where::Panel, 665},
        HeightCase{"longSwitchesLoose", [] { return PropertyRecord("D", "S", KESTOR_SWITCH, 0, switches(25, 30)); },
                   KESTOR_PERM_RW, Where::Loose, 365},
        HeightCase{"readOnlyNumbers",
                   [] { return PropertyRecord("D", "N", KESTOR_NUMBER, 0, numbers({"A", "B", "C"})); },
                   KESTOR_PERM_RO, Where::Panel, 115},
        HeightCase{"writableMount",
                   [] { return PropertyRecord("D", "MOUNT_EQUATORIAL_COORDINATES", KESTOR_NUMBER, 0, numbers({"RA", "DEC"})); },
                   KESTOR_PERM_RW, Where::Panel, 440},
        HeightCase{"readOnlyMount",
                   [] { return PropertyRecord("D", "MOUNT_EQUATORIAL_COORDINATES", KESTOR_NUMBER, 0, numbers({"RA", "DEC"})); },
                   KESTOR_PERM_RO, Where::Panel, 410},
        HeightCase{"guider",
                   [] { return PropertyRecord("D", "AGENT_GUIDER_STATS", KESTOR_NUMBER, 0, numbers(GUIDER_ITEMS)); },
                   KESTOR_PERM_RO, Where::Panel, 405},
        HeightCase{"blob", [] { return PropertyRecord("D", "B", KESTOR_BLOB, 0, {blobItem("B1", {}, ".fits")}); },
                   KESTOR_PERM_RO, Where::Panel, 340},
        HeightCase{"emptySwitch", [] { return PropertyRecord("D", "S", KESTOR_SWITCH); }, KESTOR_PERM_RW, Where::Panel, 40},
        HeightCase{"emptyLight", [] { return PropertyRecord("D", "L", KESTOR_LIGHT); }, KESTOR_PERM_RO, Where::Panel, 40},
        HeightCase{"emptyReadOnlyText", [] { return PropertyRecord("D", "T", KESTOR_TEXT); }, KESTOR_PERM_RO, Where::Panel, 40},
        HeightCase{"emptyWritableNumber", [] { return PropertyRecord("D", "N", KESTOR_NUMBER); }, KESTOR_PERM_RW,
                   Where::Panel, 70}),
    [](const testing::TestParamInfo<HeightCase> &info) { return std::string(info.param.name); });

using PropertyWidgetBuild = WidgetFixture;

QRectF frameOf(const QWidget *widget, const QString &name) {
  return bottomLeftFrame(control<QWidget>(widget, name));
}

TEST_F(PropertyWidgetBuild, PlacesHeaderAndRowsAtTheirFrames) {
  auto property = define(PropertyRecord("CCD Simulator", "POLLING_PERIOD", KESTOR_NUMBER, KESTOR_STATE_OK,
                                        numbers({"PERIOD_MS", "OTHER"})));
  PropertyWidget *widget = showWidget(property);
  const double h = 2 * 25 + 40 + 30;
  EXPECT_EQ(widget->fullHeight, h);
  EXPECT_EQ(frameOf(widget, "stateIcon"), QRectF(2, h - 34, 18, 20));
  EXPECT_EQ(frameOf(widget, "title"), QRectF(20, h - 35, 320, 20));
  EXPECT_EQ(frameOf(widget, "button1"), QRectF(367, h - 33, 18, 18));
  EXPECT_EQ(frameOf(widget, "button2"), QRectF(347, h - 33, 18, 18));
  EXPECT_EQ(frameOf(widget, "value:PERIOD_MS"), QRectF(180, h - 60, 100, 20));
  EXPECT_EQ(frameOf(widget, "target:PERIOD_MS"), QRectF(285, h - 60, 100, 20));
  EXPECT_EQ(frameOf(widget, "target:OTHER"), QRectF(285, h - 85, 100, 20));
  EXPECT_EQ(frameOf(widget, "reset"), QRectF(280, 5, 50, 20));
  EXPECT_EQ(frameOf(widget, "set"), QRectF(335, 5, 50, 20));
  // In Qt's coordinates, inside the content area inset 5: the header sits at the top, the rows
  // 25 apart below it, Set at the bottom.
  EXPECT_EQ(control<QWidget>(widget, "stateIcon")->geometry(), QRect(2, 4, 18, 20));
  EXPECT_EQ(control<QWidget>(widget, "title")->geometry(), QRect(20, 5, 320, 20));
  EXPECT_EQ(control<QWidget>(widget, "target:PERIOD_MS")->geometry(), QRect(285, 30, 100, 20));
  EXPECT_EQ(control<QWidget>(widget, "target:OTHER")->geometry(), QRect(285, 55, 100, 20));
  EXPECT_EQ(control<QWidget>(widget, "set")->geometry(), QRect(335, h - 35, 50, 20));
  EXPECT_EQ(widget->content()->geometry(), QRect(5, 5, 390, static_cast<int>(h) - 10));
  EXPECT_EQ(control<QLabel>(widget, "title")->text(), QStringLiteral("POLLING_PERIOD label @ CCD Simulator"));
  EXPECT_EQ(widget->button1->state(), KButton::ON);
  EXPECT_TRUE(widget->button1->isEnabled());
}

TEST_F(PropertyWidgetBuild, ReadOnlyNumbersShowValuesOnlyAtTheRight) {
  auto property = define(PropertyRecord("D", "N", KESTOR_NUMBER, 0, numbers({"A", "B", "C"})), KESTOR_PERM_RO);
  PropertyWidget *widget = showWidget(property);
  EXPECT_EQ(frameOf(widget, "value:C"), QRectF(285, 115 - 60 - 50, 100, 20));
  EXPECT_EQ(widget->findChild<QWidget *>(QStringLiteral("set")), nullptr);
  EXPECT_TRUE(widget->targets.empty());
  EXPECT_EQ(control<QLineEdit>(widget, "value:A")->text(), QStringLiteral("1.5"));
  int wideLabels = 0;
  for (QLabel *label : widget->content()->findChildren<QLabel *>()) {
    wideLabels += bottomLeftFrame(label).width() == 280;
  }
  EXPECT_EQ(wideLabels, 3);
}

struct ColumnCase {
  const char *name;
  int columns;
  std::vector<QRectF> frames;  // of items 0, 1 and 2
};

void PrintTo(const ColumnCase &c, std::ostream *out) { *out << c.name; }

class SwitchColumns : public WidgetFixture, public testing::WithParamInterface<ColumnCase> {};

TEST_P(SwitchColumns, PlaceButtonsInColumns) {
  const ColumnCase &c = GetParam();
  const int labelLength = c.columns == 1 ? 30 : c.columns == 2 ? 15 : 5;
  auto property = define(PropertyRecord("D", "S", KESTOR_SWITCH, 0, switches(6, labelLength)));
  PropertyWidget *widget = showWidget(property);
  for (size_t i = 0; i < c.frames.size(); ++i) {
    EXPECT_EQ(frameOf(widget, "switch:S" + QString::number(i)), c.frames[i]) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(PropertyWidgetBuild, SwitchColumns,
                         testing::Values(ColumnCase{"three", 3, {{5, 30, 126, 20}, {132, 30, 126, 20}, {259, 30, 126, 20}}},
                                         ColumnCase{"two", 2, {{5, 55, 189, 20}, {196, 55, 189, 20}, {5, 30, 189, 20}}},
                                         ColumnCase{"one", 1, {{5, 130, 380, 20}, {5, 105, 380, 20}, {5, 80, 380, 20}}}),
                         [](const testing::TestParamInfo<ColumnCase> &info) { return std::string(info.param.name); });

TEST_F(PropertyWidgetBuild, LightsHaveImageThenLabel) {
  auto property = define(PropertyRecord("D", "L", KESTOR_LIGHT, 0, lights(4, 15)), KESTOR_PERM_RO);
  PropertyWidget *widget = showWidget(property);  // 2 columns, height 90
  EXPECT_EQ(frameOf(widget, "value:L3"), QRectF(192, 5, 18, 20));
  EXPECT_FALSE(qobject_cast<ImageView *>(widget->values.at(QStringLiteral("L0")))->pixmap().isNull());
}

TEST_F(PropertyWidgetBuild, SwitchesTakeClicksOnlyWhereAllowed) {
  auto oneOfMany = define(PropertyRecord("D", "CONNECTION", KESTOR_SWITCH, 0,
                                         {switchItem("CONNECTED", false), switchItem("DISCONNECTED", true)}),
                          KESTOR_PERM_RW, KESTOR_RULE_ONE_OF_MANY);
  PropertyWidget *widget = showWidget(oneOfMany);
  EXPECT_TRUE(control<KButton>(widget, "switch:CONNECTED")->isEnabled());
  EXPECT_FALSE(control<KButton>(widget, "switch:DISCONNECTED")->isEnabled());
  EXPECT_EQ(control<KButton>(widget, "switch:DISCONNECTED")->state(), KButton::ON);

  auto readOnly = define(PropertyRecord("D", "RO", KESTOR_SWITCH, 0, {switchItem("A", false), switchItem("B", true)}),
                         KESTOR_PERM_RO, KESTOR_RULE_ONE_OF_MANY);
  PropertyWidget *shown = showWidget(readOnly);
  for (const char *item : {"switch:A", "switch:B"}) {
    EXPECT_FALSE(control<KButton>(shown, item)->isEnabled()) << item;
  }
  shown->update(readOnly);  // a refresh keeps read-only switches disabled
  for (const char *item : {"switch:A", "switch:B"}) {
    EXPECT_FALSE(control<KButton>(shown, item)->isEnabled()) << item;
  }
}

TEST_F(PropertyWidgetBuild, TextRowsKnowPasswordsAndFolders) {
  auto login = define(PropertyRecord("D", "LOGIN", KESTOR_TEXT, 0, {textItem("USER", "me"), textItem("PASSWORD", "x")}));
  PropertyWidget *widget = showWidget(login);
  EXPECT_EQ(control<QLineEdit>(widget, "value:PASSWORD")->echoMode(), QLineEdit::Password);
  EXPECT_EQ(control<QLineEdit>(widget, "value:USER")->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(frameOf(widget, "value:USER"), QRectF(180, 120 - 60, 205, 20));

  auto local = define(PropertyRecord("CCD", "CCD_LOCAL_MODE", KESTOR_TEXT, 0, {textItem("DIR", "/tmp/")}));
  PropertyWidget *folder = showWidget(local);
  EXPECT_EQ(folder->dirField, folder->values.at(QStringLiteral("DIR")));
  EXPECT_EQ(frameOf(folder, "value:DIR"), QRectF(180, 35, 175, 20));
  EXPECT_EQ(frameOf(folder, "folder"), QRectF(360, 35, 25, 20));

  auto shown = define(PropertyRecord("D", "INFO", KESTOR_TEXT, 0, {textItem("V", "1.0")}), KESTOR_PERM_RO);
  auto *field = control<QLineEdit>(showWidget(shown), "value:V");
  EXPECT_TRUE(field->isReadOnly());
  EXPECT_FALSE(field->hasFrame());
  EXPECT_EQ(field->palette().color(QPalette::Base).alpha(), 0);
}

TEST_F(PropertyWidgetBuild, MountAndGuiderBlocks) {
  auto mount = define(PropertyRecord("Telescope", "MOUNT_EQUATORIAL_COORDINATES", KESTOR_NUMBER, 0,
                                     numbers({"RA", "DEC"})));
  PropertyWidget *widget = showWidget(mount);
  ASSERT_NE(widget->mapView, nullptr);
  EXPECT_EQ(widget->mapView->size(), QSize(1024, 1024));
  EXPECT_EQ(frameOf(widget, "mapScroll"), QRectF(7, 55, 377, 290));
  EXPECT_EQ(frameOf(widget, "entryName"), QRectF(7, 27, 377, 20));
  EXPECT_EQ(frameOf(widget, "search"), QRectF(175, 5, 100, 20));
  EXPECT_EQ(widget->mapView->search().searchField(), control<QLineEdit>(widget, "search"));
  EXPECT_EQ(widget->entryNameLabel->text(), QStringLiteral("No selection"));

  auto guider = define(PropertyRecord("Guider", "AGENT_GUIDER_STATS", KESTOR_NUMBER, 0, numbers(GUIDER_ITEMS)),
                       KESTOR_PERM_RO);
  PropertyWidget *graphWidget = showWidget(guider);
  ASSERT_NE(graphWidget->graphView, nullptr);
  EXPECT_EQ(frameOf(graphWidget, "graph"), QRectF(7, 35, 377, 150));
  EXPECT_EQ(control<KButton>(graphWidget, "xy")->state(), KButton::ON);
  EXPECT_EQ(control<KButton>(graphWidget, "eq")->state(), KButton::OFF);
  EXPECT_EQ(frameOf(graphWidget, "reset"), QRectF(335, 5, 50, 20));
}

TEST_F(PropertyWidgetBuild, BuildingAgainReplacesTheControls) {
  auto property = define(PropertyRecord("D", "N", KESTOR_NUMBER, 0, numbers({"A", "B"})));
  PropertyWidget *widget = showWidget(property);
  const auto before = widget->content()->findChildren<QWidget *>().size();
  widget->build(property, WidgetGeometry::Board::Other);
  EXPECT_EQ(widget->content()->findChildren<QWidget *>().size(), before);
  EXPECT_EQ(widget->findChildren<QWidget *>(QStringLiteral("set")).size(), 1);
  EXPECT_EQ(widget->targets.size(), 2u);
}

}  // namespace
