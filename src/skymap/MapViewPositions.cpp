// MapView: keeping the places current for the observing site.
#include "skymap/MapView.h"

#include "core/Dispatch.h"
#include "skymap/MapOverlay.h"
#include "skymap/PositionThrottle.h"

#include <QPointer>

void MapView::update(double latitude, double longitude, double elevation) {
  PositionThrottle throttle{lastLatitude, lastLongitude, lastElevation, lastUpdate};
  if (!throttle.admit(latitude, longitude, elevation, now()))
    return;
  const quint64 generation = ++recomputeGeneration;
  QPointer<MapView> view(this);
  asyncGlobal([model = sky, view, generation, latitude, longitude, elevation] {
    std::shared_ptr<const SkyPlaces> places = SkyPlaces::compute(*model, latitude, longitude, elevation);
    // A view that is gone by then drops the result; the pointer is only read on the main thread.
    asyncMain([view, generation, places = std::move(places)] {
      if (view)
        view->applyPlaces(generation, places);
    });
  });
}

void MapView::applyPlaces(quint64 generation, std::shared_ptr<const SkyPlaces> places) {
  if (generation != recomputeGeneration)
    return;  // overtaken by a newer recomputation
  skyPlaces = std::move(places);
  if (_selection && _selection->source) {
    _selection->place(skyPlaces->of(_selection->source->list)[_selection->source->index]);
    overlay->update();
  }
  dropLayers();
  QWidget::update();
}
