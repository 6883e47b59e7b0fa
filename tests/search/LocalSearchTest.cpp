// Matching queries against the map's catalogues.
#include "skymap/LocalSearch.h"

#include <gtest/gtest.h>

namespace {

std::vector<QString> titles(const QString &query) {
  std::vector<QString> out;
  for (const SearchResult &r : LocalSearch::find(query, *SkyModel::shared()))
    out.push_back(r.title);
  return out;
}

bool contains(const std::vector<QString> &list, const QString &title) {
  return std::find(list.begin(), list.end(), title) != list.end();
}

}  // namespace

TEST(LocalSearch, Normalisation) {
  struct Row { const char *query, *expected; } rows[] = {
      {"m031", "M31"}, {"M31", "M31"}, {"ngc0224", "NGC224"}, {"NGC 224", "NGC 224"}, {"ic 434", "IC 434"},
      {"IC434", "IC434"}, {"Sirius", "SIRIUS"}, {"m+5", "M5"}, {"mars", "MARS"}, {"straße", "STRASSE"},
  };
  for (const Row &row : rows)
    EXPECT_EQ(LocalSearch::normalised(QString::fromUtf8(row.query)), QString::fromUtf8(row.expected)) << row.query;
}

TEST(LocalSearch, HipNumbers) {
  EXPECT_EQ(titles(QStringLiteral("hip32349")), std::vector<QString>{QStringLiteral("HIP32349, α Canis Majoris, Sirius")});
  EXPECT_TRUE(titles(QStringLiteral("hip 32349")).empty());    // not a number: and no name search
  EXPECT_TRUE(titles(QStringLiteral("HIPPARCOS")).empty());
  EXPECT_TRUE(titles(QStringLiteral("hip999999")).empty());
  EXPECT_EQ(titles(QStringLiteral("HIP3")), std::vector<QString>{QStringLiteral("HIP3")});  // a star without a name
}

TEST(LocalSearch, Names) {
  const std::vector<QString> sirius = titles(QStringLiteral("sirius"));
  ASSERT_FALSE(sirius.empty());
  EXPECT_EQ(sirius.front(), QStringLiteral("HIP32349, α Canis Majoris, Sirius"));
  const std::vector<QString> m31 = titles(QStringLiteral("m031"));
  EXPECT_TRUE(contains(m31, QStringLiteral("NGC224, M31, Andromeda Galaxy")));
  const std::vector<QString> m3 = titles(QStringLiteral("M3"));
  EXPECT_TRUE(contains(m3, QStringLiteral("NGC224, M31, Andromeda Galaxy")));  // a plain substring test
  EXPECT_TRUE(contains(m3, QStringLiteral("NGC5272, M3")));
  EXPECT_EQ(titles(QStringLiteral("Saturn")), std::vector<QString>{QStringLiteral("Saturn")});
  EXPECT_TRUE(titles(QStringLiteral("nothing of that name")).empty());
}

TEST(LocalSearch, OrderIsStarsThenObjectsThenBodies) {
  const auto named = [](int32_t id, const char *name) {
    SkyObject object;
    object.id = id;
    object.name = name;
    return object;
  };
  SkyModel sky;
  sky.stars = {named(5, "Mars Star"), SkyObject{}, named(6, "marsh")};
  sky.deepSky = {named(0, "Mars Nebula")};
  sky.bodies = {named(4, "Mars")};
  const auto results = LocalSearch::find(QStringLiteral("mar"), sky);
  std::vector<QString> got;
  for (const SearchResult &r : results)
    got.push_back(r.title);
  EXPECT_EQ(got, (std::vector<QString>{QStringLiteral("HIP5, Mars Star"), QStringLiteral("HIP6, marsh"),
                                       QStringLiteral("Mars Nebula"), QStringLiteral("Mars")}));
  EXPECT_EQ(results.back().entry->source, (SkyRef{SkyList::Bodies, 0}));  // the model's object
  EXPECT_EQ(results[1].entry->source, (SkyRef{SkyList::Stars, 2}));
}
