#include "skymap/MapSettings.h"

#include "core/Settings.h"

MapSettings MapSettings::read() {
  using UserDefaults::read;
  MapSettings settings;
  settings.flipHorizontally = read(Setting::FLIP_MAP_HORIZONTALLY);
  settings.flipVertically = read(Setting::FLIP_MAP_VERTICALLY);
  settings.fontSize =
      static_cast<int>(read(Setting::USE_LARGE_FONT) ? read(Setting::LARGE_FONT_SIZE) : read(Setting::FONT_SIZE));
  settings.magnitudeLimit = read(Setting::MAGNITUDE_LIMIT);
  settings.showNames = read(Setting::SHOW_STARS);
  settings.fovWidth = read(Setting::FOV_WIDTH);
  settings.fovHeight = read(Setting::FOV_HEIGHT);
  settings.fovAngle = read(Setting::FOV_ANGLE);
  settings.longitude = read(Setting::LONGITUDE);
  return settings;
}
