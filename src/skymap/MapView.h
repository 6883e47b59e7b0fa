// The sky map: the whole sky above the observing site in an alt-azimuth projection centred on the
// zenith, with grid, azimuth labels, Milky Way, constellation figures, deep-sky objects, stars,
// solar-system bodies and their names; a transparent overlay marks the selection, the mount's
// position and the camera's field of view.
//
// The view is square and lives in a QScrollArea; its size is the zoom (2^zoom points a side).
// Map units are degrees of zenith distance: the horizon is the circle of radius 90 and the map is
// 210 units wide. Everything here belongs to the main thread.
//
// Where each concern lives:
//   MapView.cpp             construction, painting pass, the layer order
//   MapProjection.*         pure arithmetic: map points and the map transform, both ways
//   MapPass.h, MapPalette.*, MapText.*   what a drawing pass shares: transform, colours, text
//   MapGrid.*, MapPaths.*, MapBodies.*, MapNames.*, TiledDiscs.*   the layers
//   MapOverlay.*            MapView::Overlay
//   MapInteraction.*        pure rules of zoom, rotation and centring
//   MapViewInteraction.cpp  zoom, rotation, centring, selection, mouse, wheel and gestures
//   MapViewCatalogs.cpp     loadCatalogs, figureTable
//   MapViewPositions.cpp    update(latitude, longitude, elevation) and the recomputation
//   MapViewSearch.cpp       the object search (local catalogues and SIMBAD)
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "skymap/MapEntry.h"
#include "skymap/MapProjection.h"
#include "skymap/MapViewDelegate.h"
#include "skymap/MapPaths.h"
#include "skymap/MapSettings.h"

class QAbstractScrollArea;
class QNetworkAccessManager;

class MapView : public QWidget {
  Q_OBJECT

public:
  class Overlay;

  // Phases of a pinch or rotation gesture; only Changed moves the map.
  enum class GesturePhase { Began, Changed, Ended };

  // Made by code (the mount widget): keeps the given frame and reads no stored map setting.
  explicit MapView(const QRect &frame, QWidget *parent = nullptr);
  // Made from a Designer form: restores "zoom" and "rotation" at once and the visible centre one
  // second later.
  explicit MapView(QWidget *parent = nullptr);
  ~MapView() override;

  // --- outlets (the actions tell their senders apart by them) -------------------------------
  QPointer<QAbstractButton> zoomInButton, zoomOutButton, rotateCWButton, rotateCCWButton;
  QPointer<QAction> zoomInMenu, zoomOutMenu, rotateCWMenu, rotateCCWMenu;
  QPointer<QLineEdit> objectSearch;            // the search field
  std::unique_ptr<QMenu> searchMenu;           // titled "Search"; results carry their entry as data
  MapViewDelegate *delegate = nullptr;         // not owned; the delegate outlives the map

  // --- catalogues (filled once by loadCatalogs, never resized afterwards) --------------------
  std::vector<MapEntryPtr> stars, dsos, solarsys;
  std::vector<std::vector<std::vector<MapEntryPtr>>> figures;  // slot, polyline, points (star entries)
  std::vector<std::vector<MapEntryPtr>> milkyway;              // outline polylines

  // --- scales, set by every drawing pass ------------------------------------------------------
  double displayScale = 1.0;     // device pixels per view point
  double rawScale = 1.0;         // view points per map unit: width / 210
  double scale = 1.0;            // device pixels per map unit

  // --- settings: read at construction and again after every write (dropping the stars' layer
  // when the magnitude limit changed) ------------------------------------------------------------
  MapSettings settings;

  Overlay *overlay = nullptr;    // child widget, same size as the map

  // --- cached layers in map units; absent ones are rebuilt by the next drawing pass ----------
  std::optional<QPainterPath> cachedMilkyway, cachedFigures, cachedDSOs;
  std::optional<MapPaths::StarLayer> cachedStars;

  // --- positions (MapViewPositions.cpp) ------------------------------------------------------
  double lastLatitude = 0, lastLongitude = 0, lastElevation = 0;  // site of the latest recomputation
  double lastUpdate = 0;         // seconds since 1970 of the latest throttled recomputation
  std::function<double()> clock; // seconds since 1970; tests replace it
  quint64 recomputeGeneration = 0;  // the newest queued recomputation; older results are dropped
  // Inputs and results of one recomputation; defined with the recomputation.
  struct PositionJob;
  // Main thread: recomputes every position for the site unless the same site was done less than
  // five seconds ago.
  void update(double latitude, double longitude, double elevation);
  using QWidget::update;
  // Global pool: computes the places of the job's entries into the job; touches no view.
  static void recomputePositions(PositionJob &job);
  // Main thread: writes the job's places into the entries unless a newer recomputation was
  // queued, drops the four cached layers and repaints.
  void invalidateCachedPaths(const PositionJob &job);

  // --- catalogues (MapViewCatalogs.cpp) -----------------------------------------------------
  // HIP numbers of the constellation stick figures: slot, polyline, star.
  std::vector<std::vector<std::vector<int>>> FIGURES;
  static std::vector<std::vector<std::vector<int>>> figureTable();
  // Fills stars, dsos, milkyway, solarsys and figures from the compiled-in tables.
  void loadCatalogs();

  // --- state of the interaction -------------------------------------------------------------
  double _rotation = 0;          // degrees, 0 <= rotation < 360
  MapEntryPtr _selection, _position, _center;

  // --- zoom, rotation, selection, position (MapViewInteraction.cpp) -------------------------
  double zoom() const;           // log2 of the width
  // Accepts 9 <= z < 13 (anything else is ignored): resizes the map about the visible centre,
  // drops the star and deep-sky layers and stores "zoom".
  void setZoom(double z);
  double rotation() const { return _rotation; }
  // Normalises to [0, 360), stores "rotation" and repaints.
  void setRotation(double degrees);
  MapEntryPtr selection() const { return _selection; }
  // Repaints the overlay and tells the delegate, also when the selection is cleared.
  void setSelection(const MapEntryPtr &entry);
  MapEntryPtr position() const { return _position; }
  void setPosition(const MapEntryPtr &entry);

  // Records the entry as the centre and scrolls it to the middle of the visible area.
  void center(const MapEntryPtr &entry);
  // Stores the map point at the middle of the visible area as "centerX", "centerY".
  void saveCenter();
  // Scrolls the stored map point to the middle of the visible area.
  void restoreCenter();

  // The map transform in view points (the hit-test form): map units to the map's coordinates.
  MapProjection::Transform mapTransform() const;
  // The nearest drawn star, deep-sky object or body within one map unit of the map point.
  MapEntryPtr entryAt(QPointF mapPoint) const;

  // Event bodies, also driven directly by tests.
  void magnifyWithEvent(double magnification, GesturePhase phase);
  void rotateWithEvent(double degreesCounterClockwise, GesturePhase phase);
  void mouseDown(QPointF viewPoint);
  void rightMouseDown();

  // Draws the map into the rectangle (view points) with the painter of a paint event.
  void draw(QPainter &painter, const QRect &dirty);

  // --- search (MapViewSearch.cpp) -----------------------------------------------------------
  QNetworkAccessManager *network = nullptr;  // made on the first online query, child of the map
  double simbadTimeout = 10.0;               // seconds
  // Handles an answer of the online service; no data when the connection failed.
  void processSimbadResponse(const std::optional<QByteArray> &data);
  // Appends a result item that selects the entry when chosen.
  void addSearchItem(const QString &title, const MapEntryPtr &entry);

public slots:
  void zoomAction(QObject *sender);
  void rotateAction(QObject *sender);
  void centerAction(QObject *sender);
  // A result item of the search menu: positions its entry for the last site and selects it.
  void select(QAction *item);
  void searchAction(QObject *sender);

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
  // -1 when exactly one axis is mirrored, else 1.
  double mirrored() const;
  QAbstractScrollArea *enclosingScrollArea() const;
  void scrollTo(QPointF origin);
};
