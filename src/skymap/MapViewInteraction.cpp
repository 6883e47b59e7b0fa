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

double MapView::zoom() const {
  return std::log2(width());
}

void MapView::setZoom(double z) {
  if (!MapInteraction::acceptsZoom(z))
    return;
  saveCenter();
  const int size = static_cast<int>(std::lround(std::exp2(z)));
  setGeometry(x(), y(), size, size);
  overlay->setGeometry(overlay->x(), overlay->y(), size, size);
  rawScale = size / MapProjection::MAP_WIDTH;
  cachedStars.reset();
  cachedDSOs.reset();
  scale = displayScale * rawScale;
  UserDefaults::write(Setting::ZOOM, z);
  restoreCenter();
}

void MapView::setRotation(double degrees) {
  _rotation = MapInteraction::normalizedRotation(degrees);
  UserDefaults::write(Setting::ROTATION, _rotation);
  update();
  overlay->update();
}

void MapView::setSelection(const MapEntryPtr &entry) {
  _selection = entry;
  overlay->update();
  if (mapDelegate)
    mapDelegate->selectedWithEntry(entry);
}

void MapView::setPosition(const MapEntryPtr &entry) {
  _position = entry;
  overlay->update();
}

void MapView::zoomAction(QObject *sender) {
  if (!sender)
    return;
  if (sender == outlets.zoomIn || sender == outlets.zoomInMenu)
    setZoom(zoom() + 0.5);
  else if (sender == outlets.zoomOut || sender == outlets.zoomOutMenu)
    setZoom(zoom() - 0.5);
}

void MapView::rotateAction(QObject *sender) {
  if (!sender)
    return;
  if (sender == outlets.rotateCW || sender == outlets.rotateCWMenu)
    setRotation(MapInteraction::rotationStep(_rotation, 15.0 * mirrored()));
  else if (sender == outlets.rotateCCW || sender == outlets.rotateCCWMenu)
    setRotation(MapInteraction::rotationStep(_rotation, -15.0 * mirrored()));
}

void MapView::centerAction(QObject *) {
  centerOn(MapInteraction::centerTarget(_center, _selection, _position));
}

void MapView::select(const MapEntryPtr &entry) {
  if (!entry)
    return;
  if (entry->source && entry->source->list == SkyList::Bodies)
    entry->updatePlanet(lastLatitude, lastLongitude, lastElevation);
  else
    entry->updateStar(lastLatitude, lastLongitude, lastElevation);
  setSelection(entry);
  if (mapDelegate)
    mapDelegate->addHistoryWithEntry(entry);
}

QAbstractScrollArea *MapView::enclosingScrollArea() const {
  for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
    if (auto *area = qobject_cast<QAbstractScrollArea *>(w))
      return area;
  }
  return nullptr;
}

void MapView::scrollTo(QPointF origin) {
  QAbstractScrollArea *area = enclosingScrollArea();
  area->horizontalScrollBar()->setValue(static_cast<int>(std::lround(origin.x())));
  area->verticalScrollBar()->setValue(static_cast<int>(std::lround(origin.y())));
}

void MapView::centerOn(const MapEntryPtr &entry) {
  _center = entry;
  QAbstractScrollArea *area = enclosingScrollArea();
  if (!area || !entry)
    return;
  const QSizeF visible = area->viewport()->size();
  scrollTo(mapTransform().map(mapPoint(entry->alt, entry->az)) - QPointF(visible.width() / 2, visible.height() / 2));
}

void MapView::saveCenter() {
  QAbstractScrollArea *area = enclosingScrollArea();
  if (!area)
    return;
  const QRectF visible(mapFrom(area->viewport(), QPoint(0, 0)), area->viewport()->size());
  const QPointF p = mapTransform().unmap(visible.topLeft() + QPointF(visible.width() / 2, visible.height() / 2));
  UserDefaults::write(Setting::CENTER_X, p.x());
  UserDefaults::write(Setting::CENTER_Y, p.y());
}

void MapView::restoreCenter() {
  QAbstractScrollArea *area = enclosingScrollArea();
  if (!area)
    return;
  const QPointF stored(UserDefaults::read(Setting::CENTER_X),
                       UserDefaults::read(Setting::CENTER_Y));
  const QSizeF visible = area->viewport()->size();
  scrollTo(mapTransform().map(stored) - QPointF(visible.width() / 2, visible.height() / 2));
}

MapEntryPtr MapView::entryAt(QPointF mapPoint) const {
  static const std::vector<uint32_t> none;
  const std::pair<SkyList, const std::vector<uint32_t> &> drawn[] = {
      {SkyList::Stars, cachedStars ? cachedStars->drawn : none},
      {SkyList::DeepSky, cachedDSOs ? cachedDSOs->drawn : none},
      {SkyList::Bodies, drawnBodies},
  };
  double best = 1.0;
  std::optional<SkyRef> chosen;
  for (const auto &[list, indices] : drawn) {
    const std::vector<SkyPlace> &places = skyPlaces->of(list);
    for (const uint32_t i : indices) {
      const QPointF d = MapProjection::mapPoint(places[i].alt, places[i].az) - mapPoint;
      const double distance2 = d.x() * d.x() + d.y() * d.y();
      if (distance2 < best) {
        best = distance2;
        chosen = SkyRef{list, i};
      }
    }
  }
  if (!chosen)
    return nullptr;
  return std::make_shared<MapEntry>(sky->of(chosen->list)[chosen->index], skyPlaces->of(chosen->list)[chosen->index],
                                    *chosen);
}

void MapView::mouseDown(QPointF viewPoint) {
  setSelection(entryAt(mapTransform().unmap(viewPoint)));
}

void MapView::rightMouseDown() {
  setSelection(nullptr);
}

void MapView::magnifyWithEvent(double magnification, GesturePhase phase) {
  if (phase == GesturePhase::Changed)
    setZoom(zoom() + magnification / 5.0);
}

void MapView::rotateWithEvent(double degreesCounterClockwise, GesturePhase phase) {
  if (phase == GesturePhase::Changed)
    setRotation(_rotation - degreesCounterClockwise * mirrored());
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
    case Qt::ZoomNativeGesture:
      magnifyWithEvent(gesture->value(), GesturePhase::Changed);
      return true;
    case Qt::RotateNativeGesture:
      rotateWithEvent(-gesture->value(), GesturePhase::Changed);
      return true;
    default:
      break;
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
