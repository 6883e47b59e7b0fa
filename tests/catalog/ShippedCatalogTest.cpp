// Counts and telling rows of the compiled-in tables.
#include "skymap/SkyModel.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

TEST(ShippedCatalog, Counts) {
  QElapsedTimer timer;
  timer.start();
  const std::shared_ptr<const SkyModel> loaded = SkyModel::load(CatalogTables::compiledIn());
  const qint64 ms = timer.elapsed();
  const size_t points = loaded->milkyWay.size();
  size_t polylines = 0, emptyLines = 0;
  for (const auto &slot : loaded->figures)
    for (const auto &line : slot) {
      ++polylines;
      emptyLines += line.empty() ? 1 : 0;
    }
  std::printf("loaded %zu stars (%zu for figures), %zu deep-sky objects, %zu Milky Way polylines with %zu points, "
              "%zu figure slots with %zu polylines, %zu bodies in %lld ms\n",
              loaded->stars.size(), loaded->figureStars, loaded->deepSky.size(), loaded->milkyWayEnds.size(), points,
              loaded->figures.size(), polylines, loaded->bodies.size(), static_cast<long long>(ms));
  EXPECT_EQ(loaded->stars.size(), 41071u);
  EXPECT_EQ(loaded->figureStars, 9831u);
  EXPECT_EQ(loaded->milkyWayEnds.size(), 10u);
  EXPECT_EQ(points, 10126u);
  EXPECT_EQ(loaded->figures.size(), 88u);
  EXPECT_EQ(polylines, 150u);
  EXPECT_EQ(emptyLines, 0u);
  EXPECT_EQ(loaded->bodies.size(), 10u);
  EXPECT_GT(loaded->deepSky.size(), 100u);
}

TEST(ShippedCatalog, TellingRows) {
  EXPECT_EQ(star_catalog[0].hip, 3);
  EXPECT_NEAR(star_catalog[0].ra, 0.000333, 1e-6);
  EXPECT_NEAR(star_catalog[0].dec, 38.8593, 1e-9);
  EXPECT_FLOAT_EQ(star_catalog[0].mag, 6.61f);
  const StarRow *sirius = nullptr;
  int32_t last = 0;
  for (const StarRow *row = star_catalog; row->hip != 0; ++row) {
    EXPECT_GT(row->hip, last);
    last = row->hip;
    if (row->hip == 32349)
      sirius = row;
  }
  ASSERT_NE(sirius, nullptr);
  EXPECT_STREQ(sirius->name, "\316\261 Canis Majoris, Sirius");
  bool m31 = false;
  for (const DsoRow *row = dso_catalog; row->id != nullptr; ++row) {
    EXPECT_EQ(std::string(row->id).find(' '), std::string::npos) << row->id;
    ASSERT_NE(row->name, nullptr);
    if (std::string(row->id) == "NGC224") {
      m31 = true;
      EXPECT_STREQ(row->name, "M31, Andromeda Galaxy");
    }
  }
  EXPECT_TRUE(m31);
}
