// Matching a query against the sky model.
#pragma once

#include "skymap/MapEntry.h"
#include "skymap/SkyModel.h"

#include <vector>

struct SearchResult {
  QString title;
  MapEntryPtr entry;
};

namespace LocalSearch {

// "HIP" and a number: the first star with that number. Otherwise every star, then deep-sky
// object, then body whose upper-case name contains the upper-case query, after normalising an
// "IC", "NGC" or "M" catalogue number ("m031" finds M31). The results' entries are not yet placed.
std::vector<SearchResult> find(const QString &query, const SkyModel &sky);

// The query in upper case with a catalogue number written plainly.
QString normalised(const QString &query);

}  // namespace LocalSearch
