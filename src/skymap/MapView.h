// The sky map: the whole sky above the observing site in an alt-azimuth projection centred on the
// zenith, with grid, azimuth labels, Milky Way, constellation figures, deep-sky objects, stars,
// solar-system bodies and their names; a transparent overlay marks the selection, the mount's
// position and the camera's field of view.
//
// The view is square and lives in a QScrollArea; its size is the zoom (2^zoom points a side).
// Map units are degrees of zenith distance: the horizon is the circle of radius 90 and the map is
// 210 units wide. The objects come from a sky model shared by every map; the map keeps its own
// places for its own site. Everything here belongs to the main thread.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "skymap/MapEntry.h"
#include "skymap/MapPaths.h"
#include "skymap/MapProjection.h"
#include "skymap/MapSettings.h"
#include "skymap/MapViewDelegate.h"
#include "skymap/SkyModel.h"
#include "skymap/SkyPlaces.h"

class QAbstractScrollArea;
class ObjectSearch;

class MapView : public QWidget {
  Q_OBJECT

public:
  class Overlay;

  // Phases of a pinch or rotation gesture; only Changed moves the map.
  enum class GesturePhase { Began, Changed, Ended };

  // The buttons and menu items the actions tell their senders apart by.
  struct Controls {
    QPointer<QAbstractButton> zoomIn, zoomOut, rotateCW, rotateCCW;
    QPointer<QAction> zoomInMenu, zoomOutMenu, rotateCWMenu, rotateCCWMenu;
  };

  // Made by code (the mount widget): keeps the given frame and reads no stored map setting. The
  // objects and their first places come from the sky model.
  explicit MapView(const QRect &frame, std::shared_ptr<const SkyModel> sky = SkyModel::shared(),
                   QWidget *parent = nullptr);
  // Made from a Designer form: restores "zoom" and "rotation" at once and the visible centre one
  // second later.
  explicit MapView(QWidget *parent = nullptr);
  ~MapView() override;

  // Not owned; the delegate outlives the map or is taken away first.
  void setDelegate(MapViewDelegate *delegate) { mapDelegate_ = delegate; }
  void setControls(const Controls &controls) { outlets_ = controls; }
  // The object search of this map; its results are positioned and selected when chosen.
  ObjectSearch &search() { return *objectSearch_; }
  // Seconds since 1970; tests replace it.
  void setClock(std::function<double()> clock) { now_ = std::move(clock); }
  // Where every object is for the site of the latest recomputation.
  const SkyPlaces &places() const { return *skyPlaces_; }

  // Recomputes every position for the site on the global pool unless the same site was done less
  // than five seconds ago; the newest recomputation's places replace the map's when they arrive.
  void update(double latitude, double longitude, double elevation);
  using QWidget::update;

  double zoom() const;  // log2 of the width
  // Accepts 9 <= z < 13 (anything else is ignored): resizes the map about the visible centre,
  // drops the star and deep-sky layers and stores "zoom".
  void setZoom(double z);
  double rotation() const { return rotation_; }
  // Normalises to [0, 360), stores "rotation" and repaints.
  void setRotation(double degrees);
  MapEntryPtr selection() const { return selection_; }
  // Repaints the overlay and tells the delegate, also when the selection is cleared.
  void setSelection(const MapEntryPtr &entry);
  MapEntryPtr position() const { return position_; }
  void setPosition(const MapEntryPtr &entry);
  // The entry the map was last centred on.
  MapEntryPtr centered() const { return center_; }
  // Records the entry as the centre and scrolls it to the middle of the visible area.
  void centerOn(const MapEntryPtr &entry);
  // Positions the entry for the latest site (a body as a body), selects it and tells the delegate.
  void select(const MapEntryPtr &entry);

  // The map transform in view points (the hit-test form): map units to the map's coordinates.
  MapProjection::Transform mapTransform() const;
  // The nearest drawn star, deep-sky object or body within one map unit of the map point, placed.
  MapEntryPtr entryAt(QPointF mapPoint) const;
  // Drops the four cached layers: the next drawing pass builds them again.
  void dropLayers();

  // Event bodies, also driven directly by tests.
  void magnifyWithEvent(double magnification, GesturePhase phase);
  void rotateWithEvent(double degreesCounterClockwise, GesturePhase phase);
  void mouseDown(QPointF viewPoint);
  void rightMouseDown();

  // Draws the map into the rectangle (view points) with the painter of a paint event.
  void draw(QPainter &painter, const QRect &dirty);

public slots:
  void zoomAction(QObject *sender);
  void rotateAction(QObject *sender);
  void centerAction(QObject *sender);

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  // The wheel scrolls the enclosing scroll area; with Ctrl held it zooms like a pinch, for mice
  // and touchpads that send no pinch gestures.
  void wheelEvent(QWheelEvent *event) override;
  bool event(QEvent *event) override;

private:
  void initialize();
  void applySettings();
  // Builds the cached layers that are missing, the Milky Way on a pool thread beside the others.
  void buildLayers();
  // Takes the places of the recomputation unless a newer one was queued since; re-places a
  // selection from the sky model, drops the cached layers and repaints.
  void applyPlaces(quint64 generation, std::shared_ptr<const SkyPlaces> places);
  // -1 when exactly one axis is mirrored, else 1.
  double mirrored() const;
  QAbstractScrollArea *enclosingScrollArea() const;
  void scrollTo(QPointF origin);
  // Stores the map point at the middle of the visible area as "centerX", "centerY".
  void saveCenter();
  // Scrolls the stored map point to the middle of the visible area.
  void restoreCenter();

  std::shared_ptr<const SkyModel> sky_;
  std::shared_ptr<const SkyPlaces> skyPlaces_;
  MapViewDelegate *mapDelegate_ = nullptr;
  Controls outlets_;
  ObjectSearch *objectSearch_ = nullptr;  // a child of the map
  Overlay *overlay_ = nullptr;            // a child widget, the same size as the map
  MapSettings settings_;                  // read when made and after every write, also by other processes

  // Scales, set by every drawing pass.
  double displayScale_ = 1.0;  // device pixels per view point
  double rawScale_ = 1.0;      // view points per map unit: width / 210
  double scale_ = 1.0;         // device pixels per map unit

  // Cached layers in map units; absent ones are rebuilt by the next drawing pass.
  std::optional<QPainterPath> cachedMilkyway, cachedFigures_;
  std::optional<MapPaths::DeepSkyLayer> cachedDSOs_;
  std::optional<MapPaths::StarLayer> cachedStars_;
  std::vector<uint32_t> drawnBodies_;  // by the latest drawing pass

  // The site of the latest recomputation and its throttle.
  double lastLatitude_ = 0, lastLongitude_ = 0, lastElevation_ = 0;
  double lastUpdate_ = 0;  // seconds since 1970 of the latest throttled recomputation
  std::function<double()> now_;
  quint64 recomputeGeneration_ = 0;  // the newest queued recomputation; older results are dropped

  double rotation_ = 0;  // degrees, 0 <= rotation < 360
  MapEntryPtr selection_, position_, center_;
};
