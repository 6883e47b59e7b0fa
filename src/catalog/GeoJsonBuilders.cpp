#include "catalog/GeoJsonBuilders.h"

#include <kestor.h>

#include <unordered_map>

#include "catalog/Catalog.h"
#include "catalog/GeoJsonGzip.h"
#include "catalog/GeoJsonText.h"

namespace {

constexpr char CONTENT_TYPE[] = "application/json; charset=utf-8";
constexpr char COLLECTION_OPEN[] = "{\"type\":\"FeatureCollection\",\"features\": [";
constexpr char COLLECTION_CLOSE[] = "]}";
constexpr char LINES_OPEN[] =
    "{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\",\"id\":\"Const\",\"properties\":{},"
    "\"geometry\":{\"type\":\"MultiLineString\",\"coordinates\":[";
constexpr char LINES_CLOSE[] = "]}}]}";

// A catalogue place turned into the apparent place of now.
struct Place {
  double ra, dec;
};

Place apparent(double ra, double dec, double pmra, double pmdec, double px, double rv) {
  Place place{ra, dec};
  kestor_app_star(&place.ra, &place.dec, pmra, pmdec, px, rv);
  return place;
}

Place apparent(const StarRow &star) { return apparent(star.ra, star.dec, star.pmra, star.pmdec, star.px, star.rv); }

void appendPoint(std::string &out, const Place &place) {
  out += '[';
  geojson::appendNumber(out, geojson::longitude(place.ra), 4);
  out += ',';
  geojson::appendNumber(out, place.dec, 4);
  out += ']';
}

void appendGeometryEnd(std::string &out, const Place &place) {
  out += "},\"geometry\":{\"type\":\"Point\",\"coordinates\":";
  appendPoint(out, place);
  out += "}}";
}

void appendStar(std::string &out, const StarRow &star) {
  const auto [proper, designation] = geojson::splitStarName(star.name);
  out += "{\"type\":\"Feature\",\"id\":" + std::to_string(star.hip) + ",\"properties\":{\"name\": \"";
  geojson::appendEscaped(out, proper);
  out += "\",\"desig\":\"";
  geojson::appendEscaped(out, designation);
  out += "\",\"mag\": ";
  geojson::appendNumber(out, star.mag, 2);
  out += ",\"con\":\"\",\"bv\":0";
  appendGeometryEnd(out, apparent(star));
}

void appendDso(std::string &out, const DsoRow &dso) {
  out += "{\"type\":\"Feature\",\"id\":\"";
  geojson::appendEscaped(out, dso.id);
  out += "\",\"properties\":{\"name\": \"";
  geojson::appendEscaped(out, dso.id);
  out += "\",\"desig\": \"";
  geojson::appendEscaped(out, dso.name ? dso.name : "");
  out += "\",\"type\":\"oc\",\"mag\": ";
  geojson::appendNumber(out, dso.mag, 2);
  appendGeometryEnd(out, apparent(dso.ra, dso.dec, 0, 0, 0, 0));
}

// The first catalogue row of each HIP number.
const std::unordered_map<int, const StarRow *> &starsByHip() {
  static const auto *index = [] {
    auto *map = new std::unordered_map<int, const StarRow *>();
    for (const StarRow *star = star_catalog; star->hip != 0; ++star) map->emplace(star->hip, star);
    return map;
  }();
  return *index;
}

std::vector<uint8_t> registered(const char *path, const char *fileName, const std::string &text) {
  std::vector<uint8_t> compressed = gzip_buffer(fileName, text);
  if (compressed.empty() ||
      kestor_server_add_resource(path, compressed.data(), compressed.size(), CONTENT_TYPE) != KESTOR_OK)
    return {};
  return compressed;
}

}  // namespace

std::string stars_json_text(int32_t magnitudeLimit) {
  std::string out = COLLECTION_OPEN;
  bool first = true;
  for (const StarRow *star = star_catalog; star->hip != 0; ++star) {
    if (star->mag > static_cast<float>(magnitudeLimit)) continue;  // a missing magnitude (NaN) passes
    if (!first) out += ',';
    first = false;
    appendStar(out, *star);
  }
  return out + COLLECTION_CLOSE;
}

std::string dsos_json_text(int32_t magnitudeLimit) {
  std::string out = COLLECTION_OPEN;
  bool first = true;
  for (const DsoRow *dso = dso_catalog; dso->id != nullptr; ++dso) {
    if (dso->mag > static_cast<float>(magnitudeLimit)) continue;
    if (!first) out += ',';
    first = false;
    appendDso(out, *dso);
  }
  return out + COLLECTION_CLOSE;
}

size_t append_constellation_line(std::string &out, const std::vector<int> &hips, bool firstLine) {
  const size_t before = out.size();
  out += firstLine ? "[" : ",[";
  bool firstPoint = true;
  for (const int hip : hips) {
    const auto found = starsByHip().find(hip);
    if (found == starsByHip().end()) continue;
    if (!firstPoint) out += ',';
    firstPoint = false;
    appendPoint(out, apparent(*found->second));
  }
  out += ']';
  return out.size() - before;
}

std::string constellation_lines_json_text() {
  std::string out = LINES_OPEN;
  bool first = true;
  for (const auto &figure : figure_table())
    for (const auto &line : figure) {
      append_constellation_line(out, line, first);
      first = false;
    }
  return out + LINES_CLOSE;
}

std::vector<uint8_t> build_stars_json(int32_t magnitudeLimit) {
  return registered("/data/stars.json", "stars.json", stars_json_text(magnitudeLimit));
}

std::vector<uint8_t> build_dsos_json(int32_t magnitudeLimit) {
  return registered("/data/dsos.json", "dsos.json", dsos_json_text(magnitudeLimit));
}

std::vector<uint8_t> build_constellation_lines_json() {
  return registered("/data/constellations.lines.json", "constellations.lines.json", constellation_lines_json_text());
}
