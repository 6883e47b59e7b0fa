// Selecting and dragging widgets on the dashboard with the mouse: click, Shift-click, a click on
// empty board, drags released over a widget, over empty board and inside the widget's own slot,
// and the lock.
#include <QTest>

#include "BoardFixture.h"

namespace {

using BoardSelection = BoardFixture;

std::vector<PropertyWidget *> selected(const PropertiesView *board) {
  std::vector<PropertyWidget *> list;
  for (const QPointer<PropertyWidget> &w : board->selection) {
    list.push_back(w);
  }
  return list;
}

TEST_F(BoardSelection, AClickSelectsJustTheClickedWidget) {
  auto w = pinnedAll("AB");
  click(w[0]);
  EXPECT_EQ(selected(dashboard), (std::vector{w[0]}));
  EXPECT_EQ(dashboard->active, w[0]);
  EXPECT_EQ(w[0]->fill().alpha, 0.5);
  EXPECT_EQ(w[1]->fill().alpha, 0.2);
  EXPECT_TRUE(infoButton.isEnabled());
  EXPECT_TRUE(breakButton.isEnabled());
  click(w[1]);
  EXPECT_EQ(selected(dashboard), (std::vector{w[1]}));
  EXPECT_EQ(w[0]->fill().alpha, 0.2);
  EXPECT_EQ(w[1]->fill().alpha, 0.5);
}

TEST_F(BoardSelection, ShiftClickAddsAndRemovesAndKeepsTheRest) {
  auto w = pinnedAll("ABC");
  click(w[0]);
  click(w[1], Qt::ShiftModifier);
  click(w[2], Qt::ShiftModifier);
  EXPECT_EQ(selected(dashboard), (std::vector{w[0], w[1], w[2]}));
  EXPECT_FALSE(breakButton.isEnabled());  // more than one selected
  w[0]->brk = true;
  click(w[0], Qt::ShiftModifier);
  EXPECT_EQ(selected(dashboard), (std::vector{w[1], w[2]}));
  EXPECT_EQ(dashboard->active, w[0]);  // active although it just left the selection
  EXPECT_EQ(w[0]->fill().alpha, 0.2);
  EXPECT_FALSE(breakButton.isEnabled());
  EXPECT_TRUE(breakButton.isChecked());  // the active widget's break
  click(w[2], Qt::ShiftModifier);
  EXPECT_EQ(selected(dashboard), (std::vector{w[1]}));
  EXPECT_FALSE(breakButton.isChecked());
  click(w[0], Qt::ShiftModifier);
  click(w[0], Qt::ShiftModifier);
  EXPECT_TRUE(breakButton.isEnabled());  // exactly one other widget stays selected
  EXPECT_TRUE(breakButton.isChecked());
}

TEST_F(BoardSelection, AClickOnEmptyBoardClearsTheSelectionAndTheToolbar) {
  auto w = pinnedAll("AB");
  click(w[0]);
  click(w[1], Qt::ShiftModifier);
  clickBoard(QPointF(600, 150));
  EXPECT_TRUE(dashboard->selection.isEmpty());
  EXPECT_EQ(dashboard->active, nullptr);
  EXPECT_EQ(w[0]->fill().alpha, 0.2);
  EXPECT_EQ(w[1]->fill().alpha, 0.2);
  for (QPushButton *b : {&infoButton, &breakButton, &upButton, &downButton, &deleteButton, &grayButton, &redButton,
                         &greenButton, &blueButton, &yellowButton, &magentaButton, &cyanButton}) {
    EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
  }
  EXPECT_FALSE(breakButton.isChecked());
}

TEST_F(BoardSelection, AClickOnTheControlPanelSelectsNothing) {
  auto property = define(PropertyRecord("Device", "P", KESTOR_NUMBER, KESTOR_STATE_OK, {numberItem("N", 1)}));
  PropertyWidget *widget = showWidget(property, panel);
  click(widget);
  EXPECT_TRUE(panel->selection.isEmpty());
  EXPECT_EQ(panel->active, nullptr);
  EXPECT_EQ(widget->fill().alpha, 0.2);
}

TEST_F(BoardSelection, TheSelectionStaysWhenOtherButtonsAreUsed) {
  auto w = pinnedAll("AB");
  click(w[0]);
  QTest::mouseClick(w[1]->titleField, Qt::RightButton);
  EXPECT_EQ(selected(dashboard), (std::vector{w[0]}));
}

// A dashboard 300 high with A, B, C, D 50 high each, first column at the top: A at y 250, B 195,
// C 140, D 85. A is dragged by its title to the point and let go there.
struct DragCase {
  const char *name;
  QPointF pointer;
  std::string order;
};

void PrintTo(const DragCase &c, std::ostream *out) { *out << c.name; }

class BoardDrag : public BoardFixture, public testing::WithParamInterface<DragCase> {};

TEST_P(BoardDrag, PutsTheWidgetBeforeTheOneUnderThePointer) {
  auto w = pinnedAll("ABCD");
  drag(w[0], GetParam().pointer);
  EXPECT_EQ(order(), GetParam().order);
  EXPECT_FALSE(dashboard->dragging.has_value());
  const std::vector<PropertyWidget *> now = dashboard->widgets();
  for (std::size_t i = 0; i < now.size(); ++i) {
    EXPECT_EQ(origin(now[i]), QPointF(0, 250 - 55.0 * static_cast<double>(i))) << i;
    EXPECT_EQ(now[i]->pos(), QPoint(0, 55 * static_cast<int>(i))) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Boards, BoardDrag,
                         testing::Values(DragCase{"overD", QPointF(200, 160), "BCAD"},
                                         DragCase{"overC", QPointF(200, 215), "BACD"},
                                         DragCase{"overEmptyBoard", QPointF(600, 150), "BCDA"},
                                         DragCase{"insideItsOwnSlot", QPointF(200, 275), "ABCD"}),
                         [](const testing::TestParamInfo<DragCase> &info) { return std::string(info.param.name); });

TEST_F(BoardSelection, ADragOpensAGapAboveTheWidgetUnderThePointer) {
  auto w = pinnedAll("ABCD");
  QTest::mousePress(w[0]->titleField, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QTest::mouseMove(dashboard, topLeftOnBoard(QPointF(200, 160)));
  EXPECT_EQ(dashboard->above, w[3]);
  EXPECT_TRUE(dashboard->dragged);
  EXPECT_EQ(origin(w[1]), QPointF(0, 250));
  EXPECT_EQ(origin(w[2]), QPointF(0, 195));
  EXPECT_EQ(origin(w[3]), QPointF(0, 90));  // 50 lower than its place after C
  // The dragged widget has followed the pointer, which is still on its title.
  EXPECT_TRUE(w[0]->titleField->geometry().contains(
      w[0]->titleField->parentWidget()->mapFrom(dashboard, topLeftOnBoard(QPointF(200, 160)))));
  QTest::mouseMove(dashboard, topLeftOnBoard(QPointF(200, 275)));
  EXPECT_FALSE(dashboard->dragged);  // back in its own slot: the rest close up below a gap
  EXPECT_EQ(dashboard->above, nullptr);
  EXPECT_EQ(origin(w[1]), QPointF(0, 200));
  QTest::mouseRelease(dashboard, Qt::LeftButton, Qt::NoModifier, topLeftOnBoard(QPointF(200, 275)));
  EXPECT_EQ(order(), "ABCD");
  EXPECT_EQ(origin(w[0]), QPointF(0, 250));
}

TEST_F(BoardSelection, ALockedDashboardMovesNothingButStillSelects) {
  auto w = pinnedAll("ABCD");
  dashboard->locked = true;
  drag(w[0], QPointF(200, 160));
  EXPECT_EQ(order(), "ABCD");
  EXPECT_EQ(origin(w[0]), QPointF(0, 250));
  EXPECT_EQ(w[0]->pos(), QPoint(0, 0));
  EXPECT_FALSE(dashboard->dragging.has_value());
  EXPECT_EQ(selected(dashboard), (std::vector{w[0]}));
}

}  // namespace
