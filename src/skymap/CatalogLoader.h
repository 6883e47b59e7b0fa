// Turns the compiled-in catalogue tables (or small ones given by tests) into the map's lists.
#pragma once

#include "catalog/Catalog.h"
#include "skymap/MapEntry.h"

#include <vector>

using FigureTable = std::vector<std::vector<std::vector<int>>>;

// The tables to load; each table ends with its own end row.
struct CatalogTables {
  const StarRow *stars;
  const DsoRow *dsos;
  const OutlinePoint *milkyWay;
  const FigureTable *figures;

  static CatalogTables compiledIn();
};

struct LoadedCatalogs {
  std::vector<MapEntryPtr> stars, dsos, solarsys;
  std::vector<std::vector<std::vector<MapEntryPtr>>> figures;
  std::vector<std::vector<MapEntryPtr>> milkyway;
  size_t hipIndexSize = 0;  // stars that figures can use
};

class CatalogLoader {
public:
  static constexpr float STAR_MAGNITUDE_LIMIT = 8.0f;
  static constexpr float FIGURE_MAGNITUDE_LIMIT = 6.6f;
  static constexpr float DSO_MAGNITUDE_LIMIT = 8.0f;
  static constexpr float DSO_MISSING_MAGNITUDE = 10.0f;

  // Builds the lists and places every entry for the site 0, 0, 0 now.
  static LoadedCatalogs load(const CatalogTables &tables);

  // The solar-system entries, in body-number order, not yet placed.
  static std::vector<MapEntryPtr> solarSystem();
};
