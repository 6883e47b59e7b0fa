// A dashboard 300 points high with its whole toolbar wired as in the main window, holding
// property widgets 50 high, and the mouse and log helpers the board tests share.
#pragma once

#include <QAction>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <kestor.h>
#include <string>
#include <vector>

#include "WidgetFixture.h"
#include "core/Globals.h"
#include "views/BoardControls.h"
#include "widgets/ElidedLabel.h"
#include "widgets/FlippedFrame.h"

class BoardFixture : public WidgetFixture {
public:
  BoardFixture() {
    dashboardScroll->setFrameShape(QFrame::NoFrame);
    dashboardScroll->setGeometry(440, 0, 860, 300);
    for (QPushButton *b : {&lockButton, &unlockButton, &breakButton}) b->setCheckable(true);
    using Slot = QPointer<QAbstractButton> PropertiesView::*;
    for (const auto &[slot, button] :
         std::initializer_list<std::pair<Slot, QPushButton *>>{{&PropertiesView::lockButton, &lockButton},
                                                               {&PropertiesView::unlockButton, &unlockButton},
                                                               {&PropertiesView::breakButton, &breakButton},
                                                               {&PropertiesView::infoButton, &infoButton},
                                                               {&PropertiesView::upButton, &upButton},
                                                               {&PropertiesView::downButton, &downButton},
                                                               {&PropertiesView::deleteButton, &deleteButton},
                                                               {&PropertiesView::grayButton, &grayButton},
                                                               {&PropertiesView::redButton, &redButton},
                                                               {&PropertiesView::greenButton, &greenButton},
                                                               {&PropertiesView::blueButton, &blueButton},
                                                               {&PropertiesView::yellowButton, &yellowButton},
                                                               {&PropertiesView::magentaButton, &magentaButton},
                                                               {&PropertiesView::cyanButton, &cyanButton}}) {
      dashboard->*slot = button;
    }
    dashboard->lockMenu = &lockMenu;
    connectBoardControls(dashboard);
    dashboard->layoutWidgets();
  }
  ~BoardFixture() override {
    kestor_log_message_handler = nullptr;
    kestor_set_log_level(0);
    logged().clear();
    defaults().clear();
  }

  // Widgets for new one-item properties named by the letters, on the dashboard (or another board).
  std::vector<PropertyWidget *> pinnedAll(const std::string &letters, int height = 50,
                                          PropertiesView *board = nullptr) {
    board = board ? board : dashboard;
    std::vector<PropertyWidget *> widgets;
    for (char letter : letters) {
      widgets.push_back(showWidget(
          define(PropertyRecord("Device", std::string(1, letter), KESTOR_NUMBER, KESTOR_STATE_OK, {numberItem("N", 1)}),
                 KESTOR_PERM_RO),
          board));
      widgets.back()->resize(static_cast<int>(PropertyWidget::WIDGET_WIDTH), height);
    }
    board->layoutWidgets();
    return widgets;
  }
  // The property names of the dashboard's widgets in board order.
  std::string order() const {
    std::string names;
    for (PropertyWidget *w : dashboard->widgets()) names += w->kproperty->name.toStdString();
    return names;
  }
  std::vector<PropertyWidget *> selected() const { return {dashboard->selection.begin(), dashboard->selection.end()}; }

  // A click on the widget's title, which passes the click on to the board.
  static void click(PropertyWidget *widget, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(widget->titleField, Qt::LeftButton, modifiers, ON_TITLE);
  }
  // Selects the widgets at the given places: a click, then Shift-clicks.
  static void select(const std::vector<PropertyWidget *> &widgets, const std::vector<int> &places) {
    for (std::size_t i = 0; i < places.size(); ++i) {
      click(widgets[static_cast<std::size_t>(places[i])], i == 0 ? Qt::NoModifier : Qt::ShiftModifier);
    }
  }
  // The dashboard point (bottom-left origin) of a top-left position in the dashboard, and back.
  QPoint topLeftOnBoard(QPointF point) const { return toBottomLeft(point, dashboard->height()).toPoint(); }
  // A click on the dashboard at a point given from its bottom left.
  void clickBoard(QPointF point) {
    QTest::mouseClick(dashboard, Qt::LeftButton, Qt::NoModifier, topLeftOnBoard(point));
  }
  // Grabs the widget by its title and lets go over the dashboard point (bottom-left origin),
  // moving there in a few steps.
  void drag(PropertyWidget *widget, QPointF point) {
    const QPoint start = widget->titleField->mapTo(dashboard, ON_TITLE);
    const QPoint end = topLeftOnBoard(point);
    QTest::mousePress(widget->titleField, Qt::LeftButton, Qt::NoModifier, ON_TITLE);
    for (int i = 1; i <= 4; ++i) QTest::mouseMove(dashboard, start + (end - start) * i / 4);
    QTest::mouseRelease(dashboard, Qt::LeftButton, Qt::NoModifier, end);
  }
  // The widget's frame origin on the dashboard, bottom-left origin.
  static QPointF origin(const PropertyWidget *widget) { return bottomLeftFrame(widget).topLeft(); }
  // The widgets in one column, 55 apart from the top, in board order.
  void expectOneColumn() const {
    const std::vector<PropertyWidget *> now = dashboard->widgets();
    for (std::size_t i = 0; i < now.size(); ++i) {
      EXPECT_EQ(origin(now[i]), QPointF(0, 250 - 55.0 * static_cast<double>(i))) << i;
      EXPECT_EQ(now[i]->pos(), QPoint(0, 55 * static_cast<int>(i))) << i;
    }
  }

  // The library's log lines from now on, each with the log level in force when it came.
  static std::vector<std::pair<std::string, uint32_t>> &logged() {
    static std::vector<std::pair<std::string, uint32_t>> lines;
    return lines;
  }
  static void captureLog() {
    logged().clear();
    kestor_log_message_handler = [](const char *line) { logged().emplace_back(line, kestor_get_log_level()); };
  }

  static constexpr QPoint ON_TITLE{10, 10};  // away from the title's edges
  QPushButton lockButton, unlockButton, breakButton, infoButton, upButton, downButton, deleteButton;
  QPushButton grayButton, redButton, greenButton, blueButton, yellowButton, magentaButton, cyanButton;
  QAction lockMenu;
};
