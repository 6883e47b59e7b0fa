#include "skymap/MapView.h"

#include <QDateTime>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>

#include "core/Dispatch.h"
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

// Clips to the circle of the radius (map units) around the zenith, unless the exposed area lies
// well inside it, where the clip would leave every pixel as it is.
void clipToCircle(QPainter &painter, const MapPass &pass, double radius) {
  const QRectF &e = pass.exposed;
  const double x = std::max(std::abs(e.left()), std::abs(e.right())),
               y = std::max(std::abs(e.top()), std::abs(e.bottom()));
  if (std::hypot(x, y) < radius - 4 / pass.rawScale) {
    painter.setClipping(false);
    return;
  }
  painter.setClipPath(circle(radius));
}

}  // namespace

MapView::MapView(const QRect &frame, std::shared_ptr<const SkyModel> sky, QWidget *parent)
    : QWidget(parent), sky_(std::move(sky)) {
  setGeometry(frame);
  initialize();
}

MapView::MapView(QWidget *parent) : QWidget(parent), sky_(SkyModel::shared()) {
  initialize();
  setZoom(UserDefaults::read(Setting::ZOOM));
  setRotation(UserDefaults::read(Setting::ROTATION));
  QTimer::singleShot(1000, this, &MapView::restoreCenter);
}

MapView::~MapView() = default;

void MapView::initialize() {
  skyPlaces_ = sky_->initialPlaces;
  objectSearch_ = new ObjectSearch(
      sky_, [this](const MapEntryPtr &entry) { select(entry); }, this);
  now_ = [] { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; };
  overlay_ = new Overlay(this);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_AcceptTouchEvents);
  grabGesture(Qt::PinchGesture);
  settings_ = MapSettings::read();
  UserDefaults::onChange(this, [this](const QString &) { applySettings(); });
}

void MapView::applySettings() {
  const MapSettings read = MapSettings::read();
  if (read == settings_) return;
  if (read.magnitudeLimit != settings_.magnitudeLimit) cachedStars_.reset();
  settings_ = read;
  QWidget::update();
  overlay_->update();
}

void MapView::dropLayers() {
  cachedMilkyway.reset();
  cachedFigures_.reset();
  cachedStars_.reset();
  cachedDSOs_.reset();
}

double MapView::mirrored() const { return settings_.flipHorizontally == settings_.flipVertically ? 1.0 : -1.0; }

void MapView::resizeEvent(QResizeEvent *event) {
  overlay_->resize(event->size());
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

  displayScale_ = devicePixelRatioF();
  rawScale_ = width() / MapProjection::MAP_WIDTH;
  scale_ = rawScale_ * displayScale_;

  pass.transform = mapTransform();
  pass.rawScale = rawScale_;
  pass.scale = scale_;
  pass.dirty = dirty;
  pass.exposed = MapProjection::unmapRect(pass.transform, dirty);
  pass.fontSize = settings_.fontSize;

  // Map units on top of whatever the painter was given (the widget's own coordinates when painting).
  pass.view = painter.worldTransform();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setWorldTransform(pass.transform.toQTransform() * pass.view);
  MapGrid::drawGrid(painter, pass);
  MapGrid::drawAzimuthLabels(painter, pass);
  MapGrid::drawCardinalMarks(painter, pass);

  buildLayers();
  const SkyPlaces &places = *skyPlaces_;
  clipToCircle(painter, pass, MapProjection::HORIZON);
  painter.fillPath(MapPaths::clipRings(*cachedMilkyway, pass.exposed.adjusted(-1, -1, 1, 1)), pass.palette.milkyWay);

  // Discs just above the horizon may reach past it, up to this radius.
  clipToCircle(painter, pass, 100);
  painter.strokePath(*cachedFigures_, QPen(pass.palette.secondaryLabel, 0.5 / scale_));

  painter.fillPath(cachedDSOs_->discsMeeting(pass.exposed.adjusted(-1, -1, 1, 1)), pass.palette.deepSky);

  cachedStars_->discs.fill(painter, pass.exposed, pass.palette.stars);

  drawnBodies_ = MapBodies::draw(painter, pass, sky_->bodies, places.bodies);

  if (settings_.showNames)
    MapNames::draw(painter, pass, width(), {sky_->stars, places.stars, cachedStars_->named},
                   {sky_->deepSky, places.deepSky, cachedDSOs_->drawn}, {sky_->bodies, places.bodies, drawnBodies_});
}

void MapView::buildLayers() {
  const SkyPlaces &places = *skyPlaces_;
  concurrentPerform(cachedMilkyway ? 1 : 2, [&](size_t part) {
    if (part == 1) {
      cachedMilkyway = MapPaths::milkyWay(places.milkyWay, sky_->milkyWayEnds,
                                          MapPaths::galacticPole(lastLatitude_, lastLongitude_, lastElevation_));
      return;
    }
    if (!cachedFigures_) cachedFigures_ = MapPaths::figures(sky_->figures, places.stars);
    if (!cachedDSOs_) cachedDSOs_ = MapPaths::deepSky(sky_->deepSky, places.deepSky, rawScale_);
    if (!cachedStars_) cachedStars_ = MapPaths::stars(sky_->stars, places.stars, rawScale_, settings_.magnitudeLimit);
  });
}

MapProjection::Transform MapView::mapTransform() const {
  MapProjection::Transform transform;
  transform.rotation = rotation_;
  transform.scale = width() / MapProjection::MAP_WIDTH;
  transform.flipHorizontally = settings_.flipHorizontally ? -1.0 : 1.0;
  transform.flipVertically = settings_.flipVertically ? -1.0 : 1.0;
  transform.translation = QPointF(width() / 2.0, height() / 2.0);
  return transform;
}
