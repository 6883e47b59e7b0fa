#include "MapClicks.h"

#include <QTest>

#include "skymap/MapProjection.h"
#include "skymap/MapView.h"

MapEntryPtr clickBrightStar(MapView *map) {
  map->grab();  // a drawing pass decides what is drawn
  const SkyModel &sky = *SkyModel::shared();
  for (uint32_t i = 0; i < sky.stars.size(); ++i) {
    const SkyPlace &place = map->places().stars[i];
    if (!(place.alt > 20 && sky.stars[i].mag < 3)) continue;
    const QPointF mapPoint = MapProjection::mapPoint(place.alt, place.az);
    if (const MapEntryPtr drawn = map->entryAt(mapPoint); drawn && drawn->source == SkyRef{SkyList::Stars, i}) {
      QTest::mouseClick(map, Qt::LeftButton, {}, map->mapTransform().map(mapPoint).toPoint());
      return map->selection();
    }
  }
  return nullptr;
}
