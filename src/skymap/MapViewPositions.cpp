// MapView: keeping the places current for the observing site.
#include "skymap/MapView.h"

#include "core/Dispatch.h"
#include "skymap/MapOverlay.h"
#include "skymap/PositionThrottle.h"

#include <QPointer>

void MapView::update(double latitude, double longitude, double elevation) {
  PositionThrottle throttle{lastLatitude_, lastLongitude_, lastElevation_, lastUpdate_};
  if (!throttle.admit(latitude, longitude, elevation, now_())) return;
  const quint64 generation = ++recomputeGeneration_;
  QPointer<MapView> view(this);
  asyncGlobal([model = sky_, view, generation, latitude, longitude, elevation] {
    std::shared_ptr<const SkyPlaces> places = SkyPlaces::compute(*model, latitude, longitude, elevation);
    // A view that is gone by then drops the result; the pointer is only read on the main thread.
    asyncMain([view, generation, places = std::move(places)] {
      if (view) view->applyPlaces(generation, places);
    });
  });
}

void MapView::applyPlaces(quint64 generation, std::shared_ptr<const SkyPlaces> places) {
  if (generation != recomputeGeneration_) return;  // overtaken by a newer recomputation
  skyPlaces_ = std::move(places);
  if (selection_ && selection_->source) {
    selection_->place(skyPlaces_->of(selection_->source->list)[selection_->source->index]);
    overlay_->update();
  }
  dropLayers();
  QWidget::update();
}
