// Boards with real widgets: pin, unpin and collapse, the order and the workspace record, and the
// scroll bars a board's size brings.
#include "BoardFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>

#include "widgets/GraphView.h"
#include "widgets/KButton.h"

namespace {

using Boards = BoardFixture;

TEST_F(Boards, PinCopiesToTheDashboardAndUnpinRemovesTheCopy) {
  std::vector<ItemRecipe> lights;
  for (int i = 0; i < 45; ++i) {
    lights.push_back(
        labelled(lightItem("L" + std::to_string(i), KESTOR_STATE_OK), "Light number " + std::to_string(i + 10)));
  }
  PropertyWidget *original =
      showWidget(define(PropertyRecord("Dome", "STATUS", KESTOR_LIGHT, KESTOR_STATE_OK, lights), KESTOR_PERM_RO));
  QTest::mouseClick(original->button1, Qt::LeftButton);
  ASSERT_EQ(dashboard->widgets().size(), 1u);
  PropertyWidget *copy = dashboard->widgets()[0];
  EXPECT_EQ(copy->objectName(), original->objectName());
  EXPECT_EQ(copy->dashboardView, nullptr);
  EXPECT_EQ(copy->height(), 615);  // built on the dashboard: two columns
  panel->locked = true;            // pinning asks the board the widget is on
  QTest::mouseClick(original->button1, Qt::LeftButton);
  EXPECT_EQ(dashboard->widgets().size(), 1u);

  dashboard->locked = true;
  dashboard->layoutWidgets();
  EXPECT_FALSE(copy->button2->isEnabled());
  copy->unpinAction();
  EXPECT_EQ(dashboard->widgets().size(), 1u);
  dashboard->locked = false;
  dashboard->layoutWidgets();
  QPointer<PropertyWidget> gone = copy;
  QTest::mouseClick(copy->button2, Qt::LeftButton);
  EXPECT_TRUE(dashboard->widgets().empty());
  EXPECT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }, 5000));
}

TEST_F(Boards, CollapseFollowsButtonOneAndTheBoardLaysOut) {
  PropertyWidget *original = showWidget(
      define(PropertyRecord("Guider", "AGENT_GUIDER_STATS", KESTOR_NUMBER, 0, guiderItems()), KESTOR_PERM_RO));
  QTest::mouseClick(original->button1, Qt::LeftButton);  // pin
  PropertyWidget *copy = dashboard->widgets().at(0);
  PropertyWidget *other = pinnedAll("O").at(0);
  QTest::mouseClick(copy->button1, Qt::LeftButton);  // button1 is on: stays expanded
  EXPECT_EQ(copy->height(), 405);
  QTest::mouseClick(control<QPushButton>(copy, "eq"), Qt::LeftButton);  // turns button1 off
  QTest::mouseClick(copy->button1, Qt::LeftButton);
  EXPECT_EQ(copy->height(), 35);
  EXPECT_FALSE(copy->graphView->isVisible());
  EXPECT_EQ(copy->titleField->geometry(), QRect(20, 5, 320, 20));
  EXPECT_EQ(other->pos(), QPoint(0, 40));  // the board closed up under the collapsed copy
  copy->button1->setState(KButton::ON);
  copy->collapseAction();
  EXPECT_EQ(copy->height(), 405);
  EXPECT_TRUE(copy->graphView->isVisible());
}

TEST_F(Boards, OrderAndWorkspaceRecord) {
  DashboardView *board = dashboard;
  const auto w = pinnedAll("ABC");
  board->insertWidget(w[2], w[0], true);
  EXPECT_EQ(board->widgets(), (std::vector<PropertyWidget *>{w[2], w[0], w[1]}));
  board->insertWidget(w[2], w[1], false);
  EXPECT_EQ(board->widgets(), w);
  w[0]->setFill({0.5, 0, 0.5, 0.5});
  w[1]->brk = true;
  board->layoutWidgets();
  EXPECT_FALSE(defaults().contains(QStringLiteral("workspace_1")));  // written only when saving
  board->saveWidgets = true;
  defaults().setValue(QStringLiteral("workspace"), 3);
  board->layoutWidgets();
  EXPECT_EQ(defaults().value(QStringLiteral("workspace_3")).toStringList(),
            (QStringList{w[0]->name, w[1]->name, w[2]->name}));
  EXPECT_EQ(defaults().value(QStringLiteral("workspace_breaks_3")).toList(), (QVariantList{false, true, false}));
  EXPECT_EQ(defaults().value(QStringLiteral("workspace_colours_3")).toList(), (QVariantList{101, 111, 111}));
  board->removeWidget(w[1]);
  EXPECT_EQ(w[1]->parentWidget(), nullptr);
  delete w[1];
  delete w[0];  // a widget deleted leaves its board
  EXPECT_EQ(board->widgets(), (std::vector<PropertyWidget *>{w[2]}));
}

TEST_F(Boards, DiscardedWidgetsGoAtTheNextTurnAndHandTheFocusOn) {
  const auto w = pinnedAll("ABC", 50, panel);
  QApplication::setActiveWindow(&window);
  w[1]->findChild<QLineEdit *>(QStringLiteral("value:N"))->setFocus();
  ASSERT_TRUE(w[1]->isAncestorOf(QApplication::focusWidget()));
  const QPointer<PropertyWidget> first = w[0], focused = w[1];
  panel->discardWidget(w[0]);
  panel->discardWidget(w[1]);
  EXPECT_EQ(panel->widgets(), (std::vector<PropertyWidget *>{w[2]}));
  EXPECT_NE(QApplication::focusWidget(), nullptr);  // moved on at once, not lost with the widget
  EXPECT_FALSE(focused->isAncestorOf(QApplication::focusWidget()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull() && focused.isNull(); }, 5000));
}

TEST_F(Boards, ShowOnlyTheScrollBarsTheyNeed) {
  const std::string LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const struct {
    const char *what;
    bool onPanel;
    QSize area;
    int widgets;  // 50 high
    bool vertical, horizontal;
  } cases[] = {
      {"a panel that fits", true, {430, 800}, 3, false, false},
      {"a panel taller than its area", true, {430, 800}, 20, true, false},
      {"a panel narrower than a widget", true, {300, 800}, 3, false, true},
      {"a panel taller and narrower", true, {300, 800}, 20, true, true},
      {"a dashboard that fits", false, {860, 300}, 5, false, false},
      {"a dashboard wider than its area", false, {860, 300}, 40, false, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    PropertiesView *board = c.onPanel ? static_cast<PropertiesView *>(panel) : dashboard;
    auto *area = qobject_cast<QScrollArea *>(board->parentWidget()->parentWidget());
    for (PropertyWidget *w : board->widgets()) delete w;
    area->resize(c.area);
    pinnedAll(LETTERS.substr(0, static_cast<std::size_t>(c.widgets)), 50, board);
    QCoreApplication::processEvents();
    EXPECT_EQ(area->verticalScrollBar()->isVisible(), c.vertical);
    EXPECT_EQ(area->horizontalScrollBar()->isVisible(), c.horizontal);
    // The board fills the viewport in each direction it does not scroll.
    if (!c.horizontal) {
      EXPECT_EQ(board->width(), area->viewport()->width());
    }
    if (!c.vertical) {
      EXPECT_EQ(board->height(), area->viewport()->height());
    }
  }
}

}  // namespace
