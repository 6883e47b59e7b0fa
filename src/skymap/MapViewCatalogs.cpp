// MapView: the catalogue lists.
#include "skymap/MapView.h"

#include "skymap/CatalogLoader.h"

std::vector<std::vector<std::vector<int>>> MapView::figureTable() {
  return figure_table();
}

void MapView::loadCatalogs() {
  CatalogTables tables = CatalogTables::compiledIn();
  tables.figures = &FIGURES;
  LoadedCatalogs loaded = CatalogLoader::load(tables);
  auto append = [](auto &to, auto &from) {
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
  };
  append(stars, loaded.stars);
  append(dsos, loaded.dsos);
  append(milkyway, loaded.milkyway);
  append(solarsys, loaded.solarsys);
  append(figures, loaded.figures);
}
