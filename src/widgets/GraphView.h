// The guiding graph: a scatter of drifts or corrections around a centre with range circles on
// the left, the same values against time on the right.
#pragma once

#include <QPointF>
#include <QWidget>
#include <span>
#include <vector>

#include "kestor/GuiderSample.h"

class GraphView : public QWidget {
  Q_OBJECT

public:
  static constexpr std::size_t MAX_POINTS = 401;

  explicit GraphView(QWidget *parent = nullptr);

  std::vector<QPointF> driftsXY;                              // drift in X and Y, oldest first
  std::vector<QPointF> driftsEQ;                              // drift in right ascension and declination
  std::vector<QPointF> corrections;                           // corrections in right ascension and declination
  GuiderSample::Series mode = GuiderSample::Series::DriftXY;  // the series drawn
  static constexpr int minZoom = 25;
  static constexpr int maxZoom = 400;
  int showCount = 50;  // number of newest samples drawn

  // Empties the three histories without redrawing; the next sample redraws.
  void reset();
  // Appends one sample to the histories, dropping the oldest once 401 are held, and redraws.
  void addSample(const GuiderSample &sample);

  // The series the mode picks and the newest showCount points of it.
  const std::vector<QPointF> &series() const;
  std::span<const QPointF> shownPoints() const;

protected:
  void paintEvent(QPaintEvent *event) override;
};
