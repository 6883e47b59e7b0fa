// One sample of a guider's statistics, read from its AGENT_GUIDER_STATS property: the frame
// number, the drift in X and Y and in right ascension and declination, and the corrections.
#pragma once

#include <QPointF>
#include <optional>

#include "kestor/KESTOR.h"

struct GuiderSample {
  // The series of a sample a guiding graph shows.
  enum class Series { DriftXY, DriftEQ, Corrections };

  double frame = 0;
  QPointF driftXY;      // DRIFT_X, DRIFT_Y
  QPointF driftEQ;      // DRIFT_RA, DRIFT_DEC
  QPointF corrections;  // CORR_RA, CORR_DEC

  // The sample the property holds; nothing unless it has all seven items.
  static std::optional<GuiderSample> read(const KESTOR::Property &stats);
  // Frame 1 starts a new guiding run: the histories before it are dropped.
  bool startsRun() const { return frame == 1.0; }
};
