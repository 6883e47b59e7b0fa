// The map's arithmetic: altitude and azimuth to map points, map points to view points and back,
// under rotation and mirroring.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>

#include "skymap/MapProjection.h"

using namespace MapProjection;

namespace {

constexpr double EPS = 1e-9;

// The case's name with everything but letters and digits turned into "_".
template <typename Case>
std::string caseName(const testing::TestParamInfo<Case> &info) {
  std::string name = info.param.name;
  for (char &ch : name) {
    if (!std::isalnum(static_cast<unsigned char>(ch)))
      ch = '_';
  }
  return name;
}

struct MapPointCase {
  const char *name;
  double alt, az;
  QPointF expected;
};

class MapPointTest : public testing::TestWithParam<MapPointCase> {};

TEST_P(MapPointTest, PlacesAltitudeAndAzimuthAndBack) {
  const MapPointCase &c = GetParam();
  const QPointF p = mapPoint(c.alt, c.az);
  EXPECT_NEAR(p.x(), c.expected.x(), EPS) << c.name;
  EXPECT_NEAR(p.y(), c.expected.y(), EPS) << c.name;
  if (c.alt < 90) {  // the zenith has no azimuth
    double alt = 0, az = 0;
    altAz(p, alt, az);
    EXPECT_NEAR(alt, c.alt, EPS) << c.name;
    EXPECT_NEAR(az, std::fmod(c.az + 360.0, 360.0), 1e-7) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Projection, MapPointTest,
    testing::Values(MapPointCase{"zenith", 90, 123, {0, 0}},
                    MapPointCase{"north horizon", 0, 0, {0, -90}},
                    MapPointCase{"east horizon", 0, 90, {90, 0}},
                    MapPointCase{"south at 45", 45, 180, {0, 45}},
                    MapPointCase{"west at 30", 30, 270, {-60, 0}},
                    MapPointCase{"north-east at 60", 60, 45, {30 * std::sqrt(0.5), -30 * std::sqrt(0.5)}},
                    MapPointCase{"below the horizon", -10, 0, {0, -100}},
                    MapPointCase{"negative azimuth", 0, -90, {-90, 0}}),
    caseName<MapPointCase>);

struct TransformCase {
  const char *name;
  double rotation, flipH, flipV;
  QPointF mapped;    // where the map point (10, -20) lands, view points
};

class TransformTest : public testing::TestWithParam<TransformCase> {};

// Scale 2, zenith at (100, 50): the point 10 units east and 20 north of the zenith.
TEST_P(TransformTest, MapsToViewAndBack) {
  const TransformCase &c = GetParam();
  Transform t;
  t.rotation = c.rotation;
  t.scale = 2;
  t.flipHorizontally = c.flipH;
  t.flipVertically = c.flipV;
  t.translation = QPointF(100, 50);
  const QPointF view = t.map(QPointF(10, -20));
  EXPECT_NEAR(view.x(), c.mapped.x(), EPS) << c.name;
  EXPECT_NEAR(view.y(), c.mapped.y(), EPS) << c.name;
  const QPointF back = t.unmap(view);
  EXPECT_NEAR(back.x(), 10, EPS) << c.name;
  EXPECT_NEAR(back.y(), -20, EPS) << c.name;
  // The Qt form agrees with the arithmetic.
  const QPointF viaQt = t.toQTransform().map(QPointF(10, -20));
  EXPECT_NEAR(viaQt.x(), view.x(), EPS) << c.name;
  EXPECT_NEAR(viaQt.y(), view.y(), EPS) << c.name;
}

// Unrotated and unmirrored, north (-y) lies below the zenith on screen and east to its right.
INSTANTIATE_TEST_SUITE_P(
    Projection, TransformTest,
    testing::Values(TransformCase{"plain", 0, 1, 1, {120, 90}},
                    TransformCase{"mirrored horizontally", 0, -1, 1, {80, 90}},
                    TransformCase{"mirrored vertically", 0, 1, -1, {120, 10}},
                    TransformCase{"mirrored both", 0, -1, -1, {80, 10}},
                    // A quarter turn clockwise on screen: what was below goes to the left.
                    TransformCase{"rotated 90", 90, 1, 1, {60, 70}},
                    TransformCase{"rotated 180", 180, 1, 1, {80, 10}},
                    TransformCase{"rotated 270", 270, 1, 1, {140, 30}},
                    TransformCase{"rotated 90 and mirrored", 90, -1, 1, {140, 70}}),
    caseName<TransformCase>);

TEST(Projection, HorizonSpansSixSeventhsOfTheWidth) {
  Transform t;
  t.scale = 1024 / MAP_WIDTH;
  t.translation = QPointF(512, 512);
  EXPECT_NEAR(t.map(mapPoint(0, 90)).x() - t.map(mapPoint(0, 270)).x(), 1024.0 * 6 / 7, 1e-9);
}

TEST(Projection, UnmapRectCoversTheRotatedCorners) {
  Transform t;
  t.rotation = 45;
  t.scale = 2;
  t.translation = QPointF(0, 0);
  const QRectF r = unmapRect(t, QRectF(-10, -10, 20, 20));
  const double half = 10 * std::sqrt(2.0) / 2;
  EXPECT_NEAR(r.left(), -half, 1e-9);
  EXPECT_NEAR(r.right(), half, 1e-9);
}

}  // namespace
