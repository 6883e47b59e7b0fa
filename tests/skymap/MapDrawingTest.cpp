// What a drawing pass puts on the map: which objects are drawn (and so can be clicked), the
// layers' paths and the bodies' colours.
#include <gtest/gtest.h>

#include <QSettings>

#include <cmath>

#include "MapFixtures.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "skymap/MapPaths.h"

namespace {

class MapDrawing : public testing::Test {
protected:
  void SetUp() override { defaults().clear(); }
};

struct VisibilityCase {
  const char *name;
  double alt;
  float mag, diameter;
  bool star, deepSky;  // drawn as a star (default limit 5), as a deep-sky object
};

TEST_F(MapDrawing, ObjectsAreDrawnByAltitudeMagnitudeAndSize) {
  // At 1024 points a map unit is 1024 / 210 points, so a point is about 0.205 units.
  const VisibilityCase cases[] = {
      {"bright and high", 45, 4.99f, 1, true, true},
      {"at the magnitude limit", 45, 5.0f, 1, false, true},
      {"on the horizon", 0, 1, 1, true, true},
      {"just below the horizon", -0.01, 1, 1, false, false},
      {"smaller than a point", 45, 1, 0.2f, false, false},
      {"just a point", 45, 1, 0.21f, true, true},
  };
  TestSky sky;
  std::vector<std::pair<SkyRef, SkyRef>> refs;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const VisibilityCase &c = cases[i];
    refs.emplace_back(sky.addStar(c.alt, 30.0 * i, c.mag, c.diameter),
                      sky.addDeepSky(c.alt, 30.0 * i + 15, c.mag, c.diameter));
  }
  auto map = sky.map();
  render(*map);
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(drawn(*map, refs[i].first), cases[i].star) << cases[i].name;
    EXPECT_EQ(drawn(*map, refs[i].second), cases[i].deepSky) << cases[i].name;
  }
}

TEST_F(MapDrawing, MagnitudeLimitTakesEffectWhenWritten) {
  TestSky sky;
  const SkyRef star = sky.addStar(45, 90, 7.5f, 1);
  auto map = sky.map();
  render(*map);
  EXPECT_FALSE(drawn(*map, star));
  UserDefaults::write(Setting::MAGNITUDE_LIMIT, 8);
  render(*map);
  EXPECT_TRUE(drawn(*map, star));
}

TEST_F(MapDrawing, ZoomRebuildsStarsAndDeepSky) {
  TestSky sky;
  const SkyRef star = sky.addStar(45, 90, 1, 0.15f);
  auto map = sky.map();
  render(*map);
  EXPECT_FALSE(drawn(*map, star));
  map->setZoom(11);  // 2048 points: a point is about 0.1 units
  render(*map);
  EXPECT_TRUE(drawn(*map, star));
}

TEST_F(MapDrawing, BodiesAreRedYellowAndGrey) {
  struct Case {
    const char *name;
    double sunAlt;
    QColor jupiter, sun, moon;
  } cases[] = {
      {"sun up", 45, QColor(255, 0, 0), QColor(255, 255, 0), QColor(170, 170, 170)},
      // A body below the horizon changes no colour: the Moon still turns grey.
      {"sun down", -5, QColor(255, 0, 0), QColor(), QColor(170, 170, 170)},
  };
  for (const Case &c : cases) {
    TestSky sky;
    const SkyRef jupiter = sky.addBody(45, 90, -2.9f, 1, 5);
    const SkyRef sun = sky.addBody(c.sunAlt, 180, -26, 5, 10);
    const SkyRef moon = sky.addBody(45, 270, -12, 5, 11);
    auto map = sky.map();
    const QImage image = render(*map);
    EXPECT_EQ(image.pixelColor(viewPoint(*map, jupiter).toPoint()), c.jupiter) << c.name;
    if (c.sun.isValid()) {
      EXPECT_EQ(image.pixelColor(viewPoint(*map, sun).toPoint()), c.sun) << c.name;
    }
    EXPECT_EQ(drawn(*map, sun), c.sunAlt >= 0) << c.name;
    EXPECT_EQ(image.pixelColor(viewPoint(*map, moon).toPoint()), c.moon) << c.name;
  }
}

TEST_F(MapDrawing, FiguresSkipStarsBelowTheHorizon) {
  struct Case {
    const char *name;
    std::vector<double> altitudes;
    std::vector<QPainterPath::ElementType> elements;
  } cases[] = {
      {"all up", {10, 20, 30}, {QPainterPath::MoveToElement, QPainterPath::LineToElement, QPainterPath::LineToElement}},
      {"middle down", {10, -5, 30}, {QPainterPath::MoveToElement, QPainterPath::LineToElement}},
      {"first down", {-5, 20, 30}, {QPainterPath::MoveToElement, QPainterPath::LineToElement}},
      {"all down", {-5, -6}, {}},
  };
  for (const Case &c : cases) {
    std::vector<SkyPlace> stars;
    std::vector<uint32_t> polyline;
    for (double alt : c.altitudes) {
      polyline.push_back(static_cast<uint32_t>(stars.size()));
      stars.push_back(placeAt(alt, 45));
    }
    const QPainterPath path = MapPaths::figures({{polyline}, {}}, stars);
    ASSERT_EQ(static_cast<size_t>(path.elementCount()), c.elements.size()) << c.name;
    for (size_t i = 0; i < c.elements.size(); ++i)
      EXPECT_EQ(path.elementAt(static_cast<int>(i)).type, c.elements[i]) << c.name << " " << i;
  }
}

TEST_F(MapDrawing, MilkyWayKeepsPointsBelowTheHorizon) {
  const QPainterPath path = MapPaths::milkyWay({placeAt(10, 0), placeAt(-20, 90), placeAt(10, 180), placeAt(5, 5)},
                                               {3, 4}, QPointF(-50, 0));
  EXPECT_EQ(path.elementCount(), 4);
  EXPECT_EQ(path.fillRule(), Qt::OddEvenFill);
  EXPECT_EQ(path.elementAt(3).type, QPainterPath::MoveToElement);
  EXPECT_NEAR(path.elementAt(1).x, 110, 1e-9);
}

// An outline around the nadir projects to a ring around the zenith; the band lies beyond it, so
// the zenith stays unfilled and the space between the ring and the nadir is filled.
TEST_F(MapDrawing, MilkyWayAroundTheNadirIsNotTurnedInsideOut) {
  std::vector<SkyPlace> ring;
  for (int az = 0; az < 360; az += 10)
    ring.push_back(placeAt(-30, az));
  const QPointF zenith(0, 0);
  const QPainterPath path = MapPaths::milkyWay(ring, {static_cast<uint32_t>(ring.size())}, zenith);
  EXPECT_FALSE(path.contains(zenith));
  EXPECT_TRUE(path.contains(QPointF(0, 150)));
  EXPECT_TRUE(path.contains(QPointF(-170, 0)));
}

// Cut to a rectangle, rings cover the same points inside it under the even-odd rule.
TEST_F(MapDrawing, ClippedRingsCoverTheSameArea) {
  QPainterPath rings;
  rings.setFillRule(Qt::OddEvenFill);
  rings.addPolygon(QPolygonF({{-50, -50}, {50, -50}, {50, 50}, {0, 0}, {-50, 50}}));  // concave, crosses the rectangle
  rings.addPolygon(QPolygonF({{-8, -30}, {8, -30}, {8, -20}, {-8, -20}}));           // a hole in it
  rings.addPolygon(QPolygonF({{60, 60}, {70, 60}, {70, 70}}));                       // outside the rectangle
  rings.addEllipse(QRectF(-200, -200, 400, 400));                                    // around everything
  const QRectF rect(-20, -40, 45, 50);
  const QPainterPath clipped = MapPaths::clipRings(rings, rect);
  EXPECT_LT(clipped.elementCount(), rings.elementCount());
  for (double y = rect.top() + 0.25; y < rect.bottom(); y += 1.5) {
    for (double x = rect.left() + 0.25; x < rect.right(); x += 1.5)
      ASSERT_EQ(clipped.contains(QPointF(x, y)), rings.contains(QPointF(x, y))) << x << "," << y;
  }
}

TEST_F(MapDrawing, GalacticPoleIsAboveTheHorizon) {
  for (const double latitude : {-60.0, 0.0, 48.2, 89.0}) {
    const QPointF pole = MapPaths::galacticPole(latitude, 16.37, 200);
    EXPECT_LE(std::hypot(pole.x(), pole.y()), 90.0) << latitude;
  }
}

TEST_F(MapDrawing, GridAndMarksFollowTheRotation) {
  auto map = emptyMap(1024);
  // North's red triangle lies below the zenith, beyond the horizon; a half turn takes it above.
  const auto redAt = [&](double rotation) {
    map->setRotation(rotation);
    const QImage image = render(*map);
    const QPointF inside = map->mapTransform().map(QPointF(0, -(90 + 15.0 * 210 / 1024)));
    EXPECT_EQ(image.pixelColor(inside.toPoint()), QColor(255, 0, 0)) << rotation;
    return inside;
  };
  EXPECT_GT(redAt(0).y(), 512 + 440);
  EXPECT_LT(redAt(180).y(), 512 - 440);
  EXPECT_GT(redAt(90).y(), 0) << "a quarter turn clockwise takes north to the left";
  EXPECT_LT(redAt(90).x(), 512 - 440);
}

}  // namespace
