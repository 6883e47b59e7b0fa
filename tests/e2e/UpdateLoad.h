// Number updates at a steady rate through indiserver into the shown control panel: how long the
// main thread kept events waiting and whether resident memory stayed flat.
#pragma once

#include <QString>
#include <QStringList>

class LoadPanel;

struct UpdateFigures {
  int rate = 0;            // updates per second asked of the driver
  double seconds = 0;      // for how long
  long sent = 0;           // rate × seconds
  long delivered = 0;      // changes of the property the main thread notified
  double elapsed = 0;      // from the request until the last value was shown, in seconds
  bool lastShown = false;  // the widget showed the last sequence number
  double longestWaitMs = 0;
  double firstMB = 0;  // mean resident memory over the first third of the run
  double lastMB = 0;   // and over the last third

  // The goals missed, in words; empty when every goal was met.
  QStringList misses() const;
  QString summary() const;
};

// Has the driver publish `rate` updates per second for `seconds` and measures them.
UpdateFigures runUpdateLoad(LoadPanel &panel, int rate, double seconds);
