// A picture of the whole map with the real catalogues at a fixed site and instant, saved beside
// the test binary (offscreen-sky-map-light.png, offscreen-sky-map-dark.png) for people to look at,
// and checked for the layers that must show: Milky Way, figures, stars, planets and labels.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTest>

#include <cstdlib>

#include <kestor.h>

#include "MapFixtures.h"
#include "core/Globals.h"
#include "core/Settings.h"

namespace {

constexpr double JD_2026_12_06_22H_UTC = 2461381.4166666665;
constexpr double LATITUDE = 48.2, LONGITUDE = 16.37, ELEVATION = 200;

class MapScreenshot : public testing::Test {
protected:
  void SetUp() override {
    defaults().clear();
    kestor_set_astro_time(JD_2026_12_06_22H_UTC);
  }
  void TearDown() override { kestor_set_astro_time(0); }
};

// The map of the sky at the site, with a selection and the mount's position with a field of view.
std::unique_ptr<MapView> mapAtSite(const QPalette &palette,
                                   const std::shared_ptr<const SkyModel> &sky = SkyModel::shared()) {
  auto map = std::make_unique<MapView>(QRect(0, 0, 1024, 1024), sky);
  map->setPalette(palette);
  render(*map);
  const SkyPlaces *before = &map->places();
  map->update(LATITUDE, LONGITUDE, ELEVATION);
  EXPECT_TRUE(QTest::qWaitFor([&] { return &map->places() != before; }, 20000)) << "positions applied";
  for (uint32_t i = 0; i < sky->bodies.size(); ++i) {
    if (sky->bodies[i].nameText() == QStringLiteral("Saturn"))
      map->setSelection(std::make_shared<MapEntry>(sky->bodies[i], map->places().bodies[i], SkyRef{SkyList::Bodies, i}));
  }
  auto mount = std::make_shared<MapEntry>();
  mount->alt = 55;
  mount->az = 150;
  map->setPosition(mount);
  UserDefaults::write(Setting::FOV_WIDTH, 3.0);
  UserDefaults::write(Setting::FOV_HEIGHT, 2.0);
  return map;
}

// Where a picture is kept: beside the test binary, named after the platform that drew it
// (offscreen-sky-map-dark.png, xcb-sky-map-dark.png), so that runs on both may go at once.
QString artefact(const char *name) {
  return QStringLiteral(SKYMAP_ARTEFACTS "/") + QGuiApplication::platformName() + "-" + name;
}

// Pixels that differ between two pictures of the same size.
int differingPixels(const QImage &a, const QImage &b) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      count += a.pixel(x, y) != b.pixel(x, y);
  return count;
}

TEST_F(MapScreenshot, WholeSkyShowsEveryLayer) {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(30, 30, 34));
  const struct {
    const char *file;
    QPalette palette;
  } looks[] = {{"sky-map-light.png", QPalette(QColor(236, 236, 236))}, {"sky-map-dark.png", dark}};
  for (const auto &look : looks) {
    auto map = mapAtSite(look.palette);
    const QImage image = map->grab().toImage();
    ASSERT_TRUE(image.save(artefact(look.file)));

    const SkyModel &sky = *SkyModel::shared();
    int planets = 0;
    for (uint32_t i = 0; i < sky.bodies.size(); ++i) {
      if (sky.bodies[i].id < 7 && map->places().bodies[i].alt > 5) {
        ++planets;
        EXPECT_EQ(image.pixelColor(viewPoint(*map, SkyRef{SkyList::Bodies, i}).toPoint()), QColor(255, 0, 0))
            << sky.bodies[i].name;
      }
    }
    EXPECT_GE(planets, 2) << "planets above the horizon at this site and instant";

    const QImage all = renderAfresh(*map);
    EXPECT_GT(differingPixels(all, QImage(all.size(), all.format())), all.width() * all.height() / 2) << "not blank";
    // Each layer, taken away, changes the picture.
    const auto without = [&](auto &&takeAway) {
      auto other = std::make_shared<SkyModel>(sky);
      takeAway(*other);
      other->initialPlaces = SkyPlaces::compute(*other, 0, 0, 0);
      return differingPixels(all, renderAfresh(*mapAtSite(look.palette, other)));
    };
    EXPECT_GT(without([](SkyModel &m) { m.milkyWay.clear(), m.milkyWayEnds.clear(); }), 50000) << look.file << ": Milky Way";
    EXPECT_GT(without([](SkyModel &m) { m.figures.clear(); }), 5000) << look.file << ": figures";
    // The figures go with the stars they are drawn through.
    EXPECT_GT(without([](SkyModel &m) { m.stars.clear(), m.figures.clear(); }), 8000) << look.file << ": stars";
    EXPECT_GT(without([](SkyModel &) { UserDefaults::write(Setting::SHOW_STARS, false); }), 2000) << look.file << ": names";
    defaults().remove(Setting::SHOW_STARS.name());
  }
}

// A paint of part of the map (the mount widget's viewport) culls stars and cuts the Milky Way to the
// exposed area; it must look like the same part of the whole map.
TEST_F(MapScreenshot, PartialPaintMatchesTheWholeMap) {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(30, 30, 34));
  auto map = mapAtSite(dark);
  map->setZoom(11);
  const QImage whole = renderAfresh(*map);
  const QRect viewport(700, 800, 377, 290);
  QImage part(viewport.size(), QImage::Format_ARGB32);
  {
    QPainter painter(&part);
    painter.translate(-viewport.topLeft());
    map->draw(painter, viewport);
  }
  ASSERT_TRUE(part.save(artefact("sky-map-viewport.png")));
  // Thin lines may land a fraction of a pixel apart: a pixel matches when one within a pixel of it
  // in the whole map does.
  const auto close = [](const QColor &a, const QColor &b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) <= 12;
  };
  int differing = 0;
  for (int y = 0; y < part.height(); ++y) {
    for (int x = 0; x < part.width(); ++x) {
      bool matched = false;
      for (int dy = -1; dy <= 1 && !matched; ++dy) {
        for (int dx = -1; dx <= 1 && !matched; ++dx)
          matched = close(part.pixelColor(x, y), whole.pixelColor(viewport.x() + x + dx, viewport.y() + y + dy));
      }
      differing += !matched;
    }
  }
  EXPECT_LT(differing, part.width() * part.height() / 1000);
}

}  // namespace
