// The loading rules on small tables.
#include "skymap/CatalogLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

StarRow star(int32_t hip, float mag, const char *name = nullptr) {
  return {hip, 1.0 + hip / 1000.0, 10.0, 0.0f, 0.0f, 0.0f, 0.0f, mag, name};
}
const StarRow STAR_END{0, 0.0, 0.0, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, nullptr};
const DsoRow DSO_END{nullptr, 0.0, 0.0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr};
const OutlinePoint OUTLINE_END{0.0f, 0.0f};
const OutlinePoint CLOSE{255.0f, 255.0f};

const StarRow STARS[] = {
    star(10, 8.0f),          // not loaded
    star(11, 7.99f),         // loaded, not in figures
    star(12, 6.6f),          // loaded, not in figures: 6.6f < 6.6f is false
    star(13, 6.59f, "α Test, One"),
    star(14, NaN),           // not loaded
    star(15, 1.0f),
    star(16, 2.0f),
    star(16, 3.0f),          // same number: replaces the earlier one in the index
    STAR_END,
};
const DsoRow DSOS[] = {
    {"NGC1", 1.0, 2.0, 0.0f, 0.0f, 0.0f, 0.0f, ""},                          // no magnitude, no size
    {"NGC2", 1.0, 2.0, 8.0f, 5.0f, 5.0f, 0.0f, "Too faint"},
    {"NGC3", 1.0, 2.0, 9.0f, 5.0f, 5.0f, 0.0f, "Fainter"},
    {"NGC224", 0.71, 41.27, 3.0f, 60.0f, 190.0f, 35.0f, "M31, Andromeda Galaxy"},
    {"NGC4", 1.0, 2.0, 5.0f, 30.0f, 12.0f, 0.0f, "Wide"},
    DSO_END,
};
const OutlinePoint OUTLINE[] = {
    {1.0f, 1.0f}, {2.0f, 2.0f}, {3.0f, 3.0f}, CLOSE,
    {4.0f, 4.0f}, CLOSE,
    {5.0f, 5.0f}, {6.0f, 6.0f},  // after the last close: dropped
    OUTLINE_END,
};
const FigureTable FIGURES = {
    {{15, 12, 16}, {11, 10}},  // the middle star is missing: 15 joins 16; the second line is empty
    {},                        // empty slot
    {{13, 15}},
};

LoadedCatalogs loadSmall() {
  return CatalogLoader::load({STARS, DSOS, OUTLINE, &FIGURES});
}

}  // namespace

TEST(CatalogLoader, StarsAreCutAtMagnitudeEight) {
  const LoadedCatalogs loaded = loadSmall();
  std::vector<int32_t> ids;
  for (const MapEntryPtr &s : loaded.stars)
    ids.push_back(s->id);
  EXPECT_EQ(ids, (std::vector<int32_t>{11, 12, 13, 15, 16, 16}));
  EXPECT_EQ(loaded.hipIndexSize, 3u);  // 13, 15 and 16
  EXPECT_FALSE(loaded.stars[0]->name.has_value());
  EXPECT_EQ(loaded.stars[2]->name, QStringLiteral("α Test, One"));
}

TEST(CatalogLoader, FiguresShareTheStarEntries) {
  const LoadedCatalogs loaded = loadSmall();
  ASSERT_EQ(loaded.figures.size(), 3u);
  ASSERT_EQ(loaded.figures[0].size(), 2u);
  const auto &line = loaded.figures[0][0];
  ASSERT_EQ(line.size(), 2u);
  EXPECT_EQ(line[0].get(), loaded.stars[3].get());  // HIP 15
  EXPECT_EQ(line[1].get(), loaded.stars[5].get());  // the later HIP 16
  EXPECT_TRUE(loaded.figures[0][1].empty());
  EXPECT_TRUE(loaded.figures[1].empty());
  ASSERT_EQ(loaded.figures[2].size(), 1u);
  EXPECT_EQ(loaded.figures[2][0][0].get(), loaded.stars[2].get());
}

TEST(CatalogLoader, DeepSkyObjects) {
  const LoadedCatalogs loaded = loadSmall();
  ASSERT_EQ(loaded.dsos.size(), 3u);
  const MapEntry &plain = *loaded.dsos[0];
  EXPECT_EQ(plain.name, QStringLiteral("NGC1"));
  EXPECT_EQ(plain.mag, 10.0f);
  EXPECT_NEAR(plain.diameter, 0.0346f, 0.0001f);
  const MapEntry &m31 = *loaded.dsos[1];
  EXPECT_EQ(m31.name, QStringLiteral("NGC224, M31, Andromeda Galaxy"));
  EXPECT_FLOAT_EQ(m31.diameter, 190.0f / 60.0f);  // the larger axis, here the minor one
  EXPECT_EQ(m31.id, 0);
  EXPECT_FLOAT_EQ(loaded.dsos[2]->diameter, 30.0f / 60.0f);
}

TEST(CatalogLoader, MilkyWayPolylines) {
  const LoadedCatalogs loaded = loadSmall();
  ASSERT_EQ(loaded.milkyway.size(), 2u);
  EXPECT_EQ(loaded.milkyway[0].size(), 3u);
  EXPECT_EQ(loaded.milkyway[1].size(), 1u);
  EXPECT_EQ(loaded.milkyway[1][0]->j2kRA, 4.0);
  EXPECT_EQ(loaded.milkyway[1][0]->diameter, 0.0f);
  EXPECT_FALSE(loaded.milkyway[1][0]->name.has_value());
}

TEST(CatalogLoader, SolarSystem) {
  const LoadedCatalogs loaded = loadSmall();
  std::vector<int32_t> ids;
  for (const MapEntryPtr &b : loaded.solarsys)
    ids.push_back(b->id);
  EXPECT_EQ(ids, (std::vector<int32_t>{1, 2, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(loaded.solarsys[0]->name, QStringLiteral("Mercury"));
  EXPECT_EQ(loaded.solarsys[0]->diameter, 1.0f);
  EXPECT_NEAR(loaded.solarsys[5]->diameter, 0.168f, 0.001f);  // Uranus
  EXPECT_EQ(loaded.solarsys[8]->diameter, 5.0f);              // Sun
  EXPECT_EQ(loaded.solarsys[9]->name, QStringLiteral("Moon"));
  EXPECT_EQ(loaded.solarsys[9]->diameter, 5.0f);
}

TEST(CatalogLoader, EmptyTables) {
  const FigureTable none;
  const LoadedCatalogs loaded = CatalogLoader::load({&STAR_END, &DSO_END, &OUTLINE_END, &none});
  EXPECT_TRUE(loaded.stars.empty());
  EXPECT_TRUE(loaded.dsos.empty());
  EXPECT_TRUE(loaded.milkyway.empty());
  EXPECT_TRUE(loaded.figures.empty());
  EXPECT_EQ(loaded.solarsys.size(), 10u);
}
