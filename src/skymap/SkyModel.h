// The sky model: the compiled-in catalogues loaded once into plain arrays, shared read-only by
// every map (and its object search). A map keeps its own places for its own site (SkyPlaces).
#pragma once

#include <memory>
#include <vector>

#include "catalog/Catalog.h"
#include "skymap/SkyObject.h"

struct SkyPlaces;

using FigureTable = std::vector<std::vector<std::vector<int>>>;

// The tables to load; each table ends with its own end row.
struct CatalogTables {
  const StarRow *stars;
  const DsoRow *dsos;
  const OutlinePoint *milkyWay;
  const FigureTable *figures;

  static CatalogTables compiledIn();
};

class SkyModel {
public:
  static constexpr float STAR_MAGNITUDE_LIMIT = 8.0f;
  static constexpr float FIGURE_MAGNITUDE_LIMIT = 6.6f;
  static constexpr float DSO_MAGNITUDE_LIMIT = 8.0f;
  static constexpr float DSO_MISSING_MAGNITUDE = 10.0f;

  std::vector<SkyObject> stars;                             // brighter than magnitude 8, in table order
  std::vector<SkyObject> deepSky;                           // brighter than magnitude 8 or without one
  std::vector<SkyObject> bodies;                            // the solar system, in body-number order
  std::vector<SkyObject> milkyWay;                          // the outline's points, polyline after polyline
  std::vector<uint32_t> milkyWayEnds;                       // where each outline polyline ends in milkyWay
  std::vector<std::vector<std::vector<uint32_t>>> figures;  // slot, polyline, index into stars
  size_t figureStars = 0;                                   // stars that figures can use (by HIP number)
  // Every object placed for the site 0, 0, 0 at loading: a map's places until its first site.
  std::shared_ptr<const SkyPlaces> initialPlaces;

  const std::vector<SkyObject> &of(SkyList list) const {
    return list == SkyList::Stars ? stars : list == SkyList::DeepSky ? deepSky : bodies;
  }

  // Builds the model from the tables.
  static std::shared_ptr<const SkyModel> load(const CatalogTables &tables);
  // The compiled-in catalogues, loaded on first use, once for the whole program.
  static std::shared_ptr<const SkyModel> shared();
};
