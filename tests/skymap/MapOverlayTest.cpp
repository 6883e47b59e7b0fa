// The overlay on top of the map: the "+" on the selection, the "x" on the mount's position and the
// field-of-view frame, in the live colours, at a constant size on screen.
#include <gtest/gtest.h>

#include <QSettings>

#include <array>
#include <cmath>
#include <cstdlib>

#include <kestor.h>

#include "MapFixtures.h"
#include "core/Globals.h"
#include "core/Settings.h"

namespace {

constexpr double JD = 2461381.4166666665;

// True when a pixel within one pixel of the point is drawn at least 40 % in the colour over what
// the map alone shows there: one-point lines fall between pixels and are blended.
bool near(const QImage &image, const QImage &under, QPoint point, const QColor &colour) {
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const QColor c = image.pixelColor(point + QPoint(dx, dy));
      const QColor b = under.pixelColor(point + QPoint(dx, dy));
      const double toward[3] = {double(colour.red() - b.red()), double(colour.green() - b.green()),
                                double(colour.blue() - b.blue())};
      const double moved[3] = {double(c.red() - b.red()), double(c.green() - b.green()), double(c.blue() - b.blue())};
      const double length2 = toward[0] * toward[0] + toward[1] * toward[1] + toward[2] * toward[2];
      const double along = moved[0] * toward[0] + moved[1] * toward[1] + moved[2] * toward[2];
      if (length2 > 0 && along / length2 >= 0.4)
        return true;
    }
  }
  return false;
}

class MapOverlay : public testing::Test {
protected:
  void SetUp() override {
    defaults().clear();
    kestor_set_astro_time(JD);
    saved = {graphColor1(), graphColor2(), markerColor()};
    map = emptyMap(1024);
  }
  void TearDown() override {
    kestor_set_astro_time(0);
    graphColor1() = saved[0];
    graphColor2() = saved[1];
    markerColor() = saved[2];
  }
  // The picture the user sees, the map with its overlay; `under` becomes the map alone.
  QImage picture() {
    under = render(*map);
    return map->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  }

  QImage under;
  std::array<QColor, 3> saved;
  std::unique_ptr<MapView> map;
};

TEST_F(MapOverlay, SelectionGetsAnOpenCross) {
  graphColor2() = QColor(255, 0, 0);
  const MapEntryPtr selection = placedEntry(50, 200, 1, 0);
  map->setSelection(selection);
  const QPoint p = viewPoint(*map, *selection).toPoint();
  QImage image = picture();
  for (const QPoint arm : {QPoint(-12, 0), QPoint(12, 0), QPoint(0, -12), QPoint(0, 12)})
    EXPECT_TRUE(near(image, under, p + arm, QColor(255, 0, 0))) << arm.x() << "," << arm.y();
  EXPECT_FALSE(near(image, under, p, QColor(255, 0, 0))) << "the centre stays open";
  EXPECT_FALSE(near(image, under, p + QPoint(8, 8), QColor(0, 0, 255)));

  // A new colour shows at the next drawing.
  render(*map);
  graphColor2() = QColor(0, 160, 0);
  image = picture();
  EXPECT_TRUE(near(image, under, p + QPoint(12, 0), QColor(0, 160, 0)));
}

TEST_F(MapOverlay, PositionGetsAnXAndTheFieldOfView) {
  graphColor1() = QColor(0, 0, 255);
  markerColor() = QColor(0, 255, 0);
  const auto position = placedEntry(60, 100, 0, 0);
  // An apparent right ascension 12 hours from the sidereal time turns the frame by the camera's
  // angle alone.
  position->ra = kestor_lst(nullptr, 0) + 12;
  map->setPosition(position);
  const QPoint p = viewPoint(*map, *position).toPoint();
  const double unit = 1024 / 210.0;  // view points per degree

  QImage image = picture();
  EXPECT_TRUE(near(image, under, p + QPoint(-8, -8), QColor(0, 0, 255)));
  EXPECT_TRUE(near(image, under, p + QPoint(8, 8), QColor(0, 0, 255)));
  EXPECT_FALSE(near(image, under, p, QColor(0, 0, 255)));
  EXPECT_FALSE(near(image, under, p + QPoint(static_cast<int>(5 * unit), 0), QColor(0, 255, 0))) << "no frame yet";

  struct Case {
    const char *name;
    double width, height, angle;
    QPoint onFrame;  // view offset of a point on the frame
    bool drawn;
  } cases[] = {
      {"wide", 10, 6, 0, QPoint(static_cast<int>(std::lround(5 * unit)), 0), true},
      {"turned a quarter", 10, 6, 90, QPoint(static_cast<int>(std::lround(3 * unit)), 0), true},
      {"no width", 0, 6, 0, QPoint(0, static_cast<int>(std::lround(3 * unit))), false},
      {"negative height", 10, -6, 0, QPoint(static_cast<int>(std::lround(5 * unit)), 0), false},
  };
  for (const Case &c : cases) {
    UserDefaults::write(Setting::FOV_WIDTH, c.width);
    UserDefaults::write(Setting::FOV_HEIGHT, c.height);
    UserDefaults::write(Setting::FOV_ANGLE, c.angle);
    image = picture();
    EXPECT_EQ(near(image, under, p + c.onFrame, QColor(0, 255, 0)), c.drawn) << c.name;
  }
}

TEST_F(MapOverlay, MarkersKeepTheirSizeOnScreen) {
  graphColor2() = QColor(255, 0, 0);
  map->setZoom(11);
  render(*map);
  const MapEntryPtr selection = placedEntry(80, 30, 1, 0);
  map->setSelection(selection);
  const QPoint p = viewPoint(*map, *selection).toPoint();
  const QImage image = picture();
  EXPECT_TRUE(near(image, under, p + QPoint(-12, 0), QColor(255, 0, 0)));
  EXPECT_FALSE(near(image, under, p + QPoint(-24, 0), QColor(255, 0, 0)));
}

}  // namespace
