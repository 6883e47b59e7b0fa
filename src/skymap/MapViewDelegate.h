// What the sky map tells its owner: selection changes and objects chosen from the search menu.
#pragma once

#include "skymap/MapEntry.h"

class MapViewDelegate {
public:
  virtual ~MapViewDelegate() = default;
  // The selection changed to this entry, or was cleared (null).
  virtual void selectedWithEntry(const MapEntryPtr &entry) = 0;
  // The entry was chosen from the search menu.
  virtual void addHistoryWithEntry(const MapEntryPtr &entry) = 0;
};
