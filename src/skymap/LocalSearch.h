// Matching a query against the map's own catalogues.
#pragma once

#include "skymap/MapEntry.h"

#include <vector>

struct SearchResult {
  QString title;
  MapEntryPtr entry;
};

namespace LocalSearch {

// "HIP" and a number: the first star with that number. Otherwise every star, then deep-sky
// object, then body whose upper-case name contains the upper-case query, after normalising an
// "IC", "NGC" or "M" catalogue number ("m031" finds M31).
std::vector<SearchResult> find(const QString &query, const std::vector<MapEntryPtr> &stars,
                               const std::vector<MapEntryPtr> &dsos, const std::vector<MapEntryPtr> &solarsys);

// The query in upper case with a catalogue number written plainly.
QString normalised(const QString &query);

}  // namespace LocalSearch
