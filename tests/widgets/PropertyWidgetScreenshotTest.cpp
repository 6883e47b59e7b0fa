// Pictures of one widget of each kind, saved to the build's artifacts folder for a person to
// look at; the checks only make sure each picture shows its rows.
#include <QLineEdit>
#include <QTest>

#include "WidgetFixture.h"
#include "skymap/MapView.h"
#include "widgets/GraphView.h"

namespace {

using PropertyWidgetScreenshot = WidgetFixture;

struct Shot {
  const char *name;
  std::function<PropertyRecord()> record;
  uint32_t perm;
  uint32_t rule;
};

void PrintTo(const Shot &c, std::ostream *out) { *out << c.name; }

class WidgetPictures : public WidgetFixture, public testing::WithParamInterface<Shot> {};

TEST_P(WidgetPictures, AreSaved) {
  const Shot &shot = GetParam();
  auto property = define(shot.record(), shot.perm, shot.rule);
  PropertyWidget *widget = showWidget(property);
  if (widget->graphView) {
    for (int f = 1; f <= 120; ++f) {
      const double r = f / 60.0;
      const QPointF drift(r * std::cos(f / 8.0), r * std::sin(f / 8.0));
      widget->graphView->addSample({0, drift, {r * std::cos(f / 5.0), r * std::sin(f / 5.0)}, -drift});
    }
  }
  if (widget->mapView) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return widget->mapView->position() != nullptr; }, 2000));
  }
  QTest::qWait(20);
  const QImage picture = widget->grab().toImage();
  EXPECT_EQ(picture.size(), widget->size());
  saveScreenshot(widget, QStringLiteral("widget_") + QLatin1String(shot.name));
}

std::vector<ItemRecipe> switchRow() {
  return {switchItem("CONNECT", true), switchItem("DISCONNECT", false), labelled(switchItem("ABORT", false), "Abort motion now")};
}

INSTANTIATE_TEST_SUITE_P(
    PropertyWidgetScreenshot, WidgetPictures,
    testing::Values(
        Shot{"text",
             [] {
               return PropertyRecord("CCD Simulator", "DRIVER_INFO", KESTOR_TEXT, KESTOR_STATE_OK,
                                     {textItem("DRIVER_NAME", "CCD Simulator"), textItem("DRIVER_EXEC", "indi_simulator_ccd"),
                                      textItem("PASSWORD", "secret")});
             },
             KESTOR_PERM_RW, KESTOR_RULE_NONE},
        Shot{"number",
             [] {
               return PropertyRecord("Telescope Simulator", "GEOGRAPHIC_COORDINATES", KESTOR_NUMBER, KESTOR_STATE_BUSY,
                                     {numberItem("LATITUDE", 45.5, "%012.8m"), numberItem("LONGITUDE", 7.25, "%012.8m"),
                                      numberItem("ELEVATION", 250)});
             },
             KESTOR_PERM_RW, KESTOR_RULE_NONE},
        Shot{"switch", [] { return PropertyRecord("CCD Simulator", "CONNECTION", KESTOR_SWITCH, KESTOR_STATE_OK, switchRow()); },
             KESTOR_PERM_RW, KESTOR_RULE_ONE_OF_MANY},
        Shot{"light",
             [] {
               return PropertyRecord("Dome", "STATUS", KESTOR_LIGHT, KESTOR_STATE_ALERT,
                                     {lightItem("IDLE", 0), lightItem("OK", 1), lightItem("BUSY", 2), lightItem("ALERT", 3)});
             },
             KESTOR_PERM_RO, KESTOR_RULE_NONE},
        Shot{"mount",
             [] {
               return PropertyRecord("Telescope Simulator", "MOUNT_EQUATORIAL_COORDINATES", KESTOR_NUMBER, KESTOR_STATE_OK,
                                     {numberItem("RA", 5.5, "%010.6m"), numberItem("DEC", 20, "%010.6m")});
             },
             KESTOR_PERM_RW, KESTOR_RULE_NONE},
        Shot{"guider",
             [] {
               return PropertyRecord("Guider", "AGENT_GUIDER_STATS", KESTOR_NUMBER, KESTOR_STATE_OK,
                                     {numberItem("FRAME", 120), numberItem("DRIFT_X", 0.1), numberItem("DRIFT_Y", 0.2),
                                      numberItem("DRIFT_RA", 0.3), numberItem("DRIFT_DEC", 0.4), numberItem("CORR_RA", 0.5),
                                      numberItem("CORR_DEC", 0.6)});
             },
             KESTOR_PERM_RO, KESTOR_RULE_NONE}),
    [](const testing::TestParamInfo<Shot> &info) { return std::string(info.param.name); });

}  // namespace
