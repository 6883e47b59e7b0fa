#include "MapClicks.h"

#include <QTest>

#include "skymap/MapProjection.h"
#include "skymap/MapView.h"

MapEntryPtr clickBrightStar(MapView *map) {
  map->grab();  // a drawing pass marks what is visible
  for (const MapEntryPtr &star : map->stars) {
    if (star->visible && star->alt > 20 && star->mag < 3) {
      const QPointF at = map->mapTransform().map(MapProjection::mapPoint(star->alt, star->az));
      QTest::mouseClick(map, Qt::LeftButton, {}, at.toPoint());
      return star;
    }
  }
  return nullptr;
}
