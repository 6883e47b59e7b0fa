#include "widgets/GraphView.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "core/Globals.h"
#include "widgets/GraphScale.h"

namespace {

void appendSample(std::vector<QPointF> &history, QPointF point) {
  if (history.size() >= GraphView::MAX_POINTS) {
    history.erase(history.begin());
  }
  history.push_back(point);
}

// One strip curve: the chosen coordinate of every finite point against time, from the left edge.
QPainterPath stripPath(std::span<const QPointF> shown, bool useY, double left, double half, double scale, double dx) {
  QPainterPath path;
  bool pathOpen = false;
  double t = 0;
  for (const QPointF &p : shown) {
    const double v = useY ? p.y() : p.x();
    if (isFinitePoint(p)) {
      const QPointF at(left + t, half + v * scale);
      if (pathOpen) {
        path.lineTo(at);
      } else {
        path.moveTo(at);
        path.lineTo(at);
        pathOpen = true;
      }
    } else {
      pathOpen = false;
    }
    t += dx;
  }
  return path;
}

}  // namespace

GraphView::GraphView(QWidget *parent) : QWidget(parent) {}

void GraphView::reset() {
  driftsXY.clear();
  driftsEQ.clear();
  corrections.clear();
}

void GraphView::addSample(const GuiderSample &sample) {
  appendSample(driftsXY, sample.driftXY);
  appendSample(driftsEQ, sample.driftEQ);
  appendSample(corrections, sample.corrections);
  update();
}

const std::vector<QPointF> &GraphView::series() const {
  switch (mode) {
  case GuiderSample::Series::DriftEQ: return driftsEQ;
  case GuiderSample::Series::Corrections: return corrections;
  case GuiderSample::Series::DriftXY: break;
  }
  return driftsXY;
}

std::span<const QPointF> GraphView::shownPoints() const {
  const std::vector<QPointF> &points = series();
  const std::size_t count = std::min<std::size_t>(points.size(), static_cast<std::size_t>(std::max(showCount, 0)));
  return std::span<const QPointF>(points).last(count);
}

void GraphView::paintEvent(QPaintEvent *) {
  // The whole view is drawn whatever part of it needs repainting.
  const double w = width();
  const double h = height();
  const double half = h / 2;
  const double stripLeft = h + 10;
  const QColor secondary = palette().color(QPalette::PlaceholderText);

  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(0, h);
  painter.scale(1, -1);  // y grows upwards, as the drawing below assumes

  QPainterPath axes;
  axes.moveTo(0, half);
  axes.lineTo(h, half);
  axes.moveTo(half, 0);
  axes.lineTo(half, h);
  axes.moveTo(stripLeft, half);
  axes.lineTo(w, half);
  painter.strokePath(axes, QPen(secondary, 1));
  if (driftsXY.empty()) {
    return;
  }

  const std::span<const QPointF> shown = shownPoints();
  const GraphScale grid = graphScale(shown);
  const double scale = (half - 5) / grid.range;

  QPainterPath circles;
  for (int k = 1; k <= grid.circles; ++k) {
    const double r = grid.fine ? k * scale / 10 : k * scale;
    circles.addEllipse(QRectF(half - r, half - r, 2 * r, 2 * r));
    circles.moveTo(stripLeft, half - r);
    circles.lineTo(w, half - r);
    circles.moveTo(stripLeft, half + r);
    circles.lineTo(w, half + r);
  }
  QPen gridPen(secondary, 1);
  if (grid.fine) {
    gridPen.setDashPattern({1, 5});
  }
  painter.strokePath(circles, gridPen);

  auto dot = [&](const QPointF &p) { return QRectF(half + p.x() * scale - 2, half - p.y() * scale - 2, 4, 4); };
  QPainterPath dots;
  for (const QPointF &p : shown) {
    if (isFinitePoint(p)) {
      dots.addEllipse(dot(p));
    }
  }
  painter.fillPath(dots, palette().color(QPalette::Text));
  if (shown.empty()) {
    return;
  }
  if (isFinitePoint(shown.back())) {
    QPainterPath newest;
    newest.addEllipse(dot(shown.back()));
    painter.fillPath(newest, graphColor2());
  }

  const double dx = (w - h - 10) / showCount;
  painter.strokePath(stripPath(shown, false, stripLeft, half, scale, dx), QPen(graphColor2(), 1));
  painter.strokePath(stripPath(shown, true, stripLeft, half, scale, dx), QPen(graphColor1(), 1));
}
