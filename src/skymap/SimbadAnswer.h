// Reading an answer of the SIMBAD script service: one entry per block of lines that ends with
// "END" and names its object. A pure function, so tests and the fuzzer drive it directly.
#pragma once

#include "skymap/MapEntry.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

struct SimbadAnswer {
  std::vector<MapEntryPtr> entries;  // in answer order
  QStringList log;                   // the lines to log at the given log level, in order

  // An answer that is not valid UTF-8 gives nothing. A line feed ends a line; a carriage
  // return before it is dropped. At log level 2 every line is logged, at level 1 one
  // "Processed SIMBAD response" per "END".
  static SimbadAnswer parse(const QByteArray &data, unsigned logLevel);
};
