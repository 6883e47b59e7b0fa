// The board layout runs on every drag event of the dashboard, and the guiding graph redraws on
// every sample: both must stay far below a frame's time.
#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cmath>

#include "views/BoardLayout.h"
#include "widgets/GraphView.h"

namespace {

void BoardLayoutPlace(benchmark::State &state) {
  BoardLayout::Input input;
  input.boardHeight = 900;
  for (int i = 0; i < state.range(0); ++i) {
    const double h = 35 + (i % 7) * 50;
    input.widgets.push_back({h, i % 11 == 10, QSizeF(400, h)});
  }
  input.active = 3;
  input.dragging = QPointF(420, 300);
  for (auto _ : state) {
    benchmark::DoNotOptimize(BoardLayout::place(input));
  }
}
BENCHMARK(BoardLayoutPlace)->Arg(10)->Arg(100);

void GraphViewPaint(benchmark::State &state) {
  GraphView graph;
  graph.resize(377, 150);
  graph.showCount = static_cast<int>(state.range(0));
  for (int f = 1; f <= 401; ++f) {
    graph.addSample({0, {std::cos(f / 8.0), std::sin(f / 8.0)}, {}, {}});
  }
  QImage target(graph.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    graph.render(&target);
  }
}
BENCHMARK(GraphViewPaint)->Arg(50)->Arg(400);

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
