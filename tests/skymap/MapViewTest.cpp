// The sky map widget over a sky of hand-placed objects: what a drawing pass draws (and so can be
// clicked), the layers' paths, the overlay's marks, the user's hands, the recomputation of places,
// and the shipped sky painted in part or whole.
#include <gtest/gtest.h>

#include <QNativeGestureEvent>
#include <QPainter>
#include <QPointingDevice>
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

SkyPlace placeAt(double alt, double az) {
  SkyPlace place;
  place.alt = alt, place.az = az;
  return place;
}

MapEntryPtr placedEntry(double alt, double az) {
  auto entry = std::make_shared<MapEntry>();
  entry->alt = alt, entry->az = az;
  return entry;
}

// A sky model whose objects stand at the given altitude and azimuth (the map's first places).
struct TestSky {
  SkyModel model;
  SkyPlaces places;
  SkyRef add(SkyList list, double alt, double az, float mag = 1, float diameter = 1, int id = 0) {
    auto &objects = list == SkyList::Stars ? model.stars : list == SkyList::DeepSky ? model.deepSky : model.bodies;
    auto &placed = list == SkyList::Stars ? places.stars : list == SkyList::DeepSky ? places.deepSky : places.bodies;
    objects.emplace_back().mag = mag;
    objects.back().diameter = diameter, objects.back().id = id;
    placed.push_back(placeAt(alt, az));
    return {list, static_cast<uint32_t>(objects.size() - 1)};
  }
  std::unique_ptr<MapView> map(const std::shared_ptr<SkyModel> &sky = nullptr) const {
    auto shown = sky ? sky : std::make_shared<SkyModel>(model);
    shown->initialPlaces = sky ? SkyPlaces::compute(*sky, 48.2, 16.37, 200) : std::make_shared<SkyPlaces>(places);
    return std::make_unique<MapView>(QRect(0, 0, 1024, 1024), shown);
  }
};

// One drawing pass of the part of the map into an image, with the cached layers dropped first.
QImage render(MapView &map, bool afresh = false, QRect part = {}) {
  part = part.isNull() ? map.rect() : part;
  if (afresh)
    map.dropLayers();
  QImage image(part.size(), QImage::Format_ARGB32);
  QPainter painter(&image);
  painter.translate(-part.topLeft());
  map.draw(painter, part);
  return image;
}

QPointF mapPointOf(const MapEntry &entry) {
  return MapProjection::mapPoint(entry.alt, entry.az);
}
QPoint viewPoint(const MapView &map, SkyRef ref) {
  const SkyPlace &place = map.places().of(ref.list)[ref.index];
  return map.mapTransform().map(MapProjection::mapPoint(place.alt, place.az)).toPoint();
}
// Whether the latest drawing pass drew the object: a click on it selects it.
bool drawn(const MapView &map, SkyRef ref) {
  const SkyPlace &place = map.places().of(ref.list)[ref.index];
  const MapEntryPtr hit = map.entryAt(MapProjection::mapPoint(place.alt, place.az));
  return hit && hit->source == ref;
}

class MapViewTest : public testing::Test {
protected:
  void SetUp() override { defaults().clear(); }
  TestSky sky;
};

}  // namespace

TEST_F(MapViewTest, ObjectsAreDrawnByAltitudeMagnitudeAndSize) {
  // At 1024 points a map unit is 1024 / 210 points, so a point is about 0.205 units.
  const struct { const char *name; double alt; float mag, diameter; bool star, deepSky; } rows[] = {
      {"bright and high", 45, 4.99f, 1, true, true},     {"at the magnitude limit", 45, 5.0f, 1, false, true},
      {"on the horizon", 0, 1, 1, true, true},           {"just below the horizon", -0.01, 1, 1, false, false},
      {"smaller than a point", 45, 1, 0.2f, false, false}, {"just a point", 45, 1, 0.21f, true, true},
      {"too faint until the limit is raised", 45, 7.5f, 1, false, true},
      {"too small until zoomed in", 45, 1, 0.15f, false, false}};
  std::vector<std::pair<SkyRef, SkyRef>> refs;
  for (size_t i = 0; i < std::size(rows); ++i)
    refs.emplace_back(sky.add(SkyList::Stars, rows[i].alt, 20.0 * i, rows[i].mag, rows[i].diameter),
                      sky.add(SkyList::DeepSky, rows[i].alt, 20.0 * i + 10, rows[i].mag, rows[i].diameter));
  auto map = sky.map();
  render(*map);
  for (size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(drawn(*map, refs[i].first), rows[i].star) << rows[i].name;
    EXPECT_EQ(drawn(*map, refs[i].second), rows[i].deepSky) << rows[i].name;
  }
  UserDefaults::write(Setting::MAGNITUDE_LIMIT, 8);  // takes effect when written
  render(*map);
  EXPECT_TRUE(drawn(*map, refs[6].first));
  map->setZoom(11);  // 2048 points: a point is about 0.1 units
  render(*map);
  EXPECT_TRUE(drawn(*map, refs[7].first));
}

TEST_F(MapViewTest, BodiesAreRedYellowAndGreyAndNorthFollowsTheRotation) {
  for (const double sunAlt : {45.0, -5.0}) {
    TestSky bodies;
    const SkyRef jupiter = bodies.add(SkyList::Bodies, 45, 90, -2.9f, 1, 5);
    const SkyRef sun = bodies.add(SkyList::Bodies, sunAlt, 180, -26, 5, 10);
    const SkyRef moon = bodies.add(SkyList::Bodies, 45, 270, -12, 5, 11);
    auto map = bodies.map();
    const QImage image = render(*map);
    EXPECT_EQ(image.pixelColor(viewPoint(*map, jupiter)), QColor(255, 0, 0));
    EXPECT_EQ(drawn(*map, sun), sunAlt >= 0);
    EXPECT_TRUE(sunAlt < 0 || image.pixelColor(viewPoint(*map, sun)) == QColor(255, 255, 0));
    EXPECT_EQ(image.pixelColor(viewPoint(*map, moon)), QColor(170, 170, 170)) << sunAlt;
  }
  // North's red triangle lies below the zenith beyond the horizon; a quarter turn clockwise takes
  // it to the left, a half turn above.
  auto map = sky.map();
  for (const auto &[rotation, x, y] : {std::tuple{0.0, 512, 966}, {90, 58, 512}, {180, 512, 58}}) {
    map->setRotation(rotation);
    const QPointF north = map->mapTransform().map(QPointF(0, -(90 + 15.0 * 210 / 1024)));
    EXPECT_NEAR(north.x(), x, 1) << rotation;
    EXPECT_NEAR(north.y(), y, 1) << rotation;
    EXPECT_EQ(render(*map).pixelColor(north.toPoint()), QColor(255, 0, 0)) << rotation;
  }
}

TEST_F(MapViewTest, LayerPaths) {
  // Figures leave out stars below the horizon.
  const struct { std::vector<double> altitudes; int elements; } figures[] = {
      {{10, 20, 30}, 3}, {{10, -5, 30}, 2}, {{-5, 20, 30}, 2}, {{-5, -6}, 0}};
  for (const auto &f : figures) {
    std::vector<SkyPlace> stars;
    std::vector<uint32_t> line;
    for (double alt : f.altitudes)
      line.push_back(static_cast<uint32_t>(stars.size())), stars.push_back(placeAt(alt, 45));
    const QPainterPath path = MapPaths::figures({{line}}, stars);
    EXPECT_EQ(path.elementCount(), f.elements);
    EXPECT_TRUE(path.isEmpty() || path.elementAt(1).isLineTo());
  }
  // An outline around the nadir projects to a ring around the zenith: the band lies beyond it.
  std::vector<SkyPlace> ring;
  for (int az = 0; az < 360; az += 10)
    ring.push_back(placeAt(-30, az));
  const QPainterPath band = MapPaths::milkyWay(ring, {static_cast<uint32_t>(ring.size())}, QPointF(0, 0));
  EXPECT_FALSE(band.contains(QPointF(0, 0)));
  EXPECT_TRUE(band.contains(QPointF(0, 150)) && band.contains(QPointF(-170, 0)));
  // Rings cut to a rectangle cover the same points inside it under the even-odd rule.
  QPainterPath rings;
  rings.setFillRule(Qt::OddEvenFill);
  rings.addPolygon(QPolygonF({{-50, -50}, {50, -50}, {50, 50}, {0, 0}, {-50, 50}}));  // concave, crossing
  rings.addPolygon(QPolygonF({{-8, -30}, {8, -30}, {8, -20}, {-8, -20}}));           // a hole
  rings.addPolygon(QPolygonF({{60, 60}, {70, 60}, {70, 70}}));                       // outside
  rings.addEllipse(QRectF(-200, -200, 400, 400));                                    // around all
  const QRectF rect(-20, -40, 45, 50);
  const QPainterPath clipped = MapPaths::clipRings(rings, rect);
  EXPECT_LT(clipped.elementCount(), rings.elementCount());
  for (double y = rect.top() + 0.25; y < rect.bottom(); y += 1.5)
    for (double x = rect.left() + 0.25; x < rect.right(); x += 1.5)
      ASSERT_EQ(clipped.contains(QPointF(x, y)), rings.contains(QPointF(x, y))) << x << "," << y;
}

namespace {

// The map in a small scroll area, as the mount widget shows it.
class MapInArea : public MapViewTest, public MapViewDelegate {
protected:
  void SetUp() override {
    MapViewTest::SetUp();
    star = sky.add(SkyList::Stars, 60, 120);
    sky.add(SkyList::DeepSky, 45, 0);  // a tie with the star below goes to the star
    tied = sky.add(SkyList::Stars, 45, 0);
    body = sky.add(SkyList::Bodies, 30, 250, -2, 1, 5);
    sky.add(SkyList::Stars, 45, 2, 9);  // too faint to be drawn
    map = sky.map().release();
    map->setDelegate(this);
    area.setFixedSize(377, 290);
    area.setWidget(map);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
  }
  void selectedWithEntry(const MapEntryPtr &entry) override { selected.push_back(entry); }
  void addHistoryWithEntry(const MapEntryPtr &entry) override { history.push_back(entry); }
  // The map point at the middle of the visible area.
  QPointF visibleCenter() const {
    return map->mapTransform().unmap(QRectF(map->mapFrom(area.viewport(), QPoint(0, 0)), area.viewport()->size()).center());
  }
  void gesture(Qt::NativeGestureType type, double value) {
    QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 1, {100, 100}, {100, 100}, {100, 100},
                              value, QPointF());
    QApplication::sendEvent(map, &event);
  }
  SkyRef star{}, tied{}, body{};
  std::vector<MapEntryPtr> selected, history;
  MapView *map = nullptr;
  QScrollArea area;
};

}  // namespace

TEST_F(MapInArea, ClicksSelectTheNearestDrawnObjectWithinOneDegree) {
  render(*map);
  for (const SkyRef ref : {star, tied, body}) {
    map->centerOn(std::make_shared<MapEntry>(SkyObject{}, map->places().of(ref.list)[ref.index]));
    EXPECT_EQ(area.viewport()->childAt(map->mapTo(area.viewport(), viewPoint(*map, ref))), map) << "not the overlay";
    QTest::mouseClick(map, Qt::LeftButton, {}, viewPoint(*map, ref));
    ASSERT_NE(map->selection(), nullptr);
    EXPECT_EQ(map->selection()->source, ref);
    EXPECT_EQ(selected.back(), map->selection());
  }
  const auto hit = [&](QPointF p) { const MapEntryPtr e = map->entryAt(p); return e ? e->source : std::nullopt; };
  EXPECT_EQ(hit(QPointF(1.0, -45)), std::nullopt) << "exactly one unit away";
  EXPECT_EQ(hit(QPointF(0.99, -45)), tied);
  EXPECT_EQ(hit(QPointF(0, -45.5)), tied);
  QTest::mouseClick(map, Qt::RightButton, {}, QPoint(10, 10));
  EXPECT_EQ(map->selection(), nullptr);
  EXPECT_EQ(selected.back(), nullptr) << "clearing reaches the delegate too";
}

TEST_F(MapInArea, ZoomAndRotationKeepTheVisibleCentre) {
  map->centerOn(placedEntry(50, 70));
  const QPointF before = visibleCenter();
  map->setZoom(11.5);
  EXPECT_NEAR(visibleCenter().x(), before.x(), 0.1);
  EXPECT_NEAR(visibleCenter().y(), before.y(), 0.1);
  EXPECT_NEAR(defaults().value("centerX").toDouble(), before.x(), 0.2);
  for (const auto &[zoom, width] : {std::pair{13.0, 2896}, {8.99, 2896}, {9, 512}, {10, 1024}}) {
    map->setZoom(zoom);
    EXPECT_EQ(map->size(), QSize(width, width)) << zoom;
    EXPECT_EQ(map->findChild<MapView::Overlay *>()->size(), map->size()) << zoom;
  }
  gesture(Qt::ZoomNativeGesture, 0.25);
  EXPECT_NEAR(map->zoom(), 10.05, 1e-3);
  map->magnifyWithEvent(0.25, MapView::GesturePhase::Ended);  // only the changed phase zooms
  const auto wheel = [&](Qt::KeyboardModifiers modifiers) {
    QWheelEvent event({50, 50}, map->mapToGlobal(QPointF(50, 50)), {}, {0, -120}, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(map, &event);
  };
  wheel(Qt::NoModifier);  // left to the scroll area
  wheel(Qt::ControlModifier);
  EXPECT_NEAR(map->zoom(), 9.95, 1e-3);
  map->rotateWithEvent(10, MapView::GesturePhase::Changed);  // anticlockwise
  gesture(Qt::RotateNativeGesture, 5);                        // Qt reports clockwise turns as positive
  map->rotateWithEvent(10, MapView::GesturePhase::Ended);
  EXPECT_DOUBLE_EQ(map->rotation(), 355);
  EXPECT_DOUBLE_EQ(defaults().value("rotation").toDouble(), 355);
  UserDefaults::write(Setting::FLIP_MAP_HORIZONTALLY, true);  // mirrored, the picture turns the same way
  map->rotateWithEvent(10, MapView::GesturePhase::Changed);
  EXPECT_DOUBLE_EQ(map->rotation(), 5);
}

// A search result is placed for the last site reported (a body as a body), then selected.
TEST_F(MapInArea, SearchResultsArePlacedAndSelected) {
  struct Recording : MapEntry {
    std::string routine;
    void updateStar(double, double, double) override { routine = "star"; }
    void updatePlanet(double lat, double, double) override { routine = "planet" + std::to_string(int(lat)); }
  };
  const auto planet = std::make_shared<Recording>(), other = std::make_shared<Recording>();
  planet->source = body;
  map->update(48.5, 0, 0);
  for (const auto &[entry, routine] : {std::pair{planet, "planet48"}, {other, "star"}}) {
    map->select(entry);
    EXPECT_EQ(entry->routine, routine);
    EXPECT_EQ(map->selection(), entry);
    EXPECT_EQ(history.back(), entry);
  }
  map->select(nullptr);
  EXPECT_EQ(map->selection(), other) << "no entry does nothing";
}

namespace {

// True when a pixel within one of the point is drawn at least 40 % of the way from what the map
// alone shows there toward the colour: thin lines fall between pixels and are blended.
bool marked(const QImage &image, const QImage &under, QPoint point, const QColor &colour) {
  for (int i = 0; i < 9; ++i) {
    const QPoint p = point + QPoint(i % 3 - 1, i / 3 - 1);
    const QColor c = image.pixelColor(p), b = under.pixelColor(p);
    const double toward[3] = {double(colour.red() - b.red()), double(colour.green() - b.green()), double(colour.blue() - b.blue())};
    const double moved[3] = {double(c.red() - b.red()), double(c.green() - b.green()), double(c.blue() - b.blue())};
    const double length2 = toward[0] * toward[0] + toward[1] * toward[1] + toward[2] * toward[2];
    if (length2 > 0 && (moved[0] * toward[0] + moved[1] * toward[1] + moved[2] * toward[2]) / length2 >= 0.4)
      return true;
  }
  return false;
}

}  // namespace

// The "+" on the selection and the "x" on the mount's position with its field of view, in the
// live colours, at a constant size on screen.
TEST_F(MapViewTest, OverlayMarksTheSelectionAndThePosition) {
  kestor_set_astro_time(2461381.4166666665);
  const auto saved = std::tuple(graphColor1(), graphColor2(), markerColor());
  graphColor1() = QColor(0, 0, 255), graphColor2() = QColor(255, 0, 0), markerColor() = QColor(0, 255, 0);
  auto map = sky.map();
  QImage under;
  const auto picture = [&] { under = render(*map); return map->grab().toImage().convertToFormat(QImage::Format_ARGB32); };
  const MapEntryPtr selection = placedEntry(50, 200), position = placedEntry(60, 100);
  position->ra = kestor_lst(nullptr, 0) + 12;  // 12 hours from the sidereal time: the camera's angle alone turns the frame
  map->setSelection(selection);
  map->setPosition(position);
  const QPoint s = map->mapTransform().map(mapPointOf(*selection)).toPoint();
  const QPoint p = map->mapTransform().map(mapPointOf(*position)).toPoint();
  QImage image = picture();
  for (const QPoint arm : {QPoint(-12, 0), QPoint(12, 0), QPoint(0, -12), QPoint(0, 12)})
    EXPECT_TRUE(marked(image, under, s + arm, Qt::red)) << arm.x() << "," << arm.y();
  EXPECT_FALSE(marked(image, under, s, Qt::red)) << "the centre stays open";
  EXPECT_TRUE(marked(image, under, p + QPoint(-8, -8), Qt::blue) && marked(image, under, p + QPoint(8, 8), Qt::blue));
  EXPECT_FALSE(marked(image, under, p, Qt::blue));
  const struct { double width, height, angle; QPointF onFrame; bool drawn; } frames[] = {  // onFrame in degrees
      {10, 6, 0, {5, 0}, true}, {10, 6, 90, {3, 0}, true}, {0, 6, 0, {0, 3}, false}, {10, -6, 0, {5, 0}, false}};
  for (const auto &f : frames) {
    UserDefaults::write(Setting::FOV_WIDTH, f.width);
    UserDefaults::write(Setting::FOV_HEIGHT, f.height);
    UserDefaults::write(Setting::FOV_ANGLE, f.angle);
    EXPECT_EQ(marked(picture(), under, p + (f.onFrame * 1024 / 210).toPoint(), Qt::green), f.drawn) << f.width << " " << f.height << " " << f.angle;
  }
  graphColor2() = QColor(0, 160, 0);  // a new colour shows at the next drawing
  map->setZoom(11);                   // and the marks keep their size
  image = picture();
  const QPoint zoomed = map->mapTransform().map(mapPointOf(*selection)).toPoint();
  EXPECT_TRUE(marked(image, under, zoomed + QPoint(-12, 0), QColor(0, 160, 0)));
  EXPECT_FALSE(marked(image, under, zoomed + QPoint(-24, 0), QColor(0, 160, 0)));
  std::tie(graphColor1(), graphColor2(), markerColor()) = saved;
  kestor_set_astro_time(0);
}

// The recomputation for a reported site: throttled by the view's clock, applied on the main
// thread with the selection taken along, dropped when overtaken or when the view is gone.
TEST_F(MapViewTest, PlacesFollowTheSite) {
  kestor_set_astro_time(2461380.75);
  double now = 1.0e9;
  MapView map(QRect(0, 0, 300, 300));
  map.setClock([&] { return now; });
  const auto showsSite = [&](double lat, double lon) {  // one star stands for all
    MapEntry expected(SkyModel::shared()->stars[100]);
    expected.updateStar(lat, lon, 0);
    return map.places().stars[100].alt == expected.alt && map.places().stars[100].az == expected.az;
  };
  const auto recomputes = [&] { const SkyPlaces *before = &map.places(); return waitUntil([&] { return &map.places() != before; }, 1000); };
  const SkyRef moon{SkyList::Bodies, 9};
  const auto selection = std::make_shared<MapEntry>(SkyModel::shared()->bodies[9], map.places().bodies[9], moon);
  map.setSelection(selection);
  map.update(52.5, 13.4, 0);
  ASSERT_TRUE(waitUntil([&] { return showsSite(52.5, 13.4); }));
  EXPECT_EQ(selection->alt, map.places().bodies[9].alt);
  for (const auto &[step, again] : {std::pair{0.0, true}, {4.99, false}, {0.01, true}}) {
    now += step;
    map.update(52.5, 13.4, 0);
    EXPECT_EQ(recomputes(), again) << step;
  }
  for (int n = 0; n < 6; ++n)
    map.update(10.0 * n, 20.0, 0.0);
  ASSERT_TRUE(waitUntil([&] { return showsSite(50, 20); }));
  spinFor(300);  // an older result arriving late must not undo the newest
  EXPECT_TRUE(showsSite(50, 20));
  for (int n = 0; n < 3; ++n)  // results for views that are gone are dropped
    MapView(QRect(0, 0, 200, 200)).update(45.0, 7.0, 200.0);
  spinFor(500);
  kestor_set_astro_time(0.0);
}

// The shipped sky at a site: each layer, taken away, changes the picture, and a paint of a part
// (stars culled, the Milky Way cut to the exposed area) looks like the same part of the whole.
TEST_F(MapViewTest, ShippedSkyInWholeAndInPart) {
  kestor_set_astro_time(2461381.4166666665);
  auto map = sky.map(std::make_shared<SkyModel>(*SkyModel::shared()));
  map->setZoom(11);
  const QImage whole = render(*map, true);
  const QRect part(700, 800, 377, 290);
  const QImage image = render(*map, true, part);
  const auto close = [](const QColor &a, const QColor &b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) <= 12;
  };
  int differing = 0;  // thin lines may land a fraction of a pixel apart
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      bool matched = false;
      for (int i = 0; i < 9 && !matched; ++i)
        matched = close(image.pixelColor(x, y), whole.pixelColor(part.x() + x + i % 3 - 1, part.y() + y + i / 3 - 1));
      differing += !matched;
    }
  EXPECT_LT(differing, image.width() * image.height() / 1000);

  const auto without = [&](auto &&takeAway) {
    auto other = std::make_shared<SkyModel>(*SkyModel::shared());
    takeAway(*other);
    auto less = sky.map(other);
    less->setZoom(11);
    const QImage changed = render(*less, true);
    int count = 0;
    for (int y = 0; y < whole.height(); y += 2)
      for (int x = 0; x < whole.width(); x += 2)
        count += changed.pixel(x, y) != whole.pixel(x, y);
    return count;
  };
  EXPECT_GT(without([](SkyModel &m) { m.milkyWay.clear(), m.milkyWayEnds.clear(); }), 20000) << "Milky Way";
  EXPECT_GT(without([](SkyModel &m) { m.figures.clear(); }), 2000) << "figures";
  EXPECT_GT(without([](SkyModel &m) { m.stars.clear(), m.figures.clear(); }), 3000) << "stars";
  EXPECT_GT(without([](SkyModel &) { UserDefaults::write(Setting::SHOW_STARS, false); }), 1000) << "names";
  kestor_set_astro_time(0);
}
