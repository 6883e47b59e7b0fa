// The guiding graph: history limits, range and grid, and what it draws where.
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

#include "core/Globals.h"
#include "widgets/GraphScale.h"
#include "widgets/GraphView.h"

namespace {

void addPoints(GraphView &graph, int count) {
  for (int i = 0; i < count; ++i) {
    const double x = i;
    graph.addSample({0, {x, -x}, {2 * x, -2 * x}, {3 * x, -3 * x}});
  }
}

TEST(GraphView, KeepsAtMost401PointsPerHistory) {
  GraphView graph;
  addPoints(graph, 401);
  EXPECT_EQ(graph.driftsXY.size(), 401u);
  addPoints(graph, 1);
  ASSERT_EQ(graph.driftsXY.size(), 401u);
  EXPECT_EQ(graph.driftsEQ.size(), 401u);
  EXPECT_EQ(graph.corrections.size(), 401u);
  EXPECT_EQ(graph.driftsXY.front(), QPointF(1, -1));  // the first sample has gone
  graph.reset();
  EXPECT_TRUE(graph.driftsXY.empty() && graph.driftsEQ.empty() && graph.corrections.empty());
  graph.addSample({0, {7, 8}, {9, 10}, {11, 12}});
  EXPECT_EQ(graph.driftsXY, std::vector<QPointF>{QPointF(7, 8)});
  EXPECT_EQ(graph.driftsEQ, std::vector<QPointF>{QPointF(9, 10)});
  EXPECT_EQ(graph.corrections, std::vector<QPointF>{QPointF(11, 12)});
}

TEST(GraphView, ShowsTheNewestPointsOfTheChosenSeries) {
  GraphView graph;
  addPoints(graph, 120);
  using Series = GuiderSample::Series;
  struct Row {
    Series mode;
    const std::vector<QPointF> &series;
  };
  for (const Row &row : {Row{Series::DriftXY, graph.driftsXY}, Row{Series::DriftEQ, graph.driftsEQ},
                         Row{Series::Corrections, graph.corrections}}) {
    graph.mode = row.mode;
    const auto shown = graph.shownPoints();
    ASSERT_EQ(shown.size(), 50u) << int(row.mode);
    EXPECT_EQ(shown.front(), row.series[70]) << int(row.mode);
    EXPECT_EQ(shown.back(), row.series[119]) << int(row.mode);
  }
  graph.showCount = 0;
  EXPECT_TRUE(graph.shownPoints().empty());
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

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    GraphView, GraphScaleTable,
    testing::Values(ScaleCase{"none", {}, 0.1, true, 1}, ScaleCase{"zeros", {{0, 0}, {0, 0}}, 0.1, true, 1},
                    ScaleCase{"tenth", {{0.1, 0}}, 0.1, true, 1},
                    ScaleCase{"fine", {{0.23, -0.1}}, 0.3, true, 3},
                    ScaleCase{"finest", {{0.41, 0.49}}, 0.5, true, 5},
                    ScaleCase{"belowOne", {{0, -0.7}}, 1, false, 1},
                    ScaleCase{"units", {{3.2, 1}}, 4, false, 4}, ScaleCase{"ten", {{-10, 0}}, 10, false, 10},
                    ScaleCase{"beyondTen", {{25, 0}}, 10, false, 10},
                    ScaleCase{"nanIgnored", {{NaN, 0.2}, {0.1, NaN}}, 0.2, true, 2},
                    ScaleCase{"infinityIgnored", {{INF, -INF}, {0.7, 0}}, 1, false, 1}),
    [](const testing::TestParamInfo<ScaleCase> &info) { return std::string(info.param.name); });

QColor pixel(const QImage &image, int x, int y) { return image.pixelColor(x, y); }

// A thin antialiased line mixes with the background, so curves are recognised by their hue: the
// strongest channel of the reference colour leads by a clear margin somewhere in the rows.
bool rowsShowHue(const QImage &image, int x0, int x1, int y0, int y1, const QColor &reference) {
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const QColor c = image.pixelColor(x, y);
      const int lead = reference.red() > reference.blue() ? c.red() - c.blue() : c.blue() - c.red();
      if (lead > 60) {
        return true;
      }
    }
  }
  return false;
}

bool near(const QColor &a, const QColor &b) {
  return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 && std::abs(a.blue() - b.blue()) < 40;
}

// A 377 x 150 graph, as in the guider widget: half = 75, scale 70 per unit at range 1.
class GraphDrawing : public testing::Test {
protected:
  GraphView graph;
  void SetUp() override { graph.resize(377, 150); }
  QImage picture() { return graph.grab().toImage(); }
};

TEST_F(GraphDrawing, DrawsTheNewestDotAndBothCurves) {
  graph.addSample({0, {1, 0.5}, {}, {}});
  graph.addSample({0, {1, 0.5}, {}, {}});
  const QImage image = picture();
  const QColor background = pixel(image, 5, 5);
  // The scatter dot: right of and below the centre, in graphColor2.
  EXPECT_TRUE(near(pixel(image, 145, 110), graphColor2())) << pixel(image, 145, 110).name().toStdString();
  // Both strip curves run above the centre line from x = 160: x at 75 - 70 in graphColor2, y at
  // 75 - 35 in graphColor1.
  EXPECT_TRUE(rowsShowHue(image, 161, 163, 4, 5, graphColor2()));
  EXPECT_TRUE(rowsShowHue(image, 161, 163, 39, 40, graphColor1()));
  EXPECT_FALSE(rowsShowHue(image, 161, 163, 108, 112, graphColor1()));
  // The axes cross at the centre of the square.
  EXPECT_NE(pixel(image, 75, 20), background);
  EXPECT_NE(pixel(image, 20, 75), background);
}

TEST_F(GraphDrawing, OlderDotsUseTheTextColour) {
  graph.addSample({0, {-1, 0}, {}, {}});
  graph.addSample({0, {1, 0}, {}, {}});
  const QImage image = picture();
  EXPECT_TRUE(near(pixel(image, 5, 75), graph.palette().color(QPalette::Text)));
  EXPECT_TRUE(near(pixel(image, 145, 75), graphColor2()));
}

TEST_F(GraphDrawing, PartialRepaintDrawsFromTheWholeBounds) {
  graph.addSample({0, {1, 0.5}, {}, {}});
  const QImage whole = picture();
  QImage part(graph.size(), QImage::Format_ARGB32_Premultiplied);
  part.fill(Qt::transparent);
  const QRect region(135, 100, 20, 20);
  graph.render(&part, QPoint(), QRegion(region));
  // The repainted square lands at the origin of the target and holds the dot where the full
  // drawing puts it.
  EXPECT_TRUE(near(part.pixelColor(10, 10), whole.pixelColor(145, 110)));
  EXPECT_TRUE(near(part.pixelColor(10, 10), graphColor2()));
}

TEST_F(GraphDrawing, SkipsNonFiniteSamples) {
  graph.addSample({0, {NaN, INF}, {NaN, NaN}, {INF, -INF}});
  graph.addSample({0, {0.5, 0.5}, {}, {}});
  graph.addSample({0, {INF, NaN}, {}, {}});
  EXPECT_EQ(graph.driftsXY.size(), 3u);
  const QImage image = picture();  // draws without trouble
  EXPECT_EQ(image.size(), QSize(377, 150));
  // Range 1 from the one finite point: its dot sits at (75 + 35, 75 + 35) in the text colour.
  EXPECT_TRUE(near(pixel(image, 110, 110), graph.palette().color(QPalette::Text)));
}

}  // namespace
