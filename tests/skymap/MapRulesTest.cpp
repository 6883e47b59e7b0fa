// The sky map's pure arithmetic and rules: projection both ways, the map transform under rotation
// and mirroring, label texts, the field-of-view angle, the recomputation throttle and the size rule.
#include <gtest/gtest.h>

#include <QLineF>

#include <cmath>
#include <limits>

#include "skymap/MapGrid.h"
#include "skymap/MapNames.h"
#include "skymap/MapOverlay.h"
#include "skymap/MapProjection.h"
#include "skymap/PositionThrottle.h"

using namespace MapProjection;

TEST(MapProjection, MapPointsAndBack) {
  const double h = 30 * std::sqrt(0.5);
  const struct {
    double alt, az;
    QPointF expected;
  } rows[] = {{90, 123, {0, 0}},   {0, 0, {0, -90}},  {0, 90, {90, 0}},    {45, 180, {0, 45}},
              {30, 270, {-60, 0}}, {60, 45, {h, -h}}, {-10, 0, {0, -100}}, {0, -90, {-90, 0}}};
  for (const auto &r : rows) {
    SCOPED_TRACE(testing::Message() << r.alt << " " << r.az);
    EXPECT_LT(QLineF(mapPoint(r.alt, r.az), r.expected).length(), 1e-9);
    double alt = 0, az = 0;
    altAz(mapPoint(r.alt, r.az), alt, az);
    EXPECT_NEAR(alt, r.alt, 1e-9);
    EXPECT_NEAR(az, r.alt < 90 ? std::fmod(r.az + 360.0, 360.0) : az, 1e-7);  // the zenith has no azimuth
  }
}

// Scale 2, zenith at (100, 50): where the map point 10 east and 20 north of the zenith lands.
// Unrotated and unmirrored, north lies below the zenith on screen and east to its right; a
// positive rotation turns the picture clockwise.
TEST(MapProjection, TransformToViewAndBack) {
  const struct {
    double rotation, flipH, flipV;
    QPointF view;
  } rows[] = {{0, 1, 1, {120, 90}}, {0, -1, 1, {80, 90}},  {0, 1, -1, {120, 10}},  {0, -1, -1, {80, 10}},
              {90, 1, 1, {60, 70}}, {180, 1, 1, {80, 10}}, {270, 1, 1, {140, 30}}, {90, -1, 1, {140, 70}}};
  for (const auto &r : rows) {
    SCOPED_TRACE(testing::Message() << r.rotation << " " << r.flipH << " " << r.flipV);
    const Transform t{r.rotation, 2, r.flipH, r.flipV, QPointF(100, 50)};
    for (const QPointF view : {t.map(QPointF(10, -20)), t.toQTransform().map(QPointF(10, -20))})
      EXPECT_LT(QLineF(view, r.view).length(), 1e-9);
    EXPECT_LT(QLineF(t.unmap(r.view), QPointF(10, -20)).length(), 1e-9);
  }
  const Transform whole{0, 1024 / MAP_WIDTH, 1, 1, QPointF(512, 512)};
  EXPECT_NEAR(whole.map(mapPoint(0, 90)).x() - whole.map(mapPoint(0, 270)).x(), 1024.0 * 6 / 7, 1e-9);
  const QRectF r = unmapRect(Transform{45, 2, 1, 1, {}}, QRectF(-10, -10, 20, 20));  // the turned corners
  EXPECT_NEAR(r.width(), 10 * std::sqrt(2.0), 1e-9);
}

TEST(MapRules, LabelsAndFrameAngle) {
  for (const auto &[azimuth, text] : {std::pair<int, QString>{45, "NE"},
                                      {90, "E"},
                                      {135, "SE"},
                                      {225, "SW"},
                                      {270, "W"},
                                      {315, "NW"},
                                      {345, QString("345") + QChar(0xB0)}})
    EXPECT_EQ(MapGrid::azimuthLabel(azimuth), text) << azimuth;
  for (auto [width, magnitude] : {std::pair{512.0, 1}, {1023, 1}, {1024, 2}, {2048, 3}, {2896, 3}, {2897, 4}})
    EXPECT_EQ(MapNames::labelMagnitude(width), magnitude) << width;
  for (const auto &[name, text] : {std::pair<QString, QString>{"NGC224, M31, Andromeda Galaxy", "Andromeda Galaxy"},
                                   {QString::fromUtf8("τ Phoenicis"), QString::fromUtf8("τ Phoenicis")}})
    EXPECT_EQ(MapNames::labelText(name), text);
  // camera angle + 15 (LST - ra) + 180
  const struct {
    double angle, ra, lst, expected;
  } frames[] = {{0, 12, 0, 0}, {90, 12, 0, 90}, {0, 0, 0, 180}, {0, 5, 3, 150}};
  for (const auto &f : frames) EXPECT_DOUBLE_EQ(MapView::Overlay::frameAngle(f.angle, f.ra, f.lst), f.expected);
}

// Every call of a sequence with the throttle's answer and its recorded time afterwards.
TEST(MapRules, RecomputationThrottle) {
  constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double lat, lon, now;
    bool admitted;
    double last;
  } calls[][4] = {{{0, 0, 1000, true, 1000}},  // the start site at once
                  {{48, 11, 1000, true, 0},
                   {48, 11, 1000.1, true, 1000.1},
                   {48, 11, 1005.09, false, 1000.1},
                   {48, 11, 1005.1, true, 1005.1}},
                  {{48, 11, 1000, true, 0},
                   {48, 11, 1000, true, 1000},
                   {48, 12, 1000.1, true, 1000},
                   {48, 12, 1000.2, false, 1000}},
                  {{NaN, 11, 1000, true, 0}, {NaN, 11, 1000, true, 0}, {NaN, 11, 1000.1, true, 0}}};
  for (const auto &sequence : calls) {
    double lat = 0, lon = 0, elev = 0, last = 0;
    PositionThrottle throttle{lat, lon, elev, last};
    for (const auto &c : sequence)  // an empty call ends a sequence
      EXPECT_TRUE(c.now == 0 || (throttle.admit(c.lat, c.lon, 0, c.now) == c.admitted && last == c.last))
          << c.lat << " " << c.now;
  }
}

TEST(MapRules, DiameterFromMagnitudeOrSize) {
  const struct {
    float mag, arcmin, expected;
  } rows[] = {{0, 0, 1}, {-3, 0, 1}, {5, 0, 0.18593f}, {8, 0, 0.06776f}, {5, 30, 0.5f}, {5, 300, 5}};
  for (const auto &r : rows)
    EXPECT_NEAR(SkyObject::diameterFor(r.mag, r.arcmin), r.expected, 1e-5f) << r.mag << " " << r.arcmin;
  EXPECT_TRUE(std::isnan(SkyObject::diameterFor(5, NAN)));
}
