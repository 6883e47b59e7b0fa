// One box on a board that shows one bus property: a state icon, a title and two small buttons
// on top, then one row per item (text fields, number fields, switch buttons, lights or a BLOB
// picture), and for the mount's coordinates a sky map, for the guider's statistics a graph.
//
// Controls are placed by hand at frames whose origin is the bottom left of the box's content
// area (inset 5 on every side), rows 25 apart; FlippedFrame converts them for Qt. The items'
// labels are drawn by the box itself, not made as label widgets (a board may hold thousands of
// rows); the control each labels carries the label as its accessible name.
#pragma once

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <map>
#include <memory>
#include <vector>

#include "kestor/GuiderSample.h"
#include "kestor/KESTOR.h"
#include "skymap/MapViewDelegate.h"
#include "widgets/WidgetBoard.h"
#include "widgets/WidgetGeometry.h"

class ElidedLabel;
class GraphView;
class ImageView;
class KButton;
class MapView;
class QLabel;
class QLineEdit;

class PropertyWidget : public QWidget, public MapViewDelegate {
  Q_OBJECT

public:
  static constexpr double WIDGET_WIDTH = WidgetGeometry::WIDGET_WIDTH;
  static constexpr double WIDGET_HEIGHT = WidgetGeometry::WIDGET_HEIGHT;

  // The box's fill colour, components from 0 to 1.
  struct Fill {
    double red = 0.5, green = 0.5, blue = 0.5, alpha = 0.2;
  };

  // A widget with the header only, WIDGET_WIDTH x WIDGET_HEIGHT and without a parent: the
  // caller puts it on its board before or after build, which matters for the column rule.
  PropertyWidget(WidgetBoard *propertiesView, KESTOR *kestor, const QString &name, WidgetBoard *dashboardView);
  ~PropertyWidget() override;

  // Makes every control for the property and fixes the widget's height; the board the widget
  // sits on (None before it is put on one) picks the columns of switches and lights. Building
  // again replaces the controls of the earlier build.
  void build(const std::shared_ptr<KESTOR::Property> &property, WidgetGeometry::Board board);
  // Copies the property's state into the controls, leaving fields being edited alone.
  void update(const std::shared_ptr<KESTOR::Property> &property);
  using QWidget::update;
  // Moves the mount marker on the map (and centres it while the mount slews).
  void updateMountPosition(const std::shared_ptr<KESTOR::Property> &property);

  Fill fill() const { return fill_; }
  void setFill(const Fill &fill);
  void setFillAlpha(double alpha);

  double fullWidth = WIDGET_WIDTH;    // never changed
  double fullHeight = WIDGET_HEIGHT;  // set by build
  bool brk = false;                   // the widget ends its board column
  bool variableSize = false;

  ImageView *stateIcon;
  ElidedLabel *titleField;
  KButton *button1;
  KButton *button2;
  QLineEdit *dirField = nullptr;
  MapView *mapView = nullptr;
  GraphView *graphView = nullptr;
  QLabel *entryNameLabel = nullptr;
  std::map<QString, QWidget *> values;     // the control showing each item's value
  std::map<QString, QLineEdit *> targets;  // the target field of each writable number item

  QPointer<WidgetBoard> propertiesView;  // the owning board
  QPointer<WidgetBoard> dashboardView;   // where pin copies to; absent on dashboard copies
  KESTOR *kestor;
  QString name;
  std::shared_ptr<KESTOR::Property> kproperty;

  // MapViewDelegate.
  void selectedWithEntry(const MapEntryPtr &entry) override;
  void addHistoryWithEntry(const MapEntryPtr &entry) override;

  // The inner area the controls live in.
  QWidget *content() const { return content_; }

public slots:
  void pinAction();
  void unpinAction();
  void collapseAction();
  void setAction();
  void resetAction();
  void switchAction(QObject *sender);
  void folderAction();
  // Takes the folder chosen in the folder dialog (result 1 = accepted).
  void folderChosen(int result, const QString &path);
  void zoomInAction();
  void zoomOutAction();
  void centerPositionAction();
  void centerSelectionAction();
  void xyAction(QObject *sender);
  void eqAction(QObject *sender);
  void corrAction(QObject *sender);
  // A field the user typed into.
  void controlTextDidChange(QLineEdit *field);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  // Header and box.
  void dressButtons();
  void placeHeader(double height);
  // Every control of the content area but the header's four.
  std::vector<QWidget *> rowControls() const;
  // Draws the text at a frame of the content area as a one-line label cut with an ellipsis, and
  // names the control it labels after it.
  void addLabel(const QString &text, const QRectF &frame, QWidget *labelled);
  void clearRows();
  double contentHeight() const;
  // Positions a control of the content area at its frame.
  void place(QWidget *control, const QRectF &frame);
  // Positions a new control and shows it (a child made after its parent was shown stays hidden
  // until then).
  void addControl(QWidget *control, const QRectF &frame);
  void setBoxHeight(double height);

  // Rows (PropertyWidgetRows.cpp).
  void buildTextRow(const KESTOR::TextItem &item, int row);
  void buildNumberRow(const KESTOR::NumberItem &item, int row);
  void buildSwitchRow(const KESTOR::SwitchItem &item, int row, int columns);
  void buildLightRow(const KESTOR::LightItem &item, int row, int columns);
  void buildBLOBRow(KESTOR::BLOBItem &item);
  void buildSetReset();
  void buildZoomButtons();
  void buildMapBlock();
  void buildGuiderBlock();
  static int columnsFor(const KESTOR::Property &property, WidgetGeometry::Board board);
  static bool switchEnabled(const KESTOR::Property &property, bool on);
  KButton *smallButton(const QString &title, const QRectF &frame, const char *objectName);

  // Refresh (PropertyWidgetRefresh.cpp).
  void showBLOB(KESTOR::BLOBItem &item, ImageView *view);
  void addGuiderSample(const KESTOR::Property &property);

  // Actions (PropertyWidgetActions.cpp).
  void endEditing();
  void setGraphMode(GuiderSample::Series mode, QObject *sender);

  // An item's label: its text and its rectangle in the content area.
  struct Label {
    QString text;
    QRect rect;
  };

  QWidget *content_;
  Fill fill_;
  std::vector<Label> labels_;
  bool collapsed_ = false;  // only the header shows
  // The newest picture asked for, per picture view, also read by the pool; older pictures are
  // dropped.
  std::map<ImageView *, std::shared_ptr<std::atomic<quint64>>> pictureSequence_;
};
