// Large images in a row through indiserver into the shown control panel, BLOB transfer enabled:
// whether each preview appeared and whether resident memory came back after the last.
#pragma once

#include <QString>
#include <QStringList>

class LoadPanel;

struct BlobFigures {
  int count = 0;              // images asked for
  double imageMB = 0;         // size of each FITS file, in decimal megabytes
  int shown = 0;              // previews that appeared
  double slowestSeconds = 0;  // longest time from asking for an image to its preview
  double meanSeconds = 0;
  double longestWaitMs = 0;  // longest busy stretch of the main thread's event loop meanwhile (a figure)
  double meanShowMs = 0;     // from the image's update handled on the main thread to its preview painted
  double slowestShowMs = 0;
  double mainThreadMs = 0;  // CPU time of the main thread per image over the series
  double startMB = 0;       // resident memory before the first image
  double peakMB = 0;        // highest seen after a preview appeared
  double levelMB = 0;       // settled after the second preview (after the first when there is one)
  double afterLastMB = 0;   // settled after the last preview

  // How far resident memory after the last image may lie above the level, in MiB.
  double allowedGrowthMB() const;
  QStringList misses() const;
  // The timing goals missed (held by the long runs only: the tests time nothing).
  QStringList timingMisses() const;
  QString summary() const;
};

// Enables BLOB transfer for the driver's image, then asks for `count` images of width × height
// 16-bit pixels one after the other, each once the previous one's preview appeared. Resident
// memory figures are in MiB.
BlobFigures runBlobLoad(LoadPanel &panel, int count, int width, int height);
