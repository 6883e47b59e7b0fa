// The sky map widget over a sky of hand-placed objects: what a drawing pass draws (and so can be
// clicked), the layers' paths, the user's hands, the overlay's marks, the recomputation of places,
// and a paint of part of the shipped sky.
#include <gtest/gtest.h>

#include <QNativeGestureEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QProcess>
#include <QScrollArea>
#include <QSettings>
#include <QTest>

#include <kestor.h>

#include "EventLoopWait.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "skymap/MapOverlay.h"
#include "skymap/MapPaths.h"
#include "skymap/MapView.h"

namespace {

SkyPlace placeAt(double alt, double az) { return {.alt = alt, .az = az}; }

// Whether a pixel within one of the point has (about) the colour, and is not faint.
bool near(const QImage &image, QPoint point, const QColor &colour) {
  for (int i = 0; i < 9; ++i) {
    const QColor c = image.pixelColor(point + QPoint(i % 3 - 1, i / 3 - 1));
    if (c.alpha() > 90 &&
        std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) + std::abs(c.blue() - colour.blue()) <=
            12)
      return true;
  }
  return false;
}

// Counts the paint events of the widgets it filters.
struct PaintCounter : QObject {
  bool eventFilter(QObject *, QEvent *event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
  int paints = 0;
};

class MapViewTest : public testing::Test, public MapViewDelegate {
protected:
  void SetUp() override { defaults().clear(); }
  // Adds an object standing at the altitude and azimuth (its first place on the map).
  SkyRef add(SkyList list, double alt, double az, float mag = 1, float diameter = 1, int id = 0) {
    auto &objects = list == SkyList::Stars ? model.stars : list == SkyList::DeepSky ? model.deepSky : model.bodies;
    auto &placed = list == SkyList::Stars ? places.stars : list == SkyList::DeepSky ? places.deepSky : places.bodies;
    objects.push_back(SkyObject{.mag = mag, .diameter = diameter, .id = id}), placed.push_back(placeAt(alt, az));
    return {list, static_cast<uint32_t>(objects.size() - 1)};
  }
  // A map 1024 points wide of the objects added so far.
  void makeMap() {
    auto sky = std::make_shared<SkyModel>(model);
    sky->initialPlaces = std::make_shared<SkyPlaces>(places);
    map = std::make_unique<MapView>(QRect(0, 0, 1024, 1024), sky);
    map->setDelegate(this);
  }
  // One drawing pass of a part of the map (all of it by default) into an image.
  QImage render(QRect part = {}) {
    part = part.isNull() ? map->rect() : part;
    QImage image(part.size(), QImage::Format_ARGB32);
    QPainter painter(&image);
    painter.translate(-part.topLeft());
    map->draw(painter, part);
    return image;
  }
  const SkyPlace &placeOf(SkyRef ref) const { return map->places().of(ref.list)[ref.index]; }
  QPointF mapPoint(SkyRef ref) const { return MapProjection::mapPoint(placeOf(ref).alt, placeOf(ref).az); }
  QPoint onView(QPointF mapPoint) const { return map->mapTransform().map(mapPoint).toPoint(); }
  // Whether the latest drawing pass drew the object: a click on it selects it.
  bool drawn(SkyRef ref) const { return map->entryAt(mapPoint(ref)) && map->entryAt(mapPoint(ref))->source == ref; }
  void selectedWithEntry(const MapEntryPtr &entry) override { selected.push_back(entry); }
  void addHistoryWithEntry(const MapEntryPtr &entry) override { history.push_back(entry); }

  SkyModel model;
  SkyPlaces places;
  std::unique_ptr<MapView> map;
  std::vector<MapEntryPtr> selected, history;
};

}  // namespace

TEST_F(MapViewTest, ObjectsAreDrawnByAltitudeMagnitudeAndSize) {  // and in their colours
  // At 1024 points a map unit is 1024 / 210 points, so a point is about 0.205 units.
  const struct {
    const char *name;
    double alt;
    float mag, diameter;
    bool star, deepSky;
  } rows[] = {{"bright and high", 45, 4.99f, 1, true, true},
              {"at the magnitude limit", 45, 5.0f, 1, false, true},
              {"on the horizon", 0, 1, 1, true, true},
              {"just below the horizon", -0.01, 1, 1, false, false},
              {"smaller than a point", 45, 1, 0.2f, false, false},
              {"just a point", 45, 1, 0.21f, true, true},
              {"too faint until the limit is raised", 45, 7.5f, 1, false, true},
              {"too small until zoomed in", 45, 1, 0.15f, false, false}};
  std::vector<std::pair<SkyRef, SkyRef>> refs;
  for (size_t i = 0; i < std::size(rows); ++i)
    refs.emplace_back(add(SkyList::Stars, rows[i].alt, 20.0 * i, rows[i].mag, rows[i].diameter),
                      add(SkyList::DeepSky, rows[i].alt, 20.0 * i + 10, rows[i].mag, rows[i].diameter));
  // Bodies are red, the Sun yellow and the Moon grey, but never below the horizon.
  const SkyRef jupiter = add(SkyList::Bodies, 70, 90, -2.9f, 1, 5), moon = add(SkyList::Bodies, 70, 270, -12, 5, 11);
  const SkyRef sun = add(SkyList::Bodies, 70, 180, -26, 5, 10), set = add(SkyList::Bodies, -5, 0, -26, 5, 10);
  makeMap();
  const QImage image = render();
  for (const auto &[body, colour] :
       {std::pair{jupiter, QColor(255, 0, 0)}, {sun, QColor(255, 255, 0)}, {moon, QColor(170, 170, 170)}})
    EXPECT_EQ(image.pixelColor(onView(mapPoint(body))), colour);
  EXPECT_FALSE(drawn(set));
  for (size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(drawn(refs[i].first), rows[i].star) << rows[i].name;
    EXPECT_EQ(drawn(refs[i].second), rows[i].deepSky) << rows[i].name;
  }
  UserDefaults::write(Setting::MAGNITUDE_LIMIT, 8);  // takes effect when written
  render();
  EXPECT_TRUE(drawn(refs[6].first));
  map->setZoom(11);  // 2048 points: a point is about 0.1 units
  render();
  EXPECT_TRUE(drawn(refs[7].first));
}

TEST_F(MapViewTest, FiguresAndMilkyWay) {
  // Figures leave out stars below the horizon.
  for (const auto &[altitudes, elements] :
       {std::pair{std::vector{10, 20, 30}, 3}, {{10, -5, 30}, 2}, {{-5, 20, 30}, 2}, {{-5, -6}, 0}}) {
    std::vector<SkyPlace> stars;
    std::vector<uint32_t> line;
    for (int alt : altitudes) line.push_back(static_cast<uint32_t>(stars.size())), stars.push_back(placeAt(alt, 45));
    EXPECT_EQ(MapPaths::figures({{line}}, stars).elementCount(), elements);
  }
  // An outline around the nadir projects to a ring around the zenith: the band lies beyond it.
  std::vector<SkyPlace> ring;
  for (int az = 0; az < 360; az += 10) ring.push_back(placeAt(-30, az));
  const QPainterPath band = MapPaths::milkyWay(ring, {static_cast<uint32_t>(ring.size())}, QPointF(0, 0));
  EXPECT_FALSE(band.contains(QPointF(0, 0)));
  EXPECT_TRUE(band.contains(QPointF(0, 150)) && band.contains(QPointF(-170, 0)));
}

// In the mount widget's small scroll area: clicks select the nearest object drawn within a
// degree, zoom keeps the visible centre, gestures and the wheel zoom and turn, search results
// are placed for the last site and selected.
TEST_F(MapViewTest, UnderTheUsersHands) {
  const SkyRef refs[] = {add(SkyList::Stars, 60, 120), add(SkyList::Stars, 45, 0),
                         add(SkyList::Bodies, 30, 250, -2, 1, 5)};
  add(SkyList::DeepSky, 45, 0);   // a tie goes to the star
  add(SkyList::Stars, 45, 2, 9);  // too faint to be drawn
  makeMap();
  QScrollArea area;
  area.setFixedSize(377, 290), area.setWidget(map.get()), area.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
  const auto visibleCenter = [&] {
    return map->mapTransform().unmap(QRectF(map->mapFrom(area.viewport(), QPoint()), area.viewport()->size()).center());
  };
  render();
  for (const SkyRef ref : refs) {
    map->centerOn(std::make_shared<MapEntry>(SkyObject{}, placeOf(ref)));
    const QPoint click = onView(mapPoint(ref));
    EXPECT_EQ(area.viewport()->childAt(map->mapTo(area.viewport(), click)), map.get()) << "not the overlay";
    QTest::mouseClick(map.get(), Qt::LeftButton, {}, click);
    ASSERT_TRUE(map->selection() && map->selection()->source == ref);
    EXPECT_EQ(selected.back(), map->selection());
  }
  EXPECT_EQ(map->entryAt(QPointF(1.0, -45)), nullptr) << "exactly one unit away";
  EXPECT_EQ(map->entryAt(QPointF(0.99, -45))->source, refs[1]);
  QTest::mouseClick(map.get(), Qt::RightButton, {}, QPoint(10, 10));
  EXPECT_EQ(selected.back(), nullptr);

  const QPointF before = visibleCenter();
  for (const auto &[zoom, width] :
       {std::pair{11.5, 2896}, {13.0, 2896}, {8.99, 2896}, {NAN, 2896}, {9, 512}, {10, 1024}}) {
    map->setZoom(zoom);
    EXPECT_EQ(map->size(), QSize(width, width)) << zoom;
    EXPECT_EQ(map->findChild<MapView::Overlay *>()->size(), map->size()) << zoom;
    EXPECT_TRUE(zoom != 11.5 || (visibleCenter() - before).manhattanLength() < 0.2);
  }
  QNativeGestureEvent pinch(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 1, {}, {}, {}, 0.25, {});
  QApplication::sendEvent(map.get(), &pinch);
  map->magnifyWithEvent(0.25, MapView::GesturePhase::Ended);            // only the changed phase zooms
  for (const auto modifiers : {Qt::NoModifier, Qt::ControlModifier}) {  // a plain wheel is left to the scroll area
    QWheelEvent wheel({50, 50}, {}, {}, {0, -120}, Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(map.get(), &wheel);
  }
  EXPECT_NEAR(map->zoom(), 9.95, 1e-3);
  QNativeGestureEvent turn(Qt::RotateNativeGesture, QPointingDevice::primaryPointingDevice(), 1, {}, {}, {}, 5, {});
  QApplication::sendEvent(map.get(), &turn);                 // clockwise: Qt counts it positive
  map->rotateWithEvent(10, MapView::GesturePhase::Changed);  // anticlockwise
  EXPECT_DOUBLE_EQ(defaults().value("rotation").toDouble(), 355);
  UserDefaults::write(Setting::FLIP_MAP_HORIZONTALLY, true);  // mirrored, the picture turns the same way
  map->rotateWithEvent(10, MapView::GesturePhase::Changed);
  EXPECT_DOUBLE_EQ(map->rotation(), 5);

  const auto moon = std::make_shared<MapEntry>(SkyObject{.id = 11}, SkyPlace{}, refs[2]);
  MapEntry expected = *moon;
  map->update(48.5, 0, 0);
  map->select(moon);
  expected.updatePlanet(48.5, 0, 0);
  EXPECT_NEAR(moon->ra, expected.ra, 1e-4);  // within a few seconds' motion of the Moon
  EXPECT_EQ(map->selection(), moon);
  EXPECT_EQ(history, std::vector<MapEntryPtr>{moon});
  area.takeWidget();
}

// The "+" on the selection and the "x" on the mount's position with its field of view, in the
// live colours, at a constant size on screen; a field of view written by another process while
// the map is shown is drawn at the next paint.
TEST_F(MapViewTest, OverlayMarksTheSelectionAndThePosition) {
  kestor_set_astro_time(2461381.4166666665);
  const auto saved = std::tuple(graphColor1(), graphColor2(), markerColor());
  graphColor1() = Qt::blue, graphColor2() = Qt::red, markerColor() = Qt::green;
  makeMap();
  const auto selection = std::make_shared<MapEntry>(SkyObject{}, placeAt(50, 200));
  const auto position = std::make_shared<MapEntry>(SkyObject{}, placeAt(60, 100));
  position->ra =
      kestor_lst(nullptr, 0) + 12;  // 12 hours from the sidereal time: the camera's angle alone turns the frame
  map->setSelection(selection), map->setPosition(position);
  render();  // the pass sets the scale the marks are drawn at
  // Whether a pixel within one of the offset from the entry shows the colour over a transparent ground.
  const auto marked = [&](const MapEntryPtr &entry, QPointF offset, QColor colour) {
    QImage image(map->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    map->findChild<MapView::Overlay *>()->render(&image, {}, {}, QWidget::DrawChildren);
    return near(image, onView(MapProjection::mapPoint(entry->alt, entry->az)) + offset.toPoint(), colour);
  };
  for (const QPointF arm : {QPointF(-12, 0), QPointF(12, 0), QPointF(0, -12), QPointF(0, 12)})
    EXPECT_TRUE(marked(selection, arm, Qt::red)) << arm.x() << "," << arm.y();
  EXPECT_FALSE(marked(selection, {}, Qt::red)) << "the centre stays open";
  EXPECT_TRUE(marked(position, {-8, -8}, Qt::blue) && marked(position, {8, 8}, Qt::blue));
  EXPECT_FALSE(marked(position, {}, Qt::blue));
  PaintCounter overlayPaints;
  map->findChild<MapView::Overlay *>()->installEventFilter(&overlayPaints);
  map->show();
  const struct {
    double width, height, angle;
    QPointF onFrame;
    bool drawn;
    bool widthByAnotherProcess;  // only the width, written by kestor-settings; the rest as before
  } frames[] = {                 // onFrame in degrees
                {10, 6, 0, {5, 0}, true, false},
                {10, 6, 90, {3, 0}, true, false},
                {0, 6, 0, {0, 3}, false, false},
                {14, 6, 0, {7, 0}, true, true},
                {10, -6, 0, {5, 0}, false, false}};
  for (const auto &f : frames) {
    if (f.widthByAnotherProcess) {
      defaults().sync();                  // this process's writes are in the file the tool changes
      QCoreApplication::processEvents();  // and the repaints they asked for are done
      const int paints = overlayPaints.paints;
      ASSERT_EQ(QProcess::execute(QStringLiteral(KESTOR_SETTINGS_TOOL), {"set", "fovWidth", QString::number(f.width)}),
                0);
      EXPECT_TRUE(waitUntil([&] { return overlayPaints.paints > paints; })) << "the overlay is painted again";
    } else {
      UserDefaults::write(Setting::FOV_WIDTH, f.width), UserDefaults::write(Setting::FOV_HEIGHT, f.height);
      UserDefaults::write(Setting::FOV_ANGLE, f.angle);
    }
    EXPECT_EQ(marked(position, f.onFrame * 1024 / 210, Qt::green), f.drawn)
        << f.width << " " << f.height << " " << f.angle;
  }
  graphColor2() = QColor(0, 160, 0);  // a new colour shows at the next drawing
  map->setZoom(11);                   // and the marks keep their size
  EXPECT_TRUE(marked(selection, {-12, 0}, QColor(0, 160, 0)) && !marked(selection, {-24, 0}, QColor(0, 160, 0)));
  std::tie(graphColor1(), graphColor2(), markerColor()) = saved;
  kestor_set_astro_time(0);
}

// The shipped sky for a site: recomputed when the site is reported, throttled by the view's clock,
// applied with the selection taken along, dropped when overtaken or when the view is gone; and a
// paint of a part (stars culled, the Milky Way cut to the exposed area) that looks like the same
// part of the whole map, give or take lines landing a fraction of a pixel apart.
TEST_F(MapViewTest, ShippedSkyForASite) {
  kestor_set_astro_time(2461381.4166666665);
  double now = 1.0e9;
  map = std::make_unique<MapView>(QRect(0, 0, 2048, 2048));
  map->setClock([&] { return now; });
  const auto showsSite = [&](double lat, double lon) {  // one star stands for all
    MapEntry expected(SkyModel::shared()->stars[100]);
    expected.updateStar(lat, lon, 0);
    return std::pair(map->places().stars[100].alt, map->places().stars[100].az) == std::pair(expected.alt, expected.az);
  };
  const auto recomputes = [&] {
    const SkyPlaces *before = &map->places();
    return waitUntil([&] { return &map->places() != before; }, 1000);
  };
  const auto selection =
      std::make_shared<MapEntry>(SkyModel::shared()->bodies[9], map->places().bodies[9], SkyRef{SkyList::Bodies, 9});
  map->setSelection(selection);
  for (int n = 0; n < 6; ++n) map->update(10.0 * n - 2, 16.4, 0.0);
  ASSERT_TRUE(waitUntil([&] { return showsSite(48, 16.4); }));
  spinFor(300);  // an older result arriving late must not undo the newest
  EXPECT_TRUE(showsSite(48, 16.4));
  EXPECT_EQ(selection->alt, map->places().bodies[9].alt);
  for (const auto &[step, again] : {std::pair{0.0, true}, {4.99, false}, {0.01, true}}) {
    now += step;
    map->update(48, 16.4, 0);
    EXPECT_EQ(recomputes(), again) << step;
  }
  for (int n = 0; n < 3; ++n)  // results for views that are gone are dropped
    MapView(QRect(0, 0, 200, 200)).update(45.0, 7.0, 200.0);

  const QImage whole = render();
  const QRect part(700, 800, 377, 290);
  const QImage image = render(part);
  int differing = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      differing += !near(whole, part.topLeft() + QPoint(x, y), image.pixelColor(x, y));
  EXPECT_LT(differing, image.width() * image.height() / 1000);
  kestor_set_astro_time(0.0);
}
