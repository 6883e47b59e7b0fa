#include "BoardFixture.h"

#include <QSettings>
#include <QTest>
#include <kestor.h>

#include "core/Globals.h"
#include "views/BoardControls.h"
#include "widgets/FlippedFrame.h"

std::vector<LoggedLine> BoardFixture::logged;

namespace {

void keepLine(const char *line) { BoardFixture::logged.push_back({line, kestor_get_log_level()}); }

// A point on the widget's title, away from its edges.
constexpr QPoint ON_TITLE(10, 10);

}  // namespace

BoardFixture::BoardFixture() {
  dashboardScroll->setFrameShape(QFrame::NoFrame);
  dashboardScroll->setGeometry(440, 0, 860, 300);
  for (QPushButton *b : {&lockButton, &unlockButton, &breakButton}) {
    b->setCheckable(true);
  }
  dashboard->lockButton = &lockButton;
  dashboard->unlockButton = &unlockButton;
  dashboard->lockMenu = &lockMenu;
  dashboard->breakButton = &breakButton;
  dashboard->infoButton = &infoButton;
  dashboard->upButton = &upButton;
  dashboard->downButton = &downButton;
  dashboard->deleteButton = &deleteButton;
  dashboard->grayButton = &grayButton;
  dashboard->redButton = &redButton;
  dashboard->greenButton = &greenButton;
  dashboard->blueButton = &blueButton;
  dashboard->yellowButton = &yellowButton;
  dashboard->magentaButton = &magentaButton;
  dashboard->cyanButton = &cyanButton;
  connectBoardControls(dashboard);
  dashboard->layoutWidgets();
}

BoardFixture::~BoardFixture() {
  kestor_log_message_handler = nullptr;
  kestor_set_log_level(0);
  logged.clear();
  defaults().remove(QStringLiteral("locked"));
}

PropertyWidget *BoardFixture::pinned(const std::string &name, int height) {
  auto property = define(PropertyRecord("Device", name, KESTOR_NUMBER, KESTOR_STATE_OK, {numberItem("N", 1)}),
                         KESTOR_PERM_RO);
  PropertyWidget *widget = showWidget(property, dashboard);
  widget->resize(static_cast<int>(PropertyWidget::WIDGET_WIDTH), height);
  dashboard->layoutWidgets();
  return widget;
}

std::vector<PropertyWidget *> BoardFixture::pinnedAll(const std::string &letters, int height) {
  std::vector<PropertyWidget *> widgets;
  for (char letter : letters) {
    widgets.push_back(pinned(std::string(1, letter), height));
  }
  return widgets;
}

std::string BoardFixture::order() const {
  std::string names;
  for (PropertyWidget *w : dashboard->widgets()) {
    names += w->kproperty->name.toStdString();
  }
  return names;
}

void BoardFixture::click(PropertyWidget *widget, Qt::KeyboardModifiers modifiers) {
  QTest::mouseClick(widget->titleField, Qt::LeftButton, modifiers, ON_TITLE);
}

QPoint BoardFixture::topLeftOnBoard(QPointF point) const {
  return toBottomLeft(point, dashboard->height()).toPoint();  // the flip is its own inverse
}

void BoardFixture::clickBoard(QPointF point) {
  QTest::mouseClick(dashboard, Qt::LeftButton, Qt::NoModifier, topLeftOnBoard(point));
}

void BoardFixture::drag(PropertyWidget *widget, QPointF point) {
  const QPoint start = widget->titleField->mapTo(dashboard, ON_TITLE);
  const QPoint end = topLeftOnBoard(point);
  QTest::mousePress(widget->titleField, Qt::LeftButton, Qt::NoModifier, ON_TITLE);
  constexpr int STEPS = 4;
  for (int i = 1; i <= STEPS; ++i) {
    QTest::mouseMove(dashboard, start + (end - start) * i / STEPS);
  }
  QTest::mouseRelease(dashboard, Qt::LeftButton, Qt::NoModifier, end);
}

QPointF BoardFixture::origin(const PropertyWidget *widget) { return bottomLeftFrame(widget).topLeft(); }

void BoardFixture::captureLog() {
  logged.clear();
  kestor_log_message_handler = &keepLine;
}
