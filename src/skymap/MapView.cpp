#include "skymap/MapView.h"

#include <QDateTime>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>

#include "core/Settings.h"
#include "skymap/MapBodies.h"
#include "skymap/MapGrid.h"
#include "skymap/MapNames.h"
#include "skymap/MapOverlay.h"
#include "skymap/MapPass.h"
#include "skymap/MapPaths.h"
#include "skymap/ObjectSearch.h"

namespace {

QPainterPath circle(double radius) {
  QPainterPath path;
  path.addEllipse(QRectF(-radius, -radius, 2 * radius, 2 * radius));
  return path;
}

}  // namespace

MapView::MapView(const QRect &frame, std::shared_ptr<const SkyModel> sky, QWidget *parent)
    : QWidget(parent), sky(std::move(sky)) {
  setGeometry(frame);
  initialize();
}

MapView::MapView(QWidget *parent) : QWidget(parent), sky(SkyModel::shared()) {
  initialize();
  setZoom(UserDefaults::read(Setting::ZOOM));
  setRotation(UserDefaults::read(Setting::ROTATION));
  QTimer::singleShot(1000, this, &MapView::restoreCenter);
}

MapView::~MapView() = default;

void MapView::initialize() {
  skyPlaces = sky->initialPlaces;
  objectSearch = new ObjectSearch(sky, [this](const MapEntryPtr &entry) { select(entry); }, this);
  now = [] { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; };
  overlay = new Overlay(this);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_AcceptTouchEvents);
  grabGesture(Qt::PinchGesture);
  settings = MapSettings::read();
  UserDefaults::onChange(this, [this](const QString &) { applySettings(); });
}

void MapView::applySettings() {
  const MapSettings read = MapSettings::read();
  if (read == settings)
    return;
  if (read.magnitudeLimit != settings.magnitudeLimit)
    cachedStars.reset();
  settings = read;
  QWidget::update();
  overlay->update();
}

void MapView::dropLayers() {
  cachedMilkyway.reset();
  cachedFigures.reset();
  cachedStars.reset();
  cachedDSOs.reset();
}

double MapView::mirrored() const {
  return settings.flipHorizontally == settings.flipVertically ? 1.0 : -1.0;
}

void MapView::resizeEvent(QResizeEvent *event) {
  overlay->resize(event->size());
  QWidget::resizeEvent(event);
}

void MapView::paintEvent(QPaintEvent *event) {
  QPainter painter(this);
  draw(painter, event->rect());
}

void MapView::draw(QPainter &painter, const QRect &dirty) {
  MapPass pass;
  pass.palette = MapPalette::of(*this);
  painter.fillRect(dirty, pass.palette.background);

  displayScale = devicePixelRatioF();
  rawScale = width() / MapProjection::MAP_WIDTH;
  scale = rawScale * displayScale;

  pass.transform = mapTransform();
  pass.rawScale = rawScale;
  pass.scale = scale;
  pass.dirty = dirty;
  pass.exposed = MapProjection::unmapRect(pass.transform, dirty);
  pass.fontSize = settings.fontSize;

  // Map units on top of whatever the painter was given (the widget's own coordinates when painting).
  pass.view = painter.worldTransform();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setWorldTransform(pass.transform.toQTransform() * pass.view);
  MapGrid::drawGrid(painter, pass);
  MapGrid::drawAzimuthLabels(painter, pass);
  MapGrid::drawCardinalMarks(painter, pass);

  const SkyPlaces &places = *skyPlaces;
  painter.setClipPath(circle(MapProjection::HORIZON));
  if (!cachedMilkyway)
    cachedMilkyway = MapPaths::milkyWay(places.milkyWay, sky->milkyWayEnds,
                                        MapPaths::galacticPole(lastLatitude, lastLongitude, lastElevation));
  painter.fillPath(MapPaths::clipRings(*cachedMilkyway, pass.exposed.adjusted(-1, -1, 1, 1)), pass.palette.milkyWay);

  // Discs just above the horizon may reach past it, up to this radius.
  painter.setClipPath(circle(100));
  if (!cachedFigures)
    cachedFigures = MapPaths::figures(sky->figures, places.stars);
  painter.strokePath(*cachedFigures, QPen(pass.palette.secondaryLabel, 0.5 / scale));

  if (!cachedDSOs)
    cachedDSOs = MapPaths::deepSky(sky->deepSky, places.deepSky, rawScale);
  painter.fillPath(cachedDSOs->discs, pass.palette.deepSky);

  if (!cachedStars)
    cachedStars = MapPaths::stars(sky->stars, places.stars, rawScale, settings.magnitudeLimit);
  cachedStars->discs.fill(painter, pass.exposed, pass.palette.stars);

  drawnBodies = MapBodies::draw(painter, pass, sky->bodies, places.bodies);

  if (settings.showNames)
    MapNames::draw(painter, pass, width(), {sky->stars, places.stars, cachedStars->named},
                   {sky->deepSky, places.deepSky, cachedDSOs->drawn}, {sky->bodies, places.bodies, drawnBodies});
}

MapProjection::Transform MapView::mapTransform() const {
  MapProjection::Transform transform;
  transform.rotation = _rotation;
  transform.scale = width() / MapProjection::MAP_WIDTH;
  transform.flipHorizontally = settings.flipHorizontally ? -1.0 : 1.0;
  transform.flipVertically = settings.flipVertically ? -1.0 : 1.0;
  transform.translation = QPointF(width() / 2.0, height() / 2.0);
  return transform;
}
