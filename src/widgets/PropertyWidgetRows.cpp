// The rows a property widget builds for each kind of item, and the mount and guider blocks.
#include <QLineEdit>
#include <QScrollArea>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <algorithm>

#include "core/NumberText.h"
#include "kestor/KESTOR.h"
#include "kestor/Model.h"
#include "skymap/MapView.h"
#include "skymap/ObjectSearch.h"
#include "widgets/ElidedLabel.h"
#include "widgets/FieldStyle.h"
#include "widgets/GraphView.h"
#include "widgets/ImageView.h"
#include "widgets/KButton.h"
#include "widgets/PropertyWidget.h"
#include "widgets/ResourceIcon.h"
#include "widgets/StatusImage.h"

using WidgetGeometry::rowY;

namespace {

// Characters as a reader counts them (grapheme clusters), not UTF-16 units.
int characterCount(const QString &text) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  int count = 0;
  while (finder.toNextBoundary() != -1) {
    ++count;
  }
  return count;
}

QLineEdit *newField(QWidget *parent, const QString &objectName) {
  auto *field = new QLineEdit(parent);
  field->setObjectName(objectName);
  return field;
}

}  // namespace

int PropertyWidget::columnsFor(const KESTOR::Property &property, WidgetGeometry::Board board) {
  int longest = 0;
  for (const auto &[itemName, item] : property.items) {
    longest = std::max(longest, characterCount(item->description()));
  }
  return WidgetGeometry::columnCount(longest, static_cast<int>(property.itemNames.size()), board);
}

KButton *PropertyWidget::smallButton(const QString &title, const QRectF &frame, const char *objectName) {
  auto *button = new KButton(title, content_);
  button->setObjectName(QLatin1String(objectName));
  button->setFont(FieldStyle::smallFont());
  addControl(button, frame);
  return button;
}

void PropertyWidget::buildSetReset() {
  connect(smallButton(tr("Reset"), QRectF(280, 5, 50, 20), "reset"), &QAbstractButton::clicked, this,
          &PropertyWidget::resetAction);
  connect(smallButton(tr("Set"), QRectF(335, 5, 50, 20), "set"), &QAbstractButton::clicked, this,
          &PropertyWidget::setAction);
}

void PropertyWidget::buildTextRow(const KESTOR::TextItem &item, int row) {
  const bool writable = kproperty->perm() != KESTOR_PERM_RO;
  const double y = rowY(fullHeight, row);
  QLineEdit *field = newField(content_, QStringLiteral("value:") + item.name);
  addLabel(item.description() + QLatin1Char(':'), QRectF(5, y, 180, 20), field);
  if (kproperty->name == QLatin1String("CCD_LOCAL_MODE") && item.name == QLatin1String("DIR")) {
    dirField = field;
    addControl(field, QRectF(180, y, 175, 20));
    KButton *folder = smallButton(QString(), QRectF(360, y, 25, 20), "folder");
    folder->setIcon(resourceIcon(QStringLiteral("Folder")));
    connect(folder, &QAbstractButton::clicked, this, &PropertyWidget::folderAction);
  } else {
    if (item.name == QLatin1String("PASSWORD")) {
      field->setEchoMode(QLineEdit::Password);
    }
    addControl(field, QRectF(180, y, 205, 20));
  }
  if (writable) {
    FieldStyle::makeEditable(field);
  } else {
    FieldStyle::makeDisplay(field, false);
  }
  field->setText(item.value());
  values[item.name] = field;
  if (row == 0 && writable) {
    connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });
    buildSetReset();
  }
}

void PropertyWidget::buildNumberRow(const KESTOR::NumberItem &item, int row) {
  const bool writable = kproperty->perm() != KESTOR_PERM_RO;
  const double y = rowY(fullHeight, row);
  const QString format = item.format();
  QLineEdit *value = newField(content_, QStringLiteral("value:") + item.name);
  addLabel(item.description() + QLatin1Char(':'), QRectF(5, y, writable ? 180 : 280, 20), value);
  FieldStyle::makeDisplay(value, true);
  value->setAlignment(Qt::AlignRight);
  value->setText(numberText(item.value(), format));
  addControl(value, QRectF(writable ? 180 : 285, y, 100, 20));
  values[item.name] = value;
  if (writable) {
    QLineEdit *target = newField(content_, QStringLiteral("target:") + item.name);
    FieldStyle::makeEditable(target);
    target->setAlignment(Qt::AlignRight);
    target->setText(numberText(item.target(), format));
    addControl(target, QRectF(285, y, 100, 20));
    targets[item.name] = target;
    connect(target, &QLineEdit::textEdited, this, [this, target] { controlTextDidChange(target); });
  }
  if (row == 0 && writable) {
    buildSetReset();
    if (kproperty->name == QLatin1String("MOUNT_EQUATORIAL_COORDINATES")) {
      buildMapBlock();
    }
  }
  if (row == 0 && kproperty->name == QLatin1String("AGENT_GUIDER_STATS")) {
    buildGuiderBlock();
  }
}

void PropertyWidget::buildZoomButtons() {
  connect(smallButton(QStringLiteral("+"), QRectF(5, 5, 25, 20), "zoomIn"), &QAbstractButton::clicked, this,
          &PropertyWidget::zoomInAction);
  connect(smallButton(QStringLiteral("-"), QRectF(35, 5, 25, 20), "zoomOut"), &QAbstractButton::clicked, this,
          &PropertyWidget::zoomOutAction);
}

void PropertyWidget::buildMapBlock() {
  entryNameLabel = new ElidedLabel(tr("No selection"), content_);
  entryNameLabel->setObjectName(QStringLiteral("entryName"));
  entryNameLabel->setFont(FieldStyle::smallFont());
  addControl(entryNameLabel, QRectF(7, 27, 377, 20));

  auto *scroll = new QScrollArea(content_);
  scroll->setObjectName(QStringLiteral("mapScroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(false);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  addControl(scroll, QRectF(7, 55, 377, 290));
  mapView = new MapView(QRect(0, 0, 1024, 1024));
  mapView->setObjectName(QStringLiteral("map"));
  mapView->setDelegate(this);
  scroll->setWidget(mapView);

  buildZoomButtons();
  connect(smallButton(tr("Pos"), QRectF(65, 5, 50, 20), "pos"), &QAbstractButton::clicked, this,
          &PropertyWidget::centerPositionAction);
  connect(smallButton(tr("Sel"), QRectF(120, 5, 50, 20), "sel"), &QAbstractButton::clicked, this,
          &PropertyWidget::centerSelectionAction);
  QLineEdit *search = newField(content_, QStringLiteral("search"));
  search->setClearButtonEnabled(true);
  search->setPlaceholderText(tr("Search"));
  addControl(search, QRectF(175, 5, 100, 20));
  MapView *map = mapView;
  map->search().setField(search);
  map->search().setLog([](const QString &line) {
    if (KESTOR *client = KESTOR::clientInstance()) client->log(line, false);
  });
  connect(search, &QLineEdit::returnPressed, map, [map, search] { map->search().search(search); });

  const std::shared_ptr<KESTOR::Property> property = kproperty;
  QTimer::singleShot(100, map, [this, property] { updateMountPosition(property); });
}

void PropertyWidget::buildGuiderBlock() {
  graphView = new GraphView(content_);
  graphView->setObjectName(QStringLiteral("graph"));
  addControl(graphView, QRectF(7, 35, 377, 150));
  graphView->update();
  buildZoomButtons();
  KButton *xy = smallButton(QStringLiteral("XY"), QRectF(65, 5, 50, 20), "xy");
  KButton *eq = smallButton(QStringLiteral("EQ"), QRectF(120, 5, 50, 20), "eq");
  KButton *corr = smallButton(tr("Corr"), QRectF(175, 5, 50, 20), "corr");
  for (KButton *b : {xy, eq, corr}) {
    b->setButtonType(KButton::OnOff);
  }
  xy->setState(KButton::ON);
  connect(xy, &QAbstractButton::clicked, this, [this, xy] { xyAction(xy); });
  connect(eq, &QAbstractButton::clicked, this, [this, eq] { eqAction(eq); });
  connect(corr, &QAbstractButton::clicked, this, [this, corr] { corrAction(corr); });
  connect(smallButton(tr("Reset"), QRectF(335, 5, 50, 20), "reset"), &QAbstractButton::clicked, this,
          &PropertyWidget::resetAction);
}

bool PropertyWidget::switchEnabled(const KESTOR::Property &property, bool on) {
  // A read-only switch never takes clicks; the switch that is on in a one-of-many group can
  // only be turned off by turning another on.
  return property.perm() != KESTOR_PERM_RO && !(on && property.rule() == KESTOR_RULE_ONE_OF_MANY);
}

void PropertyWidget::buildSwitchRow(const KESTOR::SwitchItem &item, int row, int columns) {
  const QRectF frame = WidgetGeometry::switchFrame(row, columns, fullHeight);
  const QString label = item.description();
  auto *button = new KButton(QString(), content_, KButton::OnOff);
  button->setObjectName(QStringLiteral("switch:") + item.name);
  button->setProperty("itemLabel", label);
  button->setToolTip(label);
  button->setText(button->fontMetrics().elidedText(label, Qt::ElideMiddle, static_cast<int>(frame.width()) - 12));
  button->setState(item.value() ? KButton::ON : KButton::OFF);
  button->setEnabled(switchEnabled(*kproperty, item.value()));
  addControl(button, frame);
  connect(button, &QAbstractButton::clicked, this, [this, button] { switchAction(button); });
  values[item.name] = button;
}

void PropertyWidget::buildLightRow(const KESTOR::LightItem &item, int row, int columns) {
  auto *light = new ImageView(content_);
  light->setObjectName(QStringLiteral("value:") + item.name);
  light->setPixmap(statusImage(item.value()));
  addControl(light, WidgetGeometry::lightImageFrame(row, columns, fullHeight));
  addLabel(item.description(), WidgetGeometry::lightLabelFrame(row, columns, fullHeight), light);
  values[item.name] = light;
}

void PropertyWidget::buildBLOBRow(KESTOR::BLOBItem &item) {
  auto *view = new ImageView(content_);
  view->setObjectName(QStringLiteral("value:") + item.name);
  addControl(view, QRectF(5, 0, 379, 300));
  values[item.name] = view;
  showBLOB(item, view);
}
