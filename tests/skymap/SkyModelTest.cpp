// The sky model: the loading rules on small tables, the shipped catalogues, and placing objects
// for a site, one by one or the whole model at once.
#include "skymap/MountEntry.h"
#include "skymap/SkyModel.h"
#include "skymap/SkyPlaces.h"

#include <kestor.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

StarRow star(int32_t hip, float mag, const char *name = nullptr) {
  return {hip, 1 + hip / 1000.0, 10, 0, 0, 0, 0, mag, name};
}

std::vector<int32_t> ids(const std::vector<SkyObject> &objects) {
  std::vector<int32_t> out;
  std::transform(objects.begin(), objects.end(), std::back_inserter(out), [](const SkyObject &o) { return o.id; });
  return out;
}

}  // namespace

TEST(SkyModel, LoadingRules) {
  const StarRow stars[] = {star(10, 8.0f),
                           star(11, 7.99f),
                           star(12, 6.6f),  // 8 is too faint; 6.6 not for figures
                           star(13, 6.59f, "α Test, One"),
                           star(14, NAN),
                           star(15, 1),
                           star(16, 2),
                           star(16, 3),  // the same number replaces the earlier one for figures
                           StarRow{}};
  const DsoRow dsos[] = {{"NGC1", 1, 2, 0, 0, 0, 0, ""},  // no magnitude, no size
                         {"NGC2", 1, 2, 8, 5, 5, 0, "Too faint"},
                         {"NGC224", 0.71, 41.27, 3, 60, 190, 35, "M31, Andromeda Galaxy"},
                         {"NGC4", 1, 2, 5, 30, 12, 0, "Wide"},
                         DsoRow{}};
  const OutlinePoint outline[] = {{1, 1}, {2, 2}, {3, 3}, {255, 255}, {4, 4}, {255, 255}, {5, 5}, {0, 0}};
  const FigureTable figures = {{{15, 12, 16}, {11, 10}}, {}, {{13, 15}}};
  const auto model = SkyModel::load({stars, dsos, outline, &figures});

  EXPECT_EQ(ids(model->stars), (std::vector<int32_t>{11, 12, 13, 15, 16, 16}));
  EXPECT_EQ(model->figureStars, 3u);
  EXPECT_EQ(model->stars[2].nameText(), QStringLiteral("α Test, One"));
  // Missing stars are skipped (15 joins 16, the later one); a line of missing stars stays empty.
  using Lines = std::vector<std::vector<uint32_t>>;
  EXPECT_EQ(model->figures, (std::vector<Lines>{{{3, 5}, {}}, {}, {{2, 3}}}));
  ASSERT_EQ(model->deepSky.size(), 3u);
  EXPECT_EQ(std::pair(model->deepSky[0].nameText(), model->deepSky[0].mag),
            std::pair(QString("NGC1"), SkyModel::DSO_MISSING_MAGNITUDE));
  EXPECT_NEAR(model->deepSky[0].diameter, 0.0346f, 0.0001f);
  EXPECT_EQ(model->deepSky[1].nameText(), QStringLiteral("NGC224, M31, Andromeda Galaxy"));
  EXPECT_FLOAT_EQ(model->deepSky[1].diameter, 190.0f / 60);  // the larger axis
  EXPECT_FLOAT_EQ(model->deepSky[2].diameter, 30.0f / 60);
  EXPECT_EQ(model->milkyWayEnds, (std::vector<uint32_t>{3, 4}));  // points after the last close dropped
  EXPECT_EQ(model->milkyWay[3].j2kRA, 4.0);
  EXPECT_EQ(ids(model->bodies), (std::vector<int32_t>{1, 2, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(model->bodies[9].nameText(), QStringLiteral("Moon"));
  EXPECT_EQ(std::pair(model->initialPlaces->milkyWay.size(), model->initialPlaces->bodies.size()),
            std::pair(4ul, 10ul));
}

TEST(SkyModel, ShippedCatalogues) {
  const std::shared_ptr<const SkyModel> sky = SkyModel::shared();
  EXPECT_EQ(sky, SkyModel::shared());  // loaded once
  size_t polylines = 0, empty = 0;
  for (const auto &slot : sky->figures)
    for (const auto &line : slot) ++polylines, empty += line.empty();
  EXPECT_EQ(std::tuple(sky->stars.size(), sky->figureStars, sky->milkyWayEnds.size(), sky->milkyWay.size()),
            std::tuple(41071ul, 9831ul, 10ul, 10126ul));
  EXPECT_EQ(std::tuple(sky->figures.size(), polylines, empty), std::tuple(88ul, 150ul, 0ul));
  EXPECT_GT(sky->deepSky.size(), 100u);
}

// The whole model placed on the pool equals each object placed alone; a mount reporting a star's
// apparent place lands on the star, where the same place taken as J2000 would be precessed again.
TEST(SkyModel, PlacesForASite) {
  kestor_set_astro_time(2461380.75);
  const double lat = -33.9, lon = 18.4, elev = 10.0;
  const std::shared_ptr<const SkyModel> model = SkyModel::shared();
  const std::shared_ptr<const SkyPlaces> places = SkyPlaces::compute(*model, lat, lon, elev);
  ASSERT_EQ(std::tuple(places->stars.size(), places->deepSky.size(), places->milkyWay.size()),
            std::tuple(model->stars.size(), model->deepSky.size(), model->milkyWay.size()));
  const auto check = [&](bool body, const SkyObject &object, const SkyPlace &place) {
    MapEntry entry(object);
    body ? entry.updatePlanet(lat, lon, elev) : entry.updateStar(lat, lon, elev);
    for (auto [a, b] :
         {std::pair{place.alt, entry.alt}, {place.az, entry.az}, {place.ra, entry.ra}, {place.dec, entry.dec}})
      EXPECT_NEAR(a, b, 1e-9) << object.id;
  };
  for (uint32_t i = 0; i < model->stars.size(); i += 997) check(false, model->stars[i], places->stars[i]);
  check(false, model->deepSky.front(), places->deepSky.front());
  check(false, model->milkyWay.back(), places->milkyWay.back());
  for (uint32_t i = 0; i < model->bodies.size(); ++i) check(true, model->bodies[i], places->bodies[i]);

  MapEntry sirius(*std::find_if(model->stars.begin(), model->stars.end(), [](auto &s) { return s.id == 32349; }));
  sirius.updateStar(lat, lon, elev);
  MountEntry mount(sirius.ra, sirius.dec);
  mount.updateStar(lat, lon, elev);
  EXPECT_NEAR(mount.alt, sirius.alt, 1e-9);
  EXPECT_NEAR(mount.az, sirius.az, 1e-9);
  MapEntry twice(sirius.ra, sirius.dec);
  twice.updateStar(lat, lon, elev);
  EXPECT_GT(std::hypot(twice.alt - sirius.alt, twice.az - sirius.az), 0.2);
  kestor_set_astro_time(0.0);
}
