// The sky map's rules that need no widget: zoom range, rotation arithmetic, centring choice,
// label texts and sizes, the field-of-view angle and the tiled star layer's culling.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "skymap/MapGrid.h"
#include "skymap/MapInteraction.h"
#include "skymap/MapNames.h"
#include "skymap/MapOverlay.h"
#include "skymap/TiledDiscs.h"

namespace {

TEST(MapRules, ZoomRange) {
  const std::pair<double, bool> cases[] = {{9.0, true}, {12.9, true}, {10, true},   {13.0, false},
                                           {8.99, false}, {-1, false}, {NAN, false}, {INFINITY, false}};
  for (auto [zoom, accepted] : cases)
    EXPECT_EQ(MapInteraction::acceptsZoom(zoom), accepted) << zoom;
}

TEST(MapRules, RotationNormalisation) {
  const std::pair<double, double> cases[] = {{-15, 345}, {370, 10}, {0, 0}, {360, 0}, {359.5, 359.5}, {-360, 0}};
  for (auto [given, stored] : cases)
    EXPECT_DOUBLE_EQ(MapInteraction::normalizedRotation(given), stored) << given;
}

TEST(MapRules, RotationStepsSnapToFifteen) {
  struct Case {
    double from, step, to;  // `to` before normalisation
  } cases[] = {{345, 15, 360}, {0, 15, 15}, {7.5, 15, 15}, {7.5, -15, 0}, {352.5, 15, 360}, {352.5, -15, 330}, {0, -15, -15}};
  for (const Case &c : cases) {
    EXPECT_DOUBLE_EQ(MapInteraction::rotationStep(c.from, c.step), c.to) << c.from << " " << c.step;
  }
  EXPECT_DOUBLE_EQ(MapInteraction::normalizedRotation(MapInteraction::rotationStep(345, 15)), 0);
}

TEST(MapRules, CenterActionAlternates) {
  const auto selection = std::make_shared<MapEntry>();
  const auto position = std::make_shared<MapEntry>();
  using MapInteraction::centerTarget;
  EXPECT_EQ(centerTarget(nullptr, selection, position), selection);
  EXPECT_EQ(centerTarget(nullptr, nullptr, position), position);
  EXPECT_EQ(centerTarget(nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(centerTarget(position, nullptr, position), nullptr);
  EXPECT_EQ(centerTarget(selection, selection, position), position);
  EXPECT_EQ(centerTarget(position, selection, position), selection);
}

TEST(MapRules, AzimuthLabels) {
  const std::pair<int, QString> cases[] = {{45, "NE"}, {90, "E"},  {135, "SE"}, {225, "SW"},
                                           {270, "W"}, {315, "NW"}, {30, QString("30") + QChar(0xB0)},
                                           {345, QString("345") + QChar(0xB0)}};
  for (const auto &[azimuth, text] : cases)
    EXPECT_EQ(MapGrid::azimuthLabel(azimuth), text) << azimuth;
}

TEST(MapRules, LabelMagnitudeGrowsWithTheMap) {
  const std::pair<double, int> cases[] = {{512, 1}, {1023, 1}, {1024, 2}, {2047, 2}, {2048, 3}, {2896, 3}, {2897, 4}, {8000, 4}};
  for (auto [width, magnitude] : cases)
    EXPECT_EQ(MapNames::labelMagnitude(width), magnitude) << width;
}

TEST(MapRules, LabelTextIsTheLastPieceOfTheName) {
  const std::pair<QString, QString> cases[] = {
      {QString::fromUtf8("α Andromedae, Alpheratz"), "Alpheratz"},
      {"NGC224, M31, Andromeda Galaxy", "Andromeda Galaxy"},
      {QString::fromUtf8("τ Phoenicis"), QString::fromUtf8("τ Phoenicis")},
      {"NGC7000", "NGC7000"}};
  for (const auto &[name, text] : cases)
    EXPECT_EQ(MapNames::labelText(name), text) << name.toStdString();
}

TEST(MapRules, FieldOfViewTurnsWithTheHourAngle) {
  // φ + 15 (LST − ra) + 180
  EXPECT_DOUBLE_EQ(MapView::Overlay::frameAngle(0, 12, 0), 0);
  EXPECT_DOUBLE_EQ(MapView::Overlay::frameAngle(90, 12, 0), 90);
  EXPECT_DOUBLE_EQ(MapView::Overlay::frameAngle(0, 0, 0), 180);
  // One hour of sidereal time (a longitude 15 degrees east) turns it by 15 degrees.
  EXPECT_DOUBLE_EQ(MapView::Overlay::frameAngle(0, 5, 3) - MapView::Overlay::frameAngle(0, 5, 2), 15);
}

// Fills of the tiled layer: only discs near the exposed rectangle are painted, and the painted
// pixels there are those of the discs.
TEST(MapRules, TiledDiscsDrawOnlyNearTheExposedArea) {
  TiledDiscs discs;
  discs.addDisc(QPointF(-50, -50), 4);
  discs.addDisc(QPointF(50, 50), 4);
  EXPECT_EQ(discs.discs(), 2);
  QImage image(200, 200, QImage::Format_ARGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.translate(100, 100);
    discs.fill(painter, QRectF(-60, -60, 20, 20), Qt::black);
  }
  EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::black));   // the disc at (-50, -50)
  EXPECT_EQ(image.pixelColor(150, 150), QColor(Qt::white)); // culled
  EXPECT_EQ(image.pixelColor(60, 60), QColor(Qt::white));   // outside both discs
}

TEST(MapRules, TiledDiscsKeepDiscsOutsideTheGridAtTheEdge) {
  TiledDiscs discs(10, 4);
  discs.addDisc(QPointF(25, -25), 2);
  QImage image(100, 100, QImage::Format_ARGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.translate(50, 50);
    discs.fill(painter, QRectF(20, -30, 10, 10), Qt::black);
  }
  EXPECT_EQ(image.pixelColor(75, 25), QColor(Qt::black));
}

}  // namespace
