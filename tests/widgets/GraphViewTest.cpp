// The guiding graph: history limits, the range and grid for the points shown, and what it draws
// where.
#include <QImage>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

#include "core/Globals.h"
#include "widgets/GraphScale.h"
#include "widgets/GraphView.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();

TEST(GraphView, KeepsTheNewest401PointsAndShowsTheNewestOfTheChosenSeries) {
  GraphView graph;
  for (int i = 0; i < 402; ++i) {
    const double x = i;
    graph.addSample({0, {x, -x}, {2 * x, -2 * x}, {3 * x, -3 * x}});
  }
  using Series = GuiderSample::Series;
  for (const auto &[mode, series, scale] :
       {std::tuple{Series::DriftXY, &graph.driftsXY, 1.0}, std::tuple{Series::DriftEQ, &graph.driftsEQ, 2.0},
        std::tuple{Series::Corrections, &graph.corrections, 3.0}}) {
    EXPECT_EQ(series->front(), QPointF(scale, -scale));  // 401 kept: the first sample has gone
    graph.mode = mode;
    const auto shown = graph.shownPoints();
    ASSERT_EQ(shown.size(), 50u);
    EXPECT_EQ(shown.front(), (*series)[351]);
    EXPECT_EQ(shown.back(), series->back());
  }
  graph.showCount = 0;
  EXPECT_TRUE(graph.shownPoints().empty());
  graph.reset();
  EXPECT_TRUE(graph.driftsXY.empty() && graph.driftsEQ.empty() && graph.corrections.empty());
}

struct ScaleCase {
  const char *name;
  std::vector<QPointF> points;
  double range;
  bool fine;
  int circles;
};

void PrintTo(const ScaleCase &c, std::ostream *out) { *out << c.name; }

class GraphScaleTable : public testing::TestWithParam<ScaleCase> {};

TEST_P(GraphScaleTable, PicksRangeAndGrid) {
  const ScaleCase &c = GetParam();
  const GraphScale s = graphScale(c.points);
  EXPECT_DOUBLE_EQ(s.range, c.range);
  EXPECT_EQ(s.fine, c.fine);
  EXPECT_EQ(s.circles, c.circles);
}

INSTANTIATE_TEST_SUITE_P(
    GraphView, GraphScaleTable,
    testing::Values(ScaleCase{"none", {}, 0.1, true, 1}, ScaleCase{"zeros", {{0, 0}, {0, 0}}, 0.1, true, 1},
                    ScaleCase{"tenth", {{0.1, 0}}, 0.1, true, 1}, ScaleCase{"fine", {{0.23, -0.1}}, 0.3, true, 3},
                    ScaleCase{"finest", {{0.41, 0.49}}, 0.5, true, 5}, ScaleCase{"belowOne", {{0, -0.7}}, 1, false, 1},
                    ScaleCase{"units", {{3.2, 1}}, 4, false, 4}, ScaleCase{"ten", {{-10, 0}}, 10, false, 10},
                    ScaleCase{"beyondTen", {{25, 0}}, 10, false, 10},
                    ScaleCase{"nanIgnored", {{NaN, 0.2}, {0.1, NaN}}, 0.2, true, 2},
                    ScaleCase{"infinityIgnored", {{INF, -INF}, {0.7, 0}}, 1, false, 1}),
    [](const testing::TestParamInfo<ScaleCase> &info) { return std::string(info.param.name); });

bool near(const QColor &a, const QColor &b) {
  return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 && std::abs(a.blue() - b.blue()) < 40;
}

// A thin antialiased line mixes with the background, so curves are recognised by their hue: the
// strongest channel of the reference colour leads by a clear margin somewhere in the rows.
bool rowsShowHue(const QImage &image, int y0, int y1, const QColor &reference) {
  for (int y = y0; y <= y1; ++y) {
    for (int x = 161; x <= 163; ++x) {
      const QColor c = image.pixelColor(x, y);
      if ((reference.red() > reference.blue() ? c.red() - c.blue() : c.blue() - c.red()) > 60) return true;
    }
  }
  return false;
}

// A 377 x 150 graph, as in the guider widget: half = 75, scale 70 per unit at range 1.
TEST(GraphView, DrawsTheNewestDotOlderDotsAndBothCurvesSkippingNonFinitePoints) {
  GraphView graph;
  graph.resize(377, 150);
  graph.addSample({0, {1, 0.5}, {}, {}});
  graph.addSample({0, {1, 0.5}, {}, {}});
  const QImage image = graph.grab().toImage();
  EXPECT_TRUE(near(image.pixelColor(145, 110), graphColor2()));  // the newest, right of and below the centre
  // Both strip curves run above the centre line from x = 160: x at 75 - 70 in graphColor2, y at
  // 75 - 35 in graphColor1.
  EXPECT_TRUE(rowsShowHue(image, 4, 5, graphColor2()));
  EXPECT_TRUE(rowsShowHue(image, 39, 40, graphColor1()));
  EXPECT_FALSE(rowsShowHue(image, 108, 112, graphColor1()));
  EXPECT_NE(image.pixelColor(75, 20), image.pixelColor(5, 5));     // the axes cross at the centre of the square
  QImage part(graph.size(), QImage::Format_ARGB32_Premultiplied);  // a partial repaint
  part.fill(Qt::transparent);
  graph.render(&part, QPoint(), QRegion(135, 100, 20, 20));
  EXPECT_TRUE(near(part.pixelColor(10, 10), graphColor2()));

  graph.reset();
  graph.addSample({0, {-1, 0}, {}, {}});
  graph.addSample({0, {NaN, INF}, {NaN, NaN}, {INF, -INF}});
  graph.addSample({0, {1, 0}, {}, {}});
  const QImage again = graph.grab().toImage();
  EXPECT_TRUE(near(again.pixelColor(5, 75), graph.palette().color(QPalette::Text)));  // older dots
  EXPECT_TRUE(near(again.pixelColor(145, 75), graphColor2()));
}

}  // namespace
