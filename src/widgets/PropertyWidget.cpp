#include "widgets/PropertyWidget.h"

#include <QPaintEvent>
#include <QPainter>

#include "kestor/Model.h"
#include "skymap/MapView.h"
#include "widgets/ElidedLabel.h"
#include "widgets/FlippedFrame.h"
#include "widgets/ImageView.h"
#include "widgets/KButton.h"
#include "widgets/ResourceIcon.h"
#include "widgets/StatusImage.h"

PropertyWidget::PropertyWidget(WidgetBoard *propertiesView, KESTOR *kestor, const QString &name,
                               WidgetBoard *dashboardView)
    : QWidget(nullptr), propertiesView(propertiesView), dashboardView(dashboardView), kestor(kestor), name(name) {
  setObjectName(name);
  content_ = new QWidget(this);
  content_->setObjectName(QStringLiteral("content"));
  stateIcon = new ImageView(content_);
  stateIcon->setObjectName(QStringLiteral("stateIcon"));
  stateIcon->setPixmap(statusImage(0));
  titleField = new ElidedLabel(name, content_);
  titleField->setObjectName(QStringLiteral("title"));
  button1 = new KButton(QString(), content_);
  button1->setObjectName(QStringLiteral("button1"));
  button2 = new KButton(QString(), content_);
  button2->setObjectName(QStringLiteral("button2"));
  for (KButton *b : {button1, button2}) {
    b->setFlat(true);
    b->setBorderless(true);
  }
  setBoxHeight(fullHeight);
  placeHeader(fullHeight);
  dressButtons();
  if (dashboardView) {
    connect(button1, &QAbstractButton::clicked, this, &PropertyWidget::pinAction);
  } else {
    connect(button1, &QAbstractButton::clicked, this, &PropertyWidget::collapseAction);
    connect(button2, &QAbstractButton::clicked, this, &PropertyWidget::unpinAction);
  }
}

PropertyWidget::~PropertyWidget() {
  if (mapView) {
    mapView->setDelegate(nullptr);
  }
}

void PropertyWidget::dressButtons() {
  if (!propertiesView || !propertiesView->showButtons) {
    button1->setEnabled(false);
    button2->setEnabled(false);
    return;
  }
  button1->setButtonType(KButton::OnOff);
  button1->setState(KButton::OFF);
  if (dashboardView) {
    button1->setIcon(resourceIcon(QStringLiteral("Pin")));
    button1->setEnabled(true);
    button2->setEnabled(false);
  } else {
    button1->setEnabled(false);
    button2->setIcon(resourceIcon(QStringLiteral("Unpin")));
    button2->setButtonType(KButton::OnOff);
    button2->setState(KButton::OFF);
    button2->setEnabled(true);
  }
}

double PropertyWidget::contentHeight() const { return height() - 2 * WidgetGeometry::CONTENT_INSET; }

void PropertyWidget::place(QWidget *control, const QRectF &frame) {
  // A button is as big as its frame, no bigger and no smaller: Qt then leaves the content area
  // alone when it polishes the button, where it would otherwise post the area a layout request
  // that it first looks for among all the events still queued (a cost that grew with the board).
  if (qobject_cast<QAbstractButton *>(control)) control->setFixedSize(toTopLeft(frame, contentHeight()).size());
  placeAt(control, frame, contentHeight());
}

void PropertyWidget::addControl(QWidget *control, const QRectF &frame) {
  place(control, frame);
  control->show();
}

void PropertyWidget::addLabel(const QString &text, const QRectF &frame, QWidget *labelled) {
  labels_.push_back({text, toTopLeft(frame, contentHeight())});
  labelled->setAccessibleName(text);
}

void PropertyWidget::setBoxHeight(double height) {
  const double inset = WidgetGeometry::CONTENT_INSET;
  resize(static_cast<int>(fullWidth), static_cast<int>(height));
  content_->setGeometry(static_cast<int>(inset), static_cast<int>(inset), static_cast<int>(fullWidth - 2 * inset),
                        static_cast<int>(height - 2 * inset));
}

void PropertyWidget::placeHeader(double height) {
  place(stateIcon, QRectF(2, height - 34, 18, 20));
  place(titleField, QRectF(20, height - 35, fullWidth - 80, 20));
  place(button1, QRectF(fullWidth - 33, height - 33, 18, 18));
  place(button2, QRectF(fullWidth - 53, height - 33, 18, 18));
}

std::vector<QWidget *> PropertyWidget::rowControls() const {
  std::vector<QWidget *> controls;
  for (QWidget *child : content_->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child != stateIcon && child != titleField && child != button1 && child != button2) {
      controls.push_back(child);
    }
  }
  return controls;
}

void PropertyWidget::clearRows() {
  for (QWidget *control : rowControls()) {
    delete control;
  }
  labels_.clear();
  values.clear();
  targets.clear();
  dirField = nullptr;
  mapView = nullptr;
  graphView = nullptr;
  entryNameLabel = nullptr;
  pictureSequence_.clear();
}

void PropertyWidget::build(const std::shared_ptr<KESTOR::Property> &property, WidgetGeometry::Board board) {
  clearRows();
  kproperty = property;
  const bool writable = property->perm() != KESTOR_PERM_RO;
  const int count = static_cast<int>(property->itemNames.size());
  int columns = 3;
  switch (property->type()) {
  case KESTOR_BLOB:
    fullHeight = WidgetGeometry::BLOB_HEIGHT;
    variableSize = true;
    break;
  case KESTOR_SWITCH:
  case KESTOR_LIGHT:
    columns = columnsFor(*property, board);
    fullHeight = WidgetGeometry::gridHeight(count, columns);
    break;
  default:
    fullHeight = WidgetGeometry::fieldsHeight(count, writable, property->name);
    if (property->name == QLatin1String("MOUNT_EQUATORIAL_COORDINATES") ||
        property->name == QLatin1String("AGENT_GUIDER_STATS")) {
      variableSize = true;
    }
  }

  stateIcon->setPixmap(statusImage(property->state()));
  titleField->setText(property->description() + QStringLiteral(" @ ") + property->device->name);
  button1->setState(KButton::ON);
  button1->setEnabled(true);
  collapsed_ = false;
  setBoxHeight(fullHeight);
  placeHeader(fullHeight);

  int row = 0;
  for (KESTOR::Item *item : property->orderedItems()) {
    if (auto *text = dynamic_cast<KESTOR::TextItem *>(item)) {
      buildTextRow(*text, row);
    } else if (auto *number = dynamic_cast<KESTOR::NumberItem *>(item)) {
      buildNumberRow(*number, row);
    } else if (auto *sw = dynamic_cast<KESTOR::SwitchItem *>(item)) {
      buildSwitchRow(*sw, row, columns);
    } else if (auto *light = dynamic_cast<KESTOR::LightItem *>(item)) {
      buildLightRow(*light, row, columns);
    } else if (auto *blob = dynamic_cast<KESTOR::BLOBItem *>(item)) {
      buildBLOBRow(*blob);
    }
    ++row;
  }
  QWidget::update();  // the labels
}

void PropertyWidget::setFill(const Fill &fill) {
  fill_ = fill;
  QWidget::update();
}

void PropertyWidget::setFillAlpha(double alpha) {
  fill_.alpha = alpha;
  QWidget::update();
}

void PropertyWidget::paintEvent(QPaintEvent *event) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgbF(static_cast<float>(fill_.red), static_cast<float>(fill_.green),
                                    static_cast<float>(fill_.blue), static_cast<float>(fill_.alpha)));
  painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
  if (collapsed_) return;
  // Each label as a label widget at that place would draw it: left and vertically centred, cut
  // at the right with an ellipsis, nothing outside its rectangle.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(palette().color(QPalette::WindowText));
  const QFontMetrics metrics = fontMetrics();
  for (const Label &label : labels_) {
    const QRect area = label.rect.translated(content_->pos());
    if (!event->region().intersects(area)) continue;
    painter.setClipRect(area);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(label.text, Qt::ElideRight, area.width()));
  }
}

void PropertyWidget::collapseAction() {
  const bool collapse = button1->state() == KButton::OFF;
  collapsed_ = collapse;
  const double height = collapse ? WIDGET_HEIGHT : fullHeight;
  setBoxHeight(height);
  placeHeader(height);
  for (QWidget *control : rowControls()) {
    control->setVisible(!collapse);
  }
  if (propertiesView) {
    propertiesView->layoutWidgets();
  }
}
