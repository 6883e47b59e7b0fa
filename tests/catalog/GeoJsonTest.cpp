// The GeoJSON catalogue resources of the in-process server: the pieces of their texts, the gzip
// member, and the three resources read back as JSON at apparent places computed without touching
// the catalogue tables.
#include "catalog/Catalog.h"
#include "catalog/GeoJsonBuilders.h"
#include "catalog/GeoJsonGzip.h"
#include "catalog/GeoJsonText.h"

#include <kestor.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <clocale>
#include <cmath>
#include <numeric>

namespace {

// A gzip member read back: its text and header, and whether it is one whole member.
struct Inflated {
  std::string text, name;
  unsigned long time = 1;
  int os = -1;
  bool ok = false;
  QJsonObject json() const { return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object(); }
};

Inflated gunzip(const std::vector<uint8_t> &member) {
  const size_t n = member.size(),
               size = n < 4 ? 0 : member[n - 4] | member[n - 3] << 8 | member[n - 2] << 16 | member[n - 1] << 24;
  Inflated result;
  result.text.resize(size + 1);  // room to see a longer text
  char name[64] = {};
  gz_header header{};
  header.name = reinterpret_cast<Bytef *>(name), header.name_max = sizeof name - 1;
  z_stream stream{};
  stream.next_in = const_cast<Bytef *>(member.data()), stream.avail_in = uInt(n);
  stream.next_out = reinterpret_cast<Bytef *>(result.text.data()), stream.avail_out = uInt(size + 1);
  inflateInit2(&stream, 31);
  inflateGetHeader(&stream, &header);
  result.ok = inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.avail_in == 0 && stream.total_out == size;
  result.text.resize(stream.total_out);
  result.name = name, result.time = header.time, result.os = header.os;
  inflateEnd(&stream);
  return result;
}

class GeoJson : public testing::Test {
protected:
  void SetUp() override { kestor_set_astro_time(2461000.5); }  // the routines' "now", for repeatable texts
  void TearDown() override { kestor_set_astro_time(0); }
};

}  // namespace

TEST(GeoJsonText, Pieces) {
  const struct {
    const char *name, *proper, *designation;
  } names[] = {{"α Andromedae, Alpheratz", "Alpheratz", "α Andromedae"},
               {"τ Phoenicis", "", "τ Phoenicis"},
               {nullptr, "", ""},
               {"a, b, Name", "Name", "a, b"},
               {"Ends with comma,", "", "Ends with comma"},
               {"x,y", "y", "x"}};
  for (const auto &n : names)
    EXPECT_EQ(geojson::splitStarName(n.name), (std::pair<std::string, std::string>(n.proper, n.designation)))
        << n.proper;
  for (const auto &[ra, lon] : {std::pair{0.0, 0.0}, {12, 180}, {13, -165}, {18, -90}, {23.5, -7.5}})
    EXPECT_DOUBLE_EQ(geojson::longitude(ra), lon) << ra;
  const std::string locale = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // when installed; the C locale otherwise
  std::string out;
  for (const auto &[value, decimals] : {std::pair{12.34567, 4}, {-0.5, 2}, {NAN, 2}, {INFINITY, 4}})
    geojson::appendNumber(out, value, decimals), out += ' ';
  std::setlocale(LC_NUMERIC, locale.c_str());
  EXPECT_EQ(out, "12.3457 -0.50 null null ");
  out.clear();
  geojson::appendEscaped(out, "a\"b\\c\nd\x01é");
  EXPECT_EQ(out, "a\\\"b\\\\c\\nd\\u0001é");

  for (const std::string &input : {stars_json_text(6), std::string()}) {
    const Inflated member = gunzip(gzip_buffer("stars.json", input));
    EXPECT_TRUE(member.ok);
    EXPECT_EQ(std::tuple(member.text, member.name, member.time, member.os), std::tuple(input, "stars.json", 0ul, 0));
  }
}

TEST_F(GeoJson, StarsAndDeepSkyObjectsUpToTheMagnitudeLimit) {
  int stars6 = 0, stars3 = 0, dsos0 = 0, dsos8 = 0;  // a missing magnitude (NaN) passes
  for (const StarRow *s = star_catalog; s->hip != 0; ++s) stars6 += !(s->mag > 6), stars3 += !(s->mag > 3);
  for (const DsoRow *d = dso_catalog; d->id != nullptr; ++d) dsos0 += !(d->mag > 0), dsos8 += !(d->mag > 8);
  const struct {
    std::vector<uint8_t> (*build)(int32_t);
    const char *file;
    int limit, count;
  } rows[] = {{build_stars_json, "stars.json", 6, stars6},
              {build_stars_json, "stars.json", 3, stars3},
              {build_stars_json, "stars.json", -30, 0},
              {build_dsos_json, "dsos.json", 0, dsos0},
              {build_dsos_json, "dsos.json", 8, dsos8}};
  for (const auto &r : rows) {
    SCOPED_TRACE(testing::Message() << r.file << " " << r.limit);
    const Inflated resource = gunzip(r.build(r.limit));
    ASSERT_TRUE(resource.ok && resource.name == r.file);
    const QJsonArray features = resource.json()["features"].toArray();
    EXPECT_EQ(features.size(), r.count);
    for (const auto &feature : features) {
      const QJsonObject properties = feature.toObject()["properties"].toObject();
      const QJsonArray point = feature.toObject()["geometry"].toObject()["coordinates"].toArray();
      EXPECT_TRUE(point.size() == 2 && point[0].toDouble() > -180 && point[0].toDouble() <= 180 &&
                  std::abs(point[1].toDouble()) <= 90);
      EXPECT_LE(properties["mag"].toDouble(), r.limit);
      EXPECT_TRUE(r.file != std::string("dsos.json") || properties["name"] == feature.toObject()["id"]);
    }
  }
  EXPECT_EQ(stars_json_text(-30), "{\"type\":\"FeatureCollection\",\"features\": []}");
}

TEST_F(GeoJson, StarFeatureCarriesTheSplitNameAndTheApparentPlace) {
  const StarRow *named = star_catalog;
  while (!(named->name && std::string(named->name).find(", ") != std::string::npos && named->mag <= 6)) ++named;
  const StarRow before = *named;
  const QJsonArray features = gunzip(build_stars_json(6)).json()["features"].toArray();
  EXPECT_EQ(std::tuple(named->ra, named->dec), std::tuple(before.ra, before.dec));  // the table keeps its J2000 place
  const auto feature = std::find_if(features.begin(), features.end(),
                                    [&](const auto &f) { return f.toObject()["id"].toInt() == named->hip; });
  ASSERT_NE(feature, features.end());
  const QJsonObject properties = (*feature).toObject()["properties"].toObject();
  EXPECT_EQ(std::pair(properties["name"].toString().toStdString(), properties["desig"].toString().toStdString()),
            geojson::splitStarName(named->name));
  double ra = named->ra, dec = named->dec;
  kestor_app_star(&ra, &dec, named->pmra, named->pmdec, named->px, named->rv);
  const QJsonArray point = (*feature).toObject()["geometry"].toObject()["coordinates"].toArray();
  EXPECT_NEAR(point[0].toDouble(), geojson::longitude(ra), 1e-4);
  EXPECT_NEAR(point[1].toDouble(), dec, 1e-4);
  EXPECT_GT(std::abs(dec - named->dec), 1e-3);  // precessed since J2000
}

TEST_F(GeoJson, ConstellationLines) {
  const size_t polylines = std::accumulate(figure_table().begin(), figure_table().end(), size_t{0},
                                           [](size_t sum, const auto &figure) { return sum + figure.size(); });
  const std::string text = constellation_lines_json_text();
  const Inflated lines = gunzip(build_constellation_lines_json());
  ASSERT_TRUE(lines.ok);
  EXPECT_EQ(lines.name, "constellations.lines.json");
  const QJsonObject geometry = lines.json()["features"].toArray()[0].toObject()["geometry"].toObject();
  EXPECT_EQ(geometry["type"].toString(), "MultiLineString");
  EXPECT_EQ(size_t(geometry["coordinates"].toArray().size()), polylines);
  build_stars_json(6);
  EXPECT_EQ(constellation_lines_json_text(), text) << "independent of earlier builds";
  std::string out;
  EXPECT_EQ(append_constellation_line(out, {0, -5}, true), 2u);  // unknown numbers are skipped
  const size_t written = append_constellation_line(out, {star_catalog[0].hip, 0}, false);
  EXPECT_EQ(written, out.size() - 2);
  EXPECT_EQ(out.substr(0, 5), "[],[[");
}
