#include "image/CurrentAppearance.h"

#include <mutex>

namespace {

std::mutex appearanceMutex;
std::optional<QPalette> storedAppearance;

}  // namespace

std::optional<QPalette> currentAppearance() {
  std::lock_guard lock(appearanceMutex);
  return storedAppearance;
}

void setCurrentAppearance(const QPalette &palette) {
  std::lock_guard lock(appearanceMutex);
  storedAppearance = palette;
}
