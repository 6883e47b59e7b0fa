#include "skymap/SkyModel.h"

#include <unordered_map>

#include "skymap/SkyPlaces.h"

namespace {

struct Body {
  int32_t id;
  const char *name;
  float mag;
  float diameter;  // arcminutes, 0 = from the magnitude
};

constexpr Body BODIES[] = {
    {1, "Mercury", -2.6f, 0.0f}, {2, "Venus", -4.9f, 0.0f},    {4, "Mars", -3.0f, 0.0f},   {5, "Jupiter", -2.9f, 0.0f},
    {6, "Saturn", -0.25f, 0.0f}, {7, "Uranus", 5.3f, 0.0f},    {8, "Neptune", 7.8f, 0.0f}, {9, "Pluto", 13.65f, 0.0f},
    {10, "Sun", -26.0f, 300.0f}, {11, "Moon", -12.0f, 300.0f},
};

void loadStars(const StarRow *rows, SkyModel &model, std::unordered_map<int, uint32_t> &hipIndex) {
  for (const StarRow *row = rows; row->hip != 0; ++row) {
    if (!(row->mag < SkyModel::STAR_MAGNITUDE_LIMIT))  // NaN is skipped too
      continue;
    if (row->mag < SkyModel::FIGURE_MAGNITUDE_LIMIT)  // single precision on both sides
      hipIndex[row->hip] = static_cast<uint32_t>(model.stars.size());
    model.stars.push_back({row->ra, row->dec, row->pmra, row->pmdec, row->px, row->rv, row->mag,
                           SkyObject::diameterFor(row->mag, 0.0f), row->hip, row->name, nullptr});
  }
}

void loadDeepSky(const DsoRow *rows, SkyModel &model) {
  for (const DsoRow *row = rows; row->id != nullptr; ++row) {
    if (!(row->mag < SkyModel::DSO_MAGNITUDE_LIMIT))  // a missing magnitude (0) passes
      continue;
    const float mag = row->mag == 0.0f ? SkyModel::DSO_MISSING_MAGNITUDE : row->mag;
    const float size = row->major > row->minor ? row->major : row->minor;
    model.deepSky.push_back(
        {row->ra, row->dec, 0.0f, 0.0f, 0.0f, 0.0f, mag, SkyObject::diameterFor(mag, size), 0, row->id, row->name});
  }
}

void loadMilkyWay(const OutlinePoint *points, SkyModel &model) {
  const auto end = [&model] { return static_cast<uint32_t>(model.milkyWay.size()); };
  for (const OutlinePoint *point = points; !(point->ra == 0.0f && point->dec == 0.0f); ++point) {
    if (point->ra == 255.0f && point->dec == 255.0f) {
      model.milkyWayEnds.push_back(end());
      continue;
    }
    SkyObject outline;
    outline.j2kRA = point->ra;
    outline.j2kDec = point->dec;
    model.milkyWay.push_back(outline);
  }
  // Points after the last closing row belong to no polyline.
  model.milkyWay.resize(model.milkyWayEnds.empty() ? 0 : model.milkyWayEnds.back());
}

void loadFigures(const FigureTable &table, const std::unordered_map<int, uint32_t> &hipIndex, SkyModel &model) {
  for (const auto &slot : table) {
    std::vector<std::vector<uint32_t>> lines;
    for (const auto &hips : slot) {
      std::vector<uint32_t> line;
      for (int hip : hips)
        if (auto found = hipIndex.find(hip); found != hipIndex.end()) line.push_back(found->second);
      lines.push_back(std::move(line));
    }
    model.figures.push_back(std::move(lines));
  }
}

}  // namespace

CatalogTables CatalogTables::compiledIn() { return {star_catalog, dso_catalog, milky_way_outline, &figure_table()}; }

std::shared_ptr<const SkyModel> SkyModel::load(const CatalogTables &tables) {
  auto model = std::make_shared<SkyModel>();
  std::unordered_map<int, uint32_t> hipIndex;
  loadStars(tables.stars, *model, hipIndex);
  loadDeepSky(tables.dsos, *model);
  loadMilkyWay(tables.milkyWay, *model);
  for (const Body &body : BODIES) {
    SkyObject object;
    object.mag = body.mag;
    object.diameter = SkyObject::diameterFor(body.mag, body.diameter);
    object.id = body.id;
    object.name = body.name;
    model->bodies.push_back(object);
  }
  loadFigures(*tables.figures, hipIndex, *model);
  model->figureStars = hipIndex.size();
  model->initialPlaces = SkyPlaces::compute(*model, 0.0, 0.0, 0.0);
  return model;
}

std::shared_ptr<const SkyModel> SkyModel::shared() {
  static const std::shared_ptr<const SkyModel> model = load(CatalogTables::compiledIn());
  return model;
}
