// Building property widgets: heights and the frames of their controls for each kind of property
// on each board, and what the built controls allow.
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "WidgetFixture.h"
#include "widgets/FlippedFrame.h"
#include "widgets/KButton.h"

namespace {

std::vector<ItemRecipe> items(int count, const std::function<ItemRecipe(const std::string &)> &make) {
  std::vector<ItemRecipe> list;
  for (int i = 0; i < count; ++i) {
    list.push_back(make(std::to_string(i)));
  }
  return list;
}

// Switches or lights S0, S1, ... (L0, ...) with labels of the given length.
std::vector<ItemRecipe> switches(int count, int labelLength, uint32_t type = KESTOR_SWITCH) {
  return items(count, [&](const std::string &i) {
    std::string label = "L" + i;
    label.resize(static_cast<size_t>(labelLength), 'x');
    return labelled(type == KESTOR_SWITCH ? switchItem("S" + i, false) : lightItem("L" + i, KESTOR_STATE_OK), label);
  });
}

std::vector<ItemRecipe> numbers(const std::vector<std::string> &names) {
  std::vector<ItemRecipe> list;
  for (const std::string &name : names) {
    list.push_back(numberItem(name, 1.5));
  }
  return list;
}

const std::vector<std::string> MOUNT = {"RA", "DEC"};

enum class Where { Panel, Dashboard, Loose };

// A property, where its widget is built, its height and the frames (bottom-left origin) of some
// of its controls.
struct ShapeCase {
  const char *name;
  std::function<PropertyRecord()> record;
  uint32_t perm;
  Where where;
  double height;
  std::vector<std::pair<const char *, QRectF>> frames = {};
};

void PrintTo(const ShapeCase &c, std::ostream *out) { *out << c.name; }

PropertyRecord prop(const char *name, uint32_t type, std::vector<ItemRecipe> items) {
  return PropertyRecord("D", name, type, KESTOR_STATE_OK, items);
}

class WidgetShapes : public WidgetFixture, public testing::WithParamInterface<ShapeCase> {};

TEST_P(WidgetShapes, FollowTypeItemsAndBoard) {
  const ShapeCase &c = GetParam();
  auto property = define(c.record(), c.perm);
  PropertyWidget *widget = c.where == Where::Loose       ? buildLoose(property)
                           : c.where == Where::Dashboard ? showWidget(property, dashboard)
                                                         : showWidget(property);
  EXPECT_EQ(widget->fullHeight, c.height);
  EXPECT_EQ(widget->size(), QSize(400, static_cast<int>(c.height)));
  for (const auto &[name, frame] : c.frames) {
    EXPECT_EQ(bottomLeftFrame(control<QWidget>(widget, name)), frame) << name;
  }
  if (auto *blob = dynamic_cast<KESTOR::BLOBItem *>(property->item(QStringLiteral("B1")))) {
    // The picture made on the pool is kept before the test ends, not raced by the process's exit.
    EXPECT_TRUE(QTest::qWaitFor([&] { return blob->cachedImage != nullptr; }, 5000));
  }
}

const auto RW = KESTOR_PERM_RW;
const auto RO = KESTOR_PERM_RO;

INSTANTIATE_TEST_SUITE_P(
    PropertyWidgetBuild, WidgetShapes,
    testing::Values(
        ShapeCase{"writableNumbers",
                  [] {
                    return prop("N", KESTOR_NUMBER, numbers({"A", "B"}));
                  },
                  RW,
                  Where::Panel,
                  120,
                  {{"stateIcon", {2, 86, 18, 20}},
                   {"title", {20, 85, 320, 20}},
                   {"button1", {367, 87, 18, 18}},
                   {"button2", {347, 87, 18, 18}},
                   {"value:A", {180, 60, 100, 20}},
                   {"target:A", {285, 60, 100, 20}},
                   {"target:B", {285, 35, 100, 20}},
                   {"reset", {280, 5, 50, 20}},
                   {"set", {335, 5, 50, 20}}}},
        ShapeCase{"readOnlyNumbers",
                  [] {
                    return prop("N", KESTOR_NUMBER, numbers({"A", "B", "C"}));
                  },
                  RO,
                  Where::Panel,
                  115,
                  {{"value:C", {285, 5, 100, 20}}}},
        ShapeCase{
            "threeSwitchColumns",
            [] { return prop("S", KESTOR_SWITCH, switches(6, 5)); },
            RW,
            Where::Panel,
            90,
            {{"switch:S0", {5, 30, 126, 20}}, {"switch:S1", {132, 30, 126, 20}}, {"switch:S2", {259, 30, 126, 20}}}},
        ShapeCase{
            "twoSwitchColumns",
            [] { return prop("S", KESTOR_SWITCH, switches(6, 15)); },
            RW,
            Where::Panel,
            115,
            {{"switch:S0", {5, 55, 189, 20}}, {"switch:S1", {196, 55, 189, 20}}, {"switch:S2", {5, 30, 189, 20}}}},
        ShapeCase{"oneSwitchColumn",
                  [] { return prop("S", KESTOR_SWITCH, switches(6, 30)); },
                  RW,
                  Where::Panel,
                  190,
                  {{"switch:S0", {5, 130, 380, 20}}, {"switch:S2", {5, 80, 380, 20}}}},
        ShapeCase{"longSwitchesPanel", [] { return prop("S", KESTOR_SWITCH, switches(25, 30)); }, RW, Where::Panel,
                  665},
        ShapeCase{"longSwitchesLoose", [] { return prop("S", KESTOR_SWITCH, switches(25, 30)); }, RW, Where::Loose,
                  365},
        ShapeCase{"fourLights",
                  [] { return prop("L", KESTOR_LIGHT, switches(4, 15, KESTOR_LIGHT)); },
                  RO,
                  Where::Panel,
                  90,
                  {{"value:L3", {192, 5, 18, 20}}}},
        ShapeCase{"fortyFiveLightsPanel", [] { return prop("L", KESTOR_LIGHT, switches(45, 15, KESTOR_LIGHT)); }, RO,
                  Where::Panel, 415},
        ShapeCase{"fortyFiveLightsDashboard", [] { return prop("L", KESTOR_LIGHT, switches(45, 15, KESTOR_LIGHT)); },
                  RO, Where::Dashboard, 615},
        ShapeCase{"texts",
                  [] {
                    return prop("LOGIN", KESTOR_TEXT, {textItem("USER", "me"), textItem("PASSWORD", "x")});
                  },
                  RW,
                  Where::Panel,
                  120,
                  {{"value:USER", {180, 60, 205, 20}}}},
        ShapeCase{"localFolder",
                  [] { return prop("CCD_LOCAL_MODE", KESTOR_TEXT, {textItem("DIR", "/tmp/")}); },
                  RW,
                  Where::Panel,
                  95,
                  {{"value:DIR", {180, 35, 175, 20}}, {"folder", {360, 35, 25, 20}}}},
        ShapeCase{"writableMount",
                  [] { return prop("MOUNT_EQUATORIAL_COORDINATES", KESTOR_NUMBER, numbers(MOUNT)); },
                  RW,
                  Where::Panel,
                  440,
                  {{"mapScroll", {7, 55, 377, 290}}, {"entryName", {7, 27, 377, 20}}, {"search", {175, 5, 100, 20}}}},
        ShapeCase{"readOnlyMount", [] { return prop("MOUNT_EQUATORIAL_COORDINATES", KESTOR_NUMBER, numbers(MOUNT)); },
                  RO, Where::Panel, 410},
        ShapeCase{"guider",
                  [] { return prop("AGENT_GUIDER_STATS", KESTOR_NUMBER, guiderItems()); },
                  RO,
                  Where::Panel,
                  405,
                  {{"graph", {7, 35, 377, 150}}, {"reset", {335, 5, 50, 20}}}},
        ShapeCase{"blob", [] { return prop("B", KESTOR_BLOB, {blobItem("B1", {}, ".fits")}); }, RO, Where::Panel, 340},
        ShapeCase{"emptySwitch", [] { return prop("S", KESTOR_SWITCH, {}); }, RW, Where::Panel, 40},
        ShapeCase{"emptyWritableNumber", [] { return prop("N", KESTOR_NUMBER, {}); }, RW, Where::Panel, 70}),
    [](const testing::TestParamInfo<ShapeCase> &info) { return std::string(info.param.name); });

using PropertyWidgetBuild = WidgetFixture;

TEST_F(PropertyWidgetBuild, ControlsSitInQtCoordinatesAndShowWhatTheItemsAllow) {
  auto writable = define(PropertyRecord("CCD Simulator", "POLLING_PERIOD", KESTOR_NUMBER, KESTOR_STATE_OK,
                                        numbers({"PERIOD_MS", "OTHER"})));
  PropertyWidget *widget = showWidget(writable);
  EXPECT_EQ(control<QWidget>(widget, "stateIcon")->geometry(), QRect(2, 4, 18, 20));
  EXPECT_EQ(control<QWidget>(widget, "set")->geometry(), QRect(335, 85, 50, 20));
  EXPECT_EQ(control<QLabel>(widget, "title")->text(), QStringLiteral("POLLING_PERIOD label @ CCD Simulator"));
  const auto before = widget->content()->findChildren<QWidget *>().size();
  widget->build(writable, WidgetGeometry::Board::Other);  // building again replaces the controls
  EXPECT_EQ(widget->content()->findChildren<QWidget *>().size(), before);

  PropertyWidget *readOnly = showWidget(define(prop("N", KESTOR_NUMBER, numbers({"A", "B"})), KESTOR_PERM_RO));
  EXPECT_EQ(readOnly->findChild<QWidget *>(QStringLiteral("set")), nullptr);
  EXPECT_TRUE(readOnly->targets.empty());
  auto *field = control<QLineEdit>(showWidget(define(prop("INFO", KESTOR_TEXT, {textItem("V", "1")}), RO)), "value:V");
  EXPECT_TRUE(field->isReadOnly() && !field->hasFrame());
  EXPECT_EQ(field->palette().color(QPalette::Base).alpha(), 0);

  auto login = define(prop("LOGIN", KESTOR_TEXT, {textItem("USER", "me"), textItem("PASSWORD", "x")}));
  EXPECT_EQ(control<QLineEdit>(showWidget(login), "value:PASSWORD")->echoMode(), QLineEdit::Password);
}

TEST_F(PropertyWidgetBuild, SwitchesTakeClicksOnlyWhereAllowed) {
  const std::vector<ItemRecipe> pair = {switchItem("A", false), switchItem("B", true)};
  PropertyWidget *writable =
      showWidget(define(prop("S", KESTOR_SWITCH, pair), KESTOR_PERM_RW, KESTOR_RULE_ONE_OF_MANY));
  EXPECT_TRUE(control<KButton>(writable, "switch:A")->isEnabled());
  EXPECT_FALSE(control<KButton>(writable, "switch:B")->isEnabled());  // the one that is on
  EXPECT_EQ(control<KButton>(writable, "switch:B")->state(), KButton::ON);
  auto readOnly = define(prop("RO", KESTOR_SWITCH, pair), KESTOR_PERM_RO, KESTOR_RULE_ONE_OF_MANY);
  PropertyWidget *shown = showWidget(readOnly);
  for (int pass = 0; pass < 2; ++pass, shown->update(readOnly)) {  // a refresh keeps them disabled
    EXPECT_FALSE(control<KButton>(shown, "switch:A")->isEnabled() || control<KButton>(shown, "switch:B")->isEnabled());
  }
}

}  // namespace
