// The three catalogue resources: gzip members named after their file, valid JSON with the expected
// features, apparent places computed without touching the catalogue tables.
#include "catalog/Catalog.h"
#include "catalog/GeoJsonBuilders.h"

#include "Gunzip.h"

#include <kestor.h>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

constexpr double FIXED_JD = 2461000.5;  // the routines' "now", for repeatable texts

struct Resource {
  Inflated inflated;
  QJsonObject json;
};

Resource read(const std::vector<uint8_t> &member) {
  Resource resource{gunzip(member), {}};
  QJsonParseError error{};
  const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(resource.inflated.text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  resource.json = document.object();
  return resource;
}

int starsWithin(int limit) {
  int count = 0;
  for (const StarRow *s = star_catalog; s->hip != 0; ++s) count += !(s->mag > static_cast<float>(limit));
  return count;
}

int dsosWithin(int limit) {
  int count = 0;
  for (const DsoRow *d = dso_catalog; d->id != nullptr; ++d) count += !(d->mag > static_cast<float>(limit));
  return count;
}

class GeoJsonResources : public ::testing::Test {
 protected:
  void SetUp() override { kestor_set_astro_time(FIXED_JD); }
  void TearDown() override { kestor_set_astro_time(0); }
};

}  // namespace

TEST_F(GeoJsonResources, StarsFollowTheMagnitudeLimit) {
  for (const int limit : {6, 3, -30}) {
    const Resource stars = read(build_stars_json(limit));
    ASSERT_TRUE(stars.inflated.ok) << limit;
    EXPECT_EQ(stars.inflated.name, "stars.json");
    const QJsonArray features = stars.json["features"].toArray();
    EXPECT_EQ(features.size(), starsWithin(limit)) << limit;
    for (const auto &feature : features) {
      const QJsonObject object = feature.toObject();
      EXPECT_EQ(object["type"].toString(), "Feature");
      EXPECT_LE(object["properties"].toObject()["mag"].toDouble(), limit);
      const QJsonArray point = object["geometry"].toObject()["coordinates"].toArray();
      ASSERT_EQ(point.size(), 2);
      EXPECT_GT(point[0].toDouble(), -180.0);
      EXPECT_LE(point[0].toDouble(), 180.0);
      EXPECT_LE(std::abs(point[1].toDouble()), 90.0);
    }
  }
  EXPECT_EQ(stars_json_text(-30), "{\"type\":\"FeatureCollection\",\"features\": []}");
}

TEST_F(GeoJsonResources, StarFeaturesCarryTheSplitNameAndTheApparentPlace) {
  const StarRow *named = nullptr;
  for (const StarRow *s = star_catalog; s->hip != 0 && !named; ++s)
    if (s->name && std::string(s->name).find(", ") != std::string::npos && s->mag <= 6) named = s;
  ASSERT_NE(named, nullptr);
  const double ra = named->ra, dec = named->dec;
  const Resource stars = read(build_stars_json(6));
  EXPECT_EQ(named->ra, ra);  // the table keeps its J2000 place
  EXPECT_EQ(named->dec, dec);
  const std::string name(named->name);
  const std::string designation = name.substr(0, name.rfind(','));
  const std::string proper = name.substr(name.rfind(',') + 2);
  for (const auto &feature : stars.json["features"].toArray()) {
    const QJsonObject object = feature.toObject();
    if (object["id"].toInt() != named->hip) continue;
    EXPECT_EQ(object["properties"].toObject()["name"].toString().toStdString(), proper);
    EXPECT_EQ(object["properties"].toObject()["desig"].toString().toStdString(), designation);
    double apparentRa = ra, apparentDec = dec;
    kestor_app_star(&apparentRa, &apparentDec, named->pmra, named->pmdec, named->px, named->rv);
    const QJsonArray point = object["geometry"].toObject()["coordinates"].toArray();
    EXPECT_NEAR(point[0].toDouble(), apparentRa <= 12 ? apparentRa * 15 : (apparentRa - 24) * 15, 1e-4);
    EXPECT_NEAR(point[1].toDouble(), apparentDec, 1e-4);
    EXPECT_GT(std::abs(point[1].toDouble() - dec), 1e-3);  // precessed since J2000
    return;
  }
  ADD_FAILURE() << "HIP " << named->hip << " missing";
}

TEST_F(GeoJsonResources, DeepSkyObjectsFollowTheirStoredMagnitude) {
  for (const int limit : {0, 8}) {
    const Resource dsos = read(build_dsos_json(limit));
    ASSERT_TRUE(dsos.inflated.ok);
    EXPECT_EQ(dsos.inflated.name, "dsos.json");
    const QJsonArray features = dsos.json["features"].toArray();
    EXPECT_EQ(features.size(), dsosWithin(limit)) << limit;
    for (const auto &feature : features) {
      const QJsonObject properties = feature.toObject()["properties"].toObject();
      EXPECT_EQ(properties["type"].toString(), "oc");
      EXPECT_EQ(properties["name"].toString(), feature.toObject()["id"].toString());
    }
  }
}

TEST_F(GeoJsonResources, ConstellationLinesDoNotDependOnEarlierBuilds) {
  size_t polylines = 0;
  for (const auto &figure : figure_table()) polylines += figure.size();
  const std::string before = constellation_lines_json_text();
  const Resource lines = read(build_constellation_lines_json());
  ASSERT_TRUE(lines.inflated.ok);
  EXPECT_EQ(lines.inflated.name, "constellations.lines.json");
  const QJsonArray features = lines.json["features"].toArray();
  ASSERT_EQ(features.size(), 1);
  const QJsonObject geometry = features[0].toObject()["geometry"].toObject();
  EXPECT_EQ(geometry["type"].toString(), "MultiLineString");
  EXPECT_EQ(static_cast<size_t>(geometry["coordinates"].toArray().size()), polylines);
  build_stars_json(6);
  EXPECT_EQ(constellation_lines_json_text(), before);
}

TEST(GeoJsonLines, UnknownHipNumbersAreSkipped) {
  std::string out;
  EXPECT_EQ(append_constellation_line(out, {0, -5}, true), 2u);
  EXPECT_EQ(out, "[]");
  const size_t written = append_constellation_line(out, {star_catalog[0].hip, 0}, false);
  EXPECT_EQ(written, out.size() - 2);
  EXPECT_EQ(out.substr(2, 3), ",[[");
}
