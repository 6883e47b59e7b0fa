// The sky map under the user's hands, in the mount widget's scroll area: clicks select, actions
// and gestures zoom and rotate, centring scrolls, search results are positioned and selected.
#include <gtest/gtest.h>

#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

#include "MapFixtures.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "skymap/MapOverlay.h"
#include "skymap/MapProjection.h"

namespace {

struct RecordingDelegate : MapViewDelegate {
  std::vector<MapEntryPtr> selected, history;
  void selectedWithEntry(const MapEntryPtr &entry) override { selected.push_back(entry); }
  void addHistoryWithEntry(const MapEntryPtr &entry) override { history.push_back(entry); }
};

// Records which position routine ran and for which site.
struct RecordingEntry : MapEntry {
  std::string routine;
  double latitude = 0;
  void updateStar(double lat, double, double) override { routine = "star", latitude = lat; }
  void updatePlanet(double lat, double, double) override { routine = "planet", latitude = lat; }
};

class MapInteraction : public testing::Test {
protected:
  void SetUp() override {
    defaults().clear();
    star = sky.addStar(60, 120, 1, 1);
    deepSky = sky.addDeepSky(40, 200, 1, 1);
    body = sky.addBody(30, 250, -2, 1, 5);
    owned = sky.map(1024);
    map = owned.get();
    map->setDelegate(&delegate);
    area.setFixedSize(377 + 2 * area.frameWidth(), 290 + 2 * area.frameWidth());
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setWidget(owned.release());
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
  }

  // The map point at the middle of the visible area.
  QPointF visibleCenter() const {
    const QRectF visible(map->mapFrom(area.viewport(), QPoint(0, 0)), area.viewport()->size());
    return map->mapTransform().unmap(visible.center());
  }

  void gesture(Qt::NativeGestureType type, double value) {
    QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 1, QPointF(100, 100),
                              QPointF(100, 100), QPointF(100, 100), value, QPointF());
    QApplication::sendEvent(map, &event);
  }

  TestSky sky;
  SkyRef star{}, deepSky{}, body{};
  RecordingDelegate delegate;
  std::unique_ptr<MapView> owned;
  MapView *map = nullptr;
  QScrollArea area;
};

TEST_F(MapInteraction, ClickSelectsTheObjectDrawnThere) {
  render(*map);
  for (const SkyRef ref : {star, deepSky, body}) {
    const SkyPlace &place = map->places().of(ref.list)[ref.index];
    map->centerOn(placedEntry(place.alt, place.az));
    const QPoint click = viewPoint(*map, ref).toPoint();
    EXPECT_EQ(area.viewport()->childAt(map->mapTo(area.viewport(), click)), map) << "the overlay lets clicks through";
    QTest::mouseClick(map, Qt::LeftButton, {}, click);
    ASSERT_NE(map->selection(), nullptr);
    EXPECT_EQ(map->selection()->source, ref);
    EXPECT_EQ(map->selection()->alt, place.alt);
    ASSERT_FALSE(delegate.selected.empty());
    EXPECT_EQ(delegate.selected.back(), map->selection());
  }
  QTest::mouseClick(map, Qt::RightButton, {}, QPoint(10, 10));
  EXPECT_EQ(map->selection(), nullptr);
  EXPECT_EQ(delegate.selected.back(), nullptr) << "clearing reaches the delegate too";
}

TEST(MapHitTest, TakesTheNearestDrawnObjectWithinOneDegree) {
  TestSky sky;
  sky.addStar(45, 0, 9);                           // too faint to be drawn
  const SkyRef star = sky.addStar(45, 0);          // map point (0, -45)
  sky.addDeepSky(45, 0);                           // a tie goes to the first in the order stars,
  auto map = sky.map();                            // deep-sky objects, bodies
  render(*map);
  const auto hit = [&](QPointF p) { const MapEntryPtr e = map->entryAt(p); return e ? e->source : std::nullopt; };
  EXPECT_EQ(hit(QPointF(1.0, -45)), std::nullopt) << "exactly one unit away";
  EXPECT_EQ(hit(QPointF(0.99, -45)), star);
  EXPECT_EQ(hit(QPointF(0, -45.5)), star);
  EXPECT_EQ(hit(QPointF(0, -45)), star);
}

TEST_F(MapInteraction, ZoomSetterAcceptsOnlyItsRange) {
  struct Case {
    double zoom;
    int width;
  } cases[] = {{12.9, 7643}, {13.0, 7643}, {8.99, 7643}, {9, 512}, {10, 1024}};
  for (const Case &c : cases) {
    map->setZoom(c.zoom);
    EXPECT_EQ(map->width(), c.width) << c.zoom;
    EXPECT_EQ(map->height(), c.width) << c.zoom;
    EXPECT_EQ(map->findChild<MapView::Overlay *>()->size(), map->size()) << c.zoom;
  }
  EXPECT_DOUBLE_EQ(defaults().value("zoom").toDouble(), 10);
  map->setZoom(12.5);
  map->setZoom(map->zoom() + 0.5);
  EXPECT_EQ(map->width(), 5793) << "zoom in from 12.5 does nothing";
}

TEST_F(MapInteraction, ZoomKeepsTheVisibleCentre) {
  map->centerOn(placedEntry(50, 70));
  const QPointF before = visibleCenter();
  map->setZoom(11.5);
  const QPointF after = visibleCenter();
  EXPECT_NEAR(after.x(), before.x(), 0.1);
  EXPECT_NEAR(after.y(), before.y(), 0.1);
  EXPECT_NEAR(defaults().value("centerX").toDouble(), before.x(), 0.2);
}

TEST_F(MapInteraction, ButtonsAndMenuItemsZoomAndRotate) {
  QPushButton in, out, cw, ccw, stranger;
  QAction cwMenu;
  MapView::Controls controls;
  controls.zoomIn = &in;
  controls.zoomOut = &out;
  controls.rotateCW = &cw;
  controls.rotateCCW = &ccw;
  controls.rotateCWMenu = &cwMenu;
  map->setControls(controls);
  for (QPushButton *button : {&in, &out, &stranger}) {
    QObject::connect(button, &QPushButton::clicked, map, [this, button] { map->zoomAction(button); });
    QObject::connect(button, &QPushButton::clicked, map, [this, button] { map->rotateAction(button); });
  }
  QObject::connect(&cw, &QPushButton::clicked, map, [this, b = &cw] { map->rotateAction(b); });
  QObject::connect(&ccw, &QPushButton::clicked, map, [this, b = &ccw] { map->rotateAction(b); });
  QTest::mouseClick(&in, Qt::LeftButton);
  EXPECT_NEAR(map->zoom(), 10.5, 1e-3);
  QTest::mouseClick(&out, Qt::LeftButton);
  EXPECT_NEAR(map->zoom(), 10.0, 1e-3);
  QTest::mouseClick(&stranger, Qt::LeftButton);
  EXPECT_NEAR(map->zoom(), 10.0, 1e-3);
  EXPECT_DOUBLE_EQ(map->rotation(), 0);

  QTest::mouseClick(&ccw, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(map->rotation(), 345);
  QTest::mouseClick(&cw, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(map->rotation(), 0);
  map->rotateAction(&cwMenu);
  EXPECT_DOUBLE_EQ(map->rotation(), 15);
  EXPECT_DOUBLE_EQ(defaults().value("rotation").toDouble(), 15);

  // With one axis mirrored the clockwise action counts down (and still turns the picture clockwise).
  UserDefaults::write(Setting::FLIP_MAP_HORIZONTALLY, true);
  renderAfresh(*map);
  map->rotateAction(&cw);
  EXPECT_DOUBLE_EQ(map->rotation(), 0);
  map->rotateAction(nullptr);
  EXPECT_DOUBLE_EQ(map->rotation(), 0);
}

TEST_F(MapInteraction, GesturesZoomAndRotate) {
  gesture(Qt::ZoomNativeGesture, 0.25);
  EXPECT_NEAR(map->zoom(), 10.05, 1e-3);
  map->magnifyWithEvent(0.25, MapView::GesturePhase::Began);
  map->magnifyWithEvent(0.25, MapView::GesturePhase::Ended);
  EXPECT_NEAR(map->zoom(), 10.05, 1e-3) << "only the changed phase zooms";

  map->rotateWithEvent(10, MapView::GesturePhase::Changed);  // anticlockwise
  EXPECT_DOUBLE_EQ(map->rotation(), 350);
  gesture(Qt::RotateNativeGesture, 5);  // Qt reports clockwise turns as positive
  EXPECT_DOUBLE_EQ(map->rotation(), 355);
  map->rotateWithEvent(10, MapView::GesturePhase::Ended);
  EXPECT_DOUBLE_EQ(map->rotation(), 355);
}

TEST_F(MapInteraction, CtrlWheelZooms) {
  const auto wheel = [&](Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(QPointF(50, 50), map->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(map, &event);
  };
  wheel(Qt::NoModifier);
  EXPECT_NEAR(map->zoom(), 10.0, 1e-3) << "a plain wheel is left to the scroll area";
  wheel(Qt::ControlModifier);
  EXPECT_NEAR(map->zoom(), 9.9, 1e-3);
}

TEST_F(MapInteraction, CentringScrollsTheEntryToTheMiddle) {
  const MapEntryPtr selection = placedEntry(30, 300);
  const MapEntryPtr position = placedEntry(60, 100);
  const QPoint start(area.horizontalScrollBar()->value(), area.verticalScrollBar()->value());
  map->centerAction(nullptr);
  EXPECT_EQ(map->centered(), nullptr);
  EXPECT_EQ(QPoint(area.horizontalScrollBar()->value(), area.verticalScrollBar()->value()), start)
      << "nothing to centre on: nothing scrolls";

  map->setSelection(selection);
  map->setPosition(position);
  for (const MapEntryPtr &expected : {selection, position, selection}) {
    map->centerAction(nullptr);
    EXPECT_EQ(map->centered(), expected);
    const QPointF middle = visibleCenter();
    const QPointF wanted = MapProjection::mapPoint(expected->alt, expected->az);
    EXPECT_NEAR(middle.x(), wanted.x(), 0.3);
    EXPECT_NEAR(middle.y(), wanted.y(), 0.3);
  }
}

TEST_F(MapInteraction, SearchResultsArePositionedForTheLastSiteAndSelected) {
  const auto planet = std::make_shared<RecordingEntry>();
  planet->source = body;
  const auto other = std::make_shared<RecordingEntry>();
  map->update(48.5, 0, 0);
  for (const auto &[entry, routine] : {std::pair{planet, "planet"}, std::pair{other, "star"}}) {
    map->select(entry);
    EXPECT_EQ(entry->routine, routine);
    EXPECT_EQ(entry->latitude, 48.5);
    EXPECT_EQ(map->selection(), entry);
    EXPECT_EQ(delegate.history.back(), entry);
  }
  map->select(nullptr);
  EXPECT_EQ(map->selection(), other) << "no entry does nothing";
}

// A map made from a form restores zoom and rotation at once and the visible centre a second later.
TEST(MapFromForm, RestoresZoomRotationAndCentre) {
  defaults().clear();
  defaults().setValue("zoom", 11.0);
  defaults().setValue("rotation", -30.0);
  defaults().setValue("centerX", 20.0);
  defaults().setValue("centerY", -35.0);
  QScrollArea area;
  area.setFixedSize(377, 290);
  auto *map = new MapView();
  EXPECT_EQ(map->width(), 2048);
  EXPECT_DOUBLE_EQ(map->rotation(), 330);
  area.setWidget(map);
  area.show();
  const auto middle = [&] {
    const QRectF visible(map->mapFrom(area.viewport(), QPoint(0, 0)), area.viewport()->size());
    return map->mapTransform().unmap(visible.center());
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return std::hypot(middle().x() - 20, middle().y() + 35) < 0.5; }, 3000));
}

}  // namespace
