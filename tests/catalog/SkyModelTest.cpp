// The loading rules on small tables.
#include "skymap/SkyModel.h"
#include "skymap/SkyPlaces.h"

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

std::shared_ptr<const SkyModel> loadSmall() {
  return SkyModel::load({STARS, DSOS, OUTLINE, &FIGURES});
}

std::vector<int32_t> ids(const std::vector<SkyObject> &objects) {
  std::vector<int32_t> out;
  for (const SkyObject &o : objects)
    out.push_back(o.id);
  return out;
}

}  // namespace

TEST(SkyModel, StarsAreCutAtMagnitudeEight) {
  const auto model = loadSmall();
  EXPECT_EQ(ids(model->stars), (std::vector<int32_t>{11, 12, 13, 15, 16, 16}));
  EXPECT_EQ(model->figureStars, 3u);  // 13, 15 and 16
  EXPECT_FALSE(model->stars[0].hasName());
  EXPECT_EQ(model->stars[2].nameText(), QStringLiteral("α Test, One"));
}

TEST(SkyModel, FiguresPointAtTheStars) {
  const auto model = loadSmall();
  using Lines = std::vector<std::vector<uint32_t>>;
  ASSERT_EQ(model->figures.size(), 3u);
  EXPECT_EQ(model->figures[0], (Lines{{3, 5}, {}}));  // HIP 15 and the later HIP 16; HIP 12 and 10 are missing
  EXPECT_TRUE(model->figures[1].empty());
  EXPECT_EQ(model->figures[2], (Lines{{2, 3}}));
}

TEST(SkyModel, DeepSkyObjects) {
  const auto model = loadSmall();
  ASSERT_EQ(model->deepSky.size(), 3u);
  const SkyObject &plain = model->deepSky[0];
  EXPECT_EQ(plain.nameText(), QStringLiteral("NGC1"));
  EXPECT_EQ(plain.mag, 10.0f);
  EXPECT_NEAR(plain.diameter, 0.0346f, 0.0001f);
  const SkyObject &m31 = model->deepSky[1];
  EXPECT_EQ(m31.nameText(), QStringLiteral("NGC224, M31, Andromeda Galaxy"));
  EXPECT_FLOAT_EQ(m31.diameter, 190.0f / 60.0f);  // the larger axis, here the minor one
  EXPECT_EQ(m31.id, 0);
  EXPECT_FLOAT_EQ(model->deepSky[2].diameter, 30.0f / 60.0f);
}

TEST(SkyModel, MilkyWayPolylines) {
  const auto model = loadSmall();
  EXPECT_EQ(model->milkyWayEnds, (std::vector<uint32_t>{3, 4}));
  ASSERT_EQ(model->milkyWay.size(), 4u);
  EXPECT_EQ(model->milkyWay[3].j2kRA, 4.0);
  EXPECT_EQ(model->milkyWay[3].diameter, 0.0f);
  EXPECT_FALSE(model->milkyWay[3].hasName());
}

TEST(SkyModel, SolarSystem) {
  const auto model = loadSmall();
  EXPECT_EQ(ids(model->bodies), (std::vector<int32_t>{1, 2, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(model->bodies[0].nameText(), QStringLiteral("Mercury"));
  EXPECT_EQ(model->bodies[0].diameter, 1.0f);
  EXPECT_NEAR(model->bodies[5].diameter, 0.168f, 0.001f);  // Uranus
  EXPECT_EQ(model->bodies[8].diameter, 5.0f);              // Sun
  EXPECT_EQ(model->bodies[9].nameText(), QStringLiteral("Moon"));
  EXPECT_EQ(model->bodies[9].diameter, 5.0f);
  // Every object is placed at loading, list by list.
  EXPECT_EQ(model->initialPlaces->bodies.size(), 10u);
  EXPECT_EQ(model->initialPlaces->milkyWay.size(), 4u);
}

TEST(SkyModel, EmptyTables) {
  const FigureTable none;
  const auto model = SkyModel::load({&STAR_END, &DSO_END, &OUTLINE_END, &none});
  EXPECT_TRUE(model->stars.empty());
  EXPECT_TRUE(model->deepSky.empty());
  EXPECT_TRUE(model->milkyWay.empty());
  EXPECT_TRUE(model->figures.empty());
  EXPECT_EQ(model->bodies.size(), 10u);
}

TEST(SkyModel, TheCompiledInModelIsLoadedOnce) {
  EXPECT_EQ(SkyModel::shared(), SkyModel::shared());
}
