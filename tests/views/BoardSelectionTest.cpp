// Selecting and dragging widgets on the dashboard with the mouse: click, Shift-click, a click on
// empty board, drags released over a widget, over empty board and inside the widget's own slot,
// and the lock.
#include <QTest>

#include "BoardFixture.h"

namespace {

using BoardSelection = BoardFixture;

TEST_F(BoardSelection, ClicksAndShiftClicksSelectAndTheToolbarFollows) {
  auto w = pinnedAll("ABC");
  click(w[1]);
  click(w[0]);
  EXPECT_EQ(selected(), (std::vector{w[0]}));
  EXPECT_EQ(dashboard->active, w[0]);
  EXPECT_EQ(std::vector({w[0]->fill().alpha, w[1]->fill().alpha}), std::vector({0.5, 0.2}));
  EXPECT_TRUE(infoButton.isEnabled() && breakButton.isEnabled());
  const QImage picture = dashboard->grab().toImage();  // selected widgets are filled more strongly
  EXPECT_LT(picture.pixelColor(w[0]->geometry().topLeft() + QPoint(200, 2)).lightness(),
            picture.pixelColor(w[1]->geometry().topLeft() + QPoint(200, 2)).lightness());
  click(w[1], Qt::ShiftModifier);
  click(w[2], Qt::ShiftModifier);
  EXPECT_EQ(selected(), (std::vector{w[0], w[1], w[2]}));
  EXPECT_FALSE(breakButton.isEnabled());  // more than one selected
  w[0]->brk = true;
  click(w[0], Qt::ShiftModifier);
  EXPECT_EQ(selected(), (std::vector{w[1], w[2]}));
  EXPECT_EQ(dashboard->active, w[0]);  // active although it just left the selection
  EXPECT_EQ(w[0]->fill().alpha, 0.2);
  EXPECT_TRUE(breakButton.isChecked());  // the active widget's break
  click(w[2], Qt::ShiftModifier);
  QTest::mouseClick(w[2]->titleField, Qt::RightButton);  // other buttons leave the selection alone
  EXPECT_EQ(selected(), (std::vector{w[1]}));
  EXPECT_FALSE(breakButton.isChecked());
  click(w[0], Qt::ShiftModifier);
  click(w[0], Qt::ShiftModifier);
  EXPECT_TRUE(breakButton.isEnabled() && breakButton.isChecked());  // one other widget stays selected

  clickBoard(QPointF(600, 150));
  EXPECT_TRUE(dashboard->selection.isEmpty());
  EXPECT_EQ(dashboard->active, nullptr);
  EXPECT_EQ(w[1]->fill().alpha, 0.2);
  for (QPushButton *b : {&infoButton, &breakButton, &upButton, &downButton, &deleteButton, &grayButton, &redButton,
                         &greenButton, &blueButton, &yellowButton, &magentaButton, &cyanButton}) {
    EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
  }
  EXPECT_FALSE(breakButton.isChecked());

  PropertyWidget *onPanel = showWidget(define(PropertyRecord("Device", "P", KESTOR_NUMBER, 0, {numberItem("N", 1)})));
  click(onPanel);  // the control panel selects nothing
  EXPECT_TRUE(panel->selection.isEmpty());
  EXPECT_EQ(onPanel->fill().alpha, 0.2);
}

// A dashboard 300 high with A, B, C, D 50 high each, first column at the top: A at y 250, B 195,
// C 140, D 85. A is dragged by its title to the point and let go there.
struct DragCase {
  const char *name;
  QPointF pointer;
  std::string order;
  bool locked = false;
};

void PrintTo(const DragCase &c, std::ostream *out) { *out << c.name; }

class BoardDrag : public BoardFixture, public testing::WithParamInterface<DragCase> {};

TEST_P(BoardDrag, PutsTheWidgetBeforeTheOneUnderThePointer) {
  auto w = pinnedAll("ABCD");
  dashboard->locked = GetParam().locked;
  drag(w[0], GetParam().pointer);
  EXPECT_EQ(order(), GetParam().order);
  EXPECT_FALSE(dashboard->dragging.has_value());
  EXPECT_EQ(selected(), (std::vector{w[0]}));
  expectOneColumn();
}

INSTANTIATE_TEST_SUITE_P(Boards, BoardDrag,
                         testing::Values(DragCase{"overD", QPointF(200, 160), "BCAD"},
                                         DragCase{"overC", QPointF(200, 215), "BACD"},
                                         DragCase{"overEmptyBoard", QPointF(600, 150), "BCDA"},
                                         DragCase{"insideItsOwnSlot", QPointF(200, 275), "ABCD"},
                                         DragCase{"locked", QPointF(200, 160), "ABCD", true}),
                         [](const testing::TestParamInfo<DragCase> &info) { return std::string(info.param.name); });

}  // namespace
