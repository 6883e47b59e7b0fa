// Zoom, rotation, centring and selection of the sky map, and the mouse and gesture events.
#include <QGestureEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPinchGesture>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

#include "core/Globals.h"
#include "core/Settings.h"
#include "skymap/MapInteraction.h"
#include "skymap/MapOverlay.h"
#include "skymap/MapView.h"

using MapProjection::mapPoint;

double MapView::zoom() const { return std::log2(width()); }

void MapView::setZoom(double z) {
  if (!MapInteraction::acceptsZoom(z)) return;
  saveCenter();
  const int size = static_cast<int>(std::lround(std::exp2(z)));
  setGeometry(x(), y(), size, size);
  overlay_->setGeometry(overlay_->x(), overlay_->y(), size, size);
  rawScale_ = size / MapProjection::MAP_WIDTH;
  cachedStars_.reset();
  cachedDSOs_.reset();
  scale_ = displayScale_ * rawScale_;
  UserDefaults::write(Setting::ZOOM, z);
  restoreCenter();
}

void MapView::setRotation(double degrees) {
  rotation_ = MapInteraction::normalizedRotation(degrees);
  UserDefaults::write(Setting::ROTATION, rotation_);
  update();
  overlay_->update();
}

void MapView::setSelection(const MapEntryPtr &entry) {
  selection_ = entry;
  overlay_->update();
  if (mapDelegate_) mapDelegate_->selectedWithEntry(entry);
}

void MapView::setPosition(const MapEntryPtr &entry) {
  position_ = entry;
  overlay_->update();
}

void MapView::zoomAction(QObject *sender) {
  if (!sender) return;
  if (sender == outlets_.zoomIn || sender == outlets_.zoomInMenu)
    setZoom(zoom() + 0.5);
  else if (sender == outlets_.zoomOut || sender == outlets_.zoomOutMenu)
    setZoom(zoom() - 0.5);
}

void MapView::rotateAction(QObject *sender) {
  if (!sender) return;
  if (sender == outlets_.rotateCW || sender == outlets_.rotateCWMenu)
    setRotation(MapInteraction::rotationStep(rotation_, 15.0 * mirrored()));
  else if (sender == outlets_.rotateCCW || sender == outlets_.rotateCCWMenu)
    setRotation(MapInteraction::rotationStep(rotation_, -15.0 * mirrored()));
}

void MapView::centerAction(QObject *) { centerOn(MapInteraction::centerTarget(center_, selection_, position_)); }

void MapView::select(const MapEntryPtr &entry) {
  if (!entry) return;
  if (entry->source && entry->source->list == SkyList::Bodies)
    entry->updatePlanet(lastLatitude_, lastLongitude_, lastElevation_);
  else
    entry->updateStar(lastLatitude_, lastLongitude_, lastElevation_);
  setSelection(entry);
  if (mapDelegate_) mapDelegate_->addHistoryWithEntry(entry);
}

QAbstractScrollArea *MapView::enclosingScrollArea() const {
  for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
    if (auto *area = qobject_cast<QAbstractScrollArea *>(w)) return area;
  }
  return nullptr;
}

void MapView::scrollTo(QPointF origin) {
  QAbstractScrollArea *area = enclosingScrollArea();
  area->horizontalScrollBar()->setValue(static_cast<int>(std::lround(origin.x())));
  area->verticalScrollBar()->setValue(static_cast<int>(std::lround(origin.y())));
}

void MapView::centerOn(const MapEntryPtr &entry) {
  center_ = entry;
  QAbstractScrollArea *area = enclosingScrollArea();
  if (!area || !entry) return;
  const QSizeF visible = area->viewport()->size();
  scrollTo(mapTransform().map(mapPoint(entry->alt, entry->az)) - QPointF(visible.width() / 2, visible.height() / 2));
}

void MapView::saveCenter() {
  QAbstractScrollArea *area = enclosingScrollArea();
  if (!area) return;
  const QRectF visible(mapFrom(area->viewport(), QPoint(0, 0)), area->viewport()->size());
  const QPointF p = mapTransform().unmap(visible.topLeft() + QPointF(visible.width() / 2, visible.height() / 2));
  UserDefaults::write(Setting::CENTER_X, p.x());
  UserDefaults::write(Setting::CENTER_Y, p.y());
}

void MapView::restoreCenter() {
  QAbstractScrollArea *area = enclosingScrollArea();
  if (!area) return;
  const QPointF stored(UserDefaults::read(Setting::CENTER_X), UserDefaults::read(Setting::CENTER_Y));
  const QSizeF visible = area->viewport()->size();
  scrollTo(mapTransform().map(stored) - QPointF(visible.width() / 2, visible.height() / 2));
}

MapEntryPtr MapView::entryAt(QPointF mapPoint) const {
  static const std::vector<uint32_t> none;
  const std::pair<SkyList, const std::vector<uint32_t> &> drawn[] = {
      {SkyList::Stars, cachedStars_ ? cachedStars_->drawn : none},
      {SkyList::DeepSky, cachedDSOs_ ? cachedDSOs_->drawn : none},
      {SkyList::Bodies, drawnBodies_},
  };
  double best = 1.0;
  std::optional<SkyRef> chosen;
  for (const auto &[list, indices] : drawn) {
    const std::vector<SkyPlace> &places = skyPlaces_->of(list);
    for (const uint32_t i : indices) {
      const QPointF d = MapProjection::mapPoint(places[i].alt, places[i].az) - mapPoint;
      const double distance2 = d.x() * d.x() + d.y() * d.y();
      if (distance2 < best) {
        best = distance2;
        chosen = SkyRef{list, i};
      }
    }
  }
  if (!chosen) return nullptr;
  return std::make_shared<MapEntry>(sky_->of(chosen->list)[chosen->index], skyPlaces_->of(chosen->list)[chosen->index],
                                    *chosen);
}

void MapView::mouseDown(QPointF viewPoint) { setSelection(entryAt(mapTransform().unmap(viewPoint))); }

void MapView::rightMouseDown() { setSelection(nullptr); }

void MapView::magnifyWithEvent(double magnification, GesturePhase phase) {
  if (phase == GesturePhase::Changed) setZoom(zoom() + magnification / 5.0);
}

void MapView::rotateWithEvent(double degreesCounterClockwise, GesturePhase phase) {
  if (phase == GesturePhase::Changed) setRotation(rotation_ - degreesCounterClockwise * mirrored());
}

void MapView::mousePressEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton)
    mouseDown(event->position());
  else if (event->button() == Qt::RightButton)
    rightMouseDown();
  else
    QWidget::mousePressEvent(event);
}

void MapView::wheelEvent(QWheelEvent *event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    QWidget::wheelEvent(event);
    return;
  }
  // One notch of a mouse wheel (120 eighths of a degree) zooms as much as a pinch of 0.5.
  constexpr double MAGNIFICATION_PER_NOTCH = 0.5;
  magnifyWithEvent(event->angleDelta().y() / 120.0 * MAGNIFICATION_PER_NOTCH, GesturePhase::Changed);
  event->accept();
}

bool MapView::event(QEvent *event) {
  if (event->type() == QEvent::NativeGesture) {
    // Qt sends the changes of a pinch or rotation between a begin and an end event.
    const auto *gesture = static_cast<QNativeGestureEvent *>(event);
    switch (gesture->gestureType()) {
    case Qt::ZoomNativeGesture: magnifyWithEvent(gesture->value(), GesturePhase::Changed); return true;
    case Qt::RotateNativeGesture: rotateWithEvent(-gesture->value(), GesturePhase::Changed); return true;
    default: break;
    }
  }
  if (event->type() == QEvent::Gesture) {
    auto *gestures = static_cast<QGestureEvent *>(event);
    if (auto *pinch = static_cast<QPinchGesture *>(gestures->gesture(Qt::PinchGesture))) {
      const GesturePhase phase = pinch->state() == Qt::GestureUpdated ? GesturePhase::Changed : GesturePhase::Began;
      // Qt measures the pinch's turn clockwise on screen.
      rotateWithEvent(-(pinch->rotationAngle() - pinch->lastRotationAngle()), phase);
      magnifyWithEvent(pinch->scaleFactor() - 1.0, phase);
      gestures->accept(pinch);
    }
    return true;
  }
  return QWidget::event(event);
}
