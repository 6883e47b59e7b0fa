#include "skymap/CatalogLoader.h"

#include "skymap/SkyPlace.h"

#include <unordered_map>

namespace {

struct Body {
  int32_t id;
  const char *name;
  float mag;
  float diameter;  // arcminutes, 0 = from the magnitude
};

constexpr Body BODIES[] = {
    {1, "Mercury", -2.6f, 0.0f}, {2, "Venus", -4.9f, 0.0f},     {4, "Mars", -3.0f, 0.0f},
    {5, "Jupiter", -2.9f, 0.0f}, {6, "Saturn", -0.25f, 0.0f},   {7, "Uranus", 5.3f, 0.0f},
    {8, "Neptune", 7.8f, 0.0f},  {9, "Pluto", 13.65f, 0.0f},    {10, "Sun", -26.0f, 300.0f},
    {11, "Moon", -12.0f, 300.0f},
};

void loadStars(const StarRow *rows, LoadedCatalogs &out, std::unordered_map<int, MapEntryPtr> &hipIndex,
               const kestor_site_context *site) {
  for (const StarRow *row = rows; row->hip != 0; ++row) {
    if (!(row->mag < CatalogLoader::STAR_MAGNITUDE_LIMIT))  // NaN is skipped too
      continue;
    std::optional<QString> name;
    if (row->name != nullptr)
      name = QString::fromUtf8(row->name);
    auto entry = std::make_shared<MapEntry>(row->hip, std::move(name), row->ra, row->dec, row->pmra,
                                            row->pmdec, row->px, row->rv, row->mag, 0.0f);
    SkyPlace::ofStar(*entry, site).applyTo(*entry);
    if (row->mag < CatalogLoader::FIGURE_MAGNITUDE_LIMIT)  // single precision on both sides
      hipIndex[row->hip] = entry;
    out.stars.push_back(std::move(entry));
  }
}

void loadDsos(const DsoRow *rows, LoadedCatalogs &out, const kestor_site_context *site) {
  for (const DsoRow *row = rows; row->id != nullptr; ++row) {
    if (!(row->mag < CatalogLoader::DSO_MAGNITUDE_LIMIT))  // a missing magnitude (0) passes
      continue;
    const float mag = row->mag == 0.0f ? CatalogLoader::DSO_MISSING_MAGNITUDE : row->mag;
    const float size = row->major > row->minor ? row->major : row->minor;
    const QString id = QString::fromUtf8(row->id);
    const QString name = row->name[0] == '\0' ? id : id + QStringLiteral(", ") + QString::fromUtf8(row->name);
    auto entry = std::make_shared<MapEntry>(0, name, row->ra, row->dec, 0.0f, 0.0f, 0.0f, 0.0f, mag, size);
    SkyPlace::ofStar(*entry, site).applyTo(*entry);
    out.dsos.push_back(std::move(entry));
  }
}

void loadMilkyWay(const OutlinePoint *points, LoadedCatalogs &out, const kestor_site_context *site) {
  std::vector<MapEntryPtr> polyline;
  for (const OutlinePoint *point = points; !(point->ra == 0.0f && point->dec == 0.0f); ++point) {
    if (point->ra == 255.0f && point->dec == 255.0f) {
      out.milkyway.push_back(std::move(polyline));
      polyline.clear();
      continue;
    }
    auto entry = std::make_shared<MapEntry>(point->ra, point->dec);
    SkyPlace::ofStar(*entry, site).applyTo(*entry);
    polyline.push_back(std::move(entry));
  }
}

void loadFigures(const FigureTable &table, const std::unordered_map<int, MapEntryPtr> &hipIndex,
                 LoadedCatalogs &out) {
  for (const auto &slot : table) {
    std::vector<std::vector<MapEntryPtr>> lines;
    for (const auto &hips : slot) {
      std::vector<MapEntryPtr> line;
      for (int hip : hips)
        if (auto found = hipIndex.find(hip); found != hipIndex.end())
          line.push_back(found->second);
      lines.push_back(std::move(line));
    }
    out.figures.push_back(std::move(lines));
  }
}

}  // namespace

CatalogTables CatalogTables::compiledIn() {
  return {star_catalog, dso_catalog, milky_way_outline, &figure_table()};
}

std::vector<MapEntryPtr> CatalogLoader::solarSystem() {
  std::vector<MapEntryPtr> bodies;
  for (const Body &body : BODIES)
    bodies.push_back(std::make_shared<MapEntry>(body.id, QString::fromUtf8(body.name), 0.0, 0.0, 0.0f, 0.0f,
                                                0.0f, 0.0f, body.mag, body.diameter));
  return bodies;
}

LoadedCatalogs CatalogLoader::load(const CatalogTables &tables) {
  LoadedCatalogs out;
  const SiteContext site(0.0, 0.0, 0.0);
  std::unordered_map<int, MapEntryPtr> hipIndex;
  loadStars(tables.stars, out, hipIndex, site.get());
  loadDsos(tables.dsos, out, site.get());
  loadMilkyWay(tables.milkyWay, out, site.get());
  for (MapEntryPtr &body : solarSystem()) {
    SkyPlace::ofBody(*body, site.get()).applyTo(*body);
    out.solarsys.push_back(std::move(body));
  }
  loadFigures(*tables.figures, hipIndex, out);
  out.hipIndexSize = hipIndex.size();
  return out;
}
