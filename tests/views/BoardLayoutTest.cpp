// The board layout arithmetic: sizes, columns, breaks and the drag gap.
#include <gtest/gtest.h>

#include <functional>

#include "views/BoardLayout.h"

namespace {

using BoardLayout::Input;
using BoardLayout::Slot;

Input board(double height, std::vector<double> heights, std::vector<bool> breaks = {}) {
  Input input;
  input.boardHeight = height;
  for (std::size_t i = 0; i < heights.size(); ++i) {
    input.widgets.push_back(Slot{heights[i], i < breaks.size() && breaks[i], QSizeF(400, heights[i])});
  }
  return input;
}

struct PlaceCase {
  const char *name;
  Input input;
  std::vector<std::optional<QPointF>> origins;
  std::optional<int> above;
  bool dragged;
  double lastColumnX;
};

void PrintTo(const PlaceCase &c, std::ostream *out) { *out << c.name; }

Input dragged(Input input, int active, QPointF pointer) {
  input.active = active;
  input.dragging = pointer;
  return input;
}

class Placement : public testing::TestWithParam<PlaceCase> {};

TEST_P(Placement, MatchesTheColumnRules) {
  const PlaceCase &c = GetParam();
  const BoardLayout::Result r = BoardLayout::place(c.input);
  EXPECT_EQ(r.origins, c.origins);
  EXPECT_EQ(r.above, c.above);
  EXPECT_EQ(r.dragged, c.dragged);
  EXPECT_EQ(r.lastColumnX, c.lastColumnX);
}

INSTANTIATE_TEST_SUITE_P(
    BoardLayout, Placement,
    testing::Values(
        PlaceCase{"controlPanelColumn",
                  board(490, {100, 35, 340}),
                  {QPointF(0, 390), QPointF(0, 350), QPointF(0, 5)},
                  std::nullopt,
                  false,
                  0},
        PlaceCase{
            "dashboardWraps", board(300, {200, 150}), {QPointF(0, 100), QPointF(405, 150)}, std::nullopt, false, 405},
        PlaceCase{"firstTooTallLeavesFirstColumnEmpty", board(300, {298}), {QPointF(405, 2)}, std::nullopt, false, 405},
        PlaceCase{"breakEndsColumn",
                  board(300, {50, 50, 50}, {false, true, false}),
                  {QPointF(0, 250), QPointF(0, 195), QPointF(405, 250)},
                  std::nullopt,
                  false,
                  405},
        PlaceCase{"emptyBoard", board(300, {}), {}, std::nullopt, false, 0},
        PlaceCase{"dragOverSecondOpensGap",
                  dragged(board(400, {100, 100, 100}), 0, QPointF(10, 310)),
                  {std::nullopt, QPointF(0, 250), QPointF(0, 145)},
                  1,
                  true,
                  0},
        PlaceCase{"dragInsideOwnSlotClosesUp",
                  dragged(board(400, {100, 100, 100}), 0, QPointF(10, 350)),
                  {std::nullopt, QPointF(0, 250), QPointF(0, 145)},
                  std::nullopt,
                  false,
                  0},
        PlaceCase{"dragOverEmptyBoard",
                  dragged(board(400, {100, 100}), 0, QPointF(10, 20)),
                  {std::nullopt, QPointF(0, 300)},
                  std::nullopt,
                  true,
                  0},
        PlaceCase{"rightEdgeIsOutside",
                  dragged(board(400, {100, 100}), 1, QPointF(400, 350)),
                  {QPointF(0, 300), std::nullopt},
                  std::nullopt,
                  true,
                  0}),
    [](const testing::TestParamInfo<PlaceCase> &info) { return std::string(info.param.name); });

TEST(BoardLayoutSizes, FollowTheirContainer) {
  EXPECT_EQ(BoardLayout::controlPanelSize(QSizeF(100, 300), {100, 35, 340}), QSizeF(400, 490));
  EXPECT_EQ(BoardLayout::controlPanelSize(QSizeF(900, 600), {100}), QSizeF(900, 600));
  EXPECT_EQ(BoardLayout::dashboardHeight(30), 50);
  EXPECT_EQ(BoardLayout::dashboardHeight(300), 300);
  EXPECT_EQ(BoardLayout::dashboardWidth(405, 500), 805);
  EXPECT_EQ(BoardLayout::dashboardWidth(0, 900), 900);
}

TEST(BoardLayoutSizes, LeaveRoomForOnlyTheScrollBarsNeeded) {
  const BoardLayout::ScrollRoom room{QSizeF(430, 800), 15, 15};
  const struct {
    const char *what;
    QSizeF board, viewport;
  } viewports[] = {
      {"fits", {430, 800}, {430, 800}},
      {"taller", {415, 1000}, {415, 800}},
      {"taller, wider than the room beside the bar", {430, 1000}, {415, 785}},
      {"wider", {900, 785}, {430, 785}},
      {"wider, taller than the room above the bar", {900, 790}, {415, 785}},
  };
  for (const auto &v : viewports) EXPECT_EQ(BoardLayout::viewportFor(room, v.board), v.viewport) << v.what;
  EXPECT_EQ(BoardLayout::viewportFor({QSizeF(430, 800)}, QSizeF(900, 900)), QSizeF(430, 800)) << "bars take no room";

  // A control panel, and a dashboard of 200-high widgets, sized for the viewport their size leaves.
  const auto panel = [](std::vector<double> heights) {
    return [heights](const QSizeF &viewport) { return BoardLayout::controlPanelSize(viewport, heights); };
  };
  const auto dashboard = [](std::size_t widgets) {
    return [widgets](const QSizeF &viewport) {
      BoardLayout::Input input;
      input.boardHeight = BoardLayout::dashboardHeight(viewport.height());
      input.widgets.assign(widgets, Slot{200, false, QSizeF(400, 200)});
      return QSizeF(BoardLayout::dashboardWidth(BoardLayout::place(input).lastColumnX, viewport.width()),
                    input.boardHeight);
    };
  };
  const struct {
    const char *what;
    BoardLayout::ScrollRoom room;
    std::function<QSizeF(const QSizeF &)> sizeFor;
    QSizeF size;
  } fits[] = {
      {"panel that fits", room, panel({100, 200}), {430, 800}},
      {"panel taller: as wide as the room beside the bar", room, panel({500, 600}), {415, 1110}},
      {"panel wider: as high as the room above the bar", {QSizeF(390, 800), 15, 15}, panel({100}), {400, 785}},
      {"panel taller and wider", {QSizeF(390, 800), 15, 15}, panel({500, 600}), {400, 1110}},
      {"dashboard that fits", {QSizeF(860, 300), 15, 15}, dashboard(2), {860, 300}},
      {"dashboard wider: as high as the room above the bar", {QSizeF(860, 300), 15, 15}, dashboard(5), {2020, 285}},
  };
  for (const auto &f : fits) EXPECT_EQ(BoardLayout::fitToRoom(f.room, f.sizeFor), f.size) << f.what;
}

TEST(BoardLayoutColours, CodeEachComponentAsADigit) {
  struct Row {
    double r, g, b;
    int code;
  };
  for (const Row &row :
       {Row{0.5, 0.5, 0.5, 111}, Row{0.5, 0, 0, 100}, Row{0, 0.5, 0, 10}, Row{0, 0, 0.5, 1}, Row{0.5, 0.5, 0, 110},
        Row{0.5, 0, 0.5, 101}, Row{0, 0.5, 0.5, 11}, Row{1, 1, 1, 222}, Row{0.49, 0.99, 0, 10}}) {
    EXPECT_EQ(BoardLayout::colourCode(row.r, row.g, row.b), row.code) << row.r << "," << row.g << "," << row.b;
  }
}

}  // namespace
