// Every setting the program stores: its key in the settings file and its default, the one place
// either is written. Read them with UserDefaults::read and store them with UserDefaults::write
// (core/Settings.h).
#pragma once

#include <QLatin1StringView>
#include <QString>

// A setting with a fixed default: bool, qint64, double or text (const char *).
template <typename T>
struct SettingKey {
  const char *key;
  T defaultValue;
  QString name() const { return QLatin1StringView(key); }
};

// A key whose default is given where it is read (a live colour, the program name, a driver's
// own choice), or the first part of keys that end in a name or number.
struct SettingName {
  const char *key;
  QString name() const { return QLatin1StringView(key); }
};

namespace Setting {

// Bus, server mode and the program's own service.
inline constexpr SettingKey<qint64> LOG_LEVEL{"kestorLogLevel", 0};
inline constexpr SettingKey<bool> ENABLE_BLOB_TRANSFER{"enableBLOBTransfer", false};
inline constexpr SettingKey<qint64> SERVER_PORT{"kestorPortNumber", 0};
inline constexpr SettingKey<const char *> SERVICE_TYPE{"kestorServiceType", "_kestor._tcp"};
inline constexpr SettingName SERVICE_NAME{"kestorServiceName"};  // default: the program name
inline constexpr SettingName LOAD_DRIVER_PREFIX{"load_"};        // + driver name; default: the driver's
inline constexpr SettingName SERVERS{"servers"};                 // the user's servers (app/SavedServers.h)
inline constexpr SettingKey<bool> ENABLE_SOUNDS{"enableSounds", true};
// The general preferences sheet only (app/ApplicationDelegateGeneralSheet.cpp): nothing reads them.
inline constexpr SettingKey<qint64> PROFILE{"kestorProfile", 0};
inline constexpr SettingName DEFAULT_WHEEL_PORT{"defaultWheelPort"};  // ports: a device path; absent: none
inline constexpr SettingName DEFAULT_FOCUSER_PORT{"defaultFocuserPort"};
inline constexpr SettingName DEFAULT_MOUNT_PORT{"defaultMountPort"};
inline constexpr SettingName DEFAULT_DOME_PORT{"defaultDomePort"};
inline constexpr SettingName DEFAULT_GPS_PORT{"defaultGPSPort"};
inline constexpr SettingName DEFAULT_AUXILIARY_1_PORT{"defaultAuxiliary1Port"};
inline constexpr SettingName DEFAULT_AUXILIARY_2_PORT{"defaultAuxiliary2Port"};

// Windows, boards and appearance.
inline constexpr SettingName FIRST_LAUNCH_PREFIX{"initialized_"};                  // + program version
inline constexpr SettingKey<qint64> TOOL_TIP_DELAY{"NSInitialToolTipDelay", 300};  // stored at every launch
inline constexpr SettingKey<bool> HIDE_PANELS{"hidePanels", true};
inline constexpr SettingKey<bool> LOCKED{"locked", false};
inline constexpr SettingKey<qint64> WORKSPACE{"workspace", 1};
inline constexpr SettingName WORKSPACE_NAMES_PREFIX{"workspace_"};            // + workspace number
inline constexpr SettingName WORKSPACE_BREAKS_PREFIX{"workspace_breaks_"};    // + workspace number
inline constexpr SettingName WORKSPACE_COLOURS_PREFIX{"workspace_colours_"};  // + workspace number
inline constexpr SettingName MARKER_COLOR{"markerColor"};                     // colours: default the live colour
inline constexpr SettingName GRAPH_COLOR_1{"graphColor1"};
inline constexpr SettingName GRAPH_COLOR_2{"graphColor2"};
inline constexpr SettingName BACKGROUND_COLOR{"backgroundColor"};
inline constexpr SettingKey<bool> HIGHLIGHT_OVEREXPOSURE{"highlightOverexposure", true};

// The sky map.
inline constexpr SettingKey<double> ZOOM{"zoom", 10.0};
inline constexpr SettingKey<double> ROTATION{"rotation", 0.0};
inline constexpr SettingKey<double> CENTER_X{"centerX", 0.0};
inline constexpr SettingKey<double> CENTER_Y{"centerY", 0.0};
inline constexpr SettingKey<bool> FLIP_MAP_HORIZONTALLY{"flipMapHorizontally", false};
inline constexpr SettingKey<bool> FLIP_MAP_VERTICALLY{"flipMapVertically", false};
inline constexpr SettingKey<bool> USE_LARGE_FONT{"useLargeFont", false};
inline constexpr SettingKey<qint64> LARGE_FONT_SIZE{"largeFontSize", 14};
inline constexpr SettingKey<qint64> FONT_SIZE{"fontSize", 10};
inline constexpr SettingKey<qint64> MAGNITUDE_LIMIT{"magnitudeLimit", 5};
inline constexpr SettingKey<bool> SHOW_STARS{"showStars", true};
inline constexpr SettingKey<double> FOV_WIDTH{"fovWidth", 0.0};
inline constexpr SettingKey<double> FOV_HEIGHT{"fovHeight", 0.0};
inline constexpr SettingKey<double> FOV_ANGLE{"fovAngle", 0.0};
inline constexpr SettingKey<double> LONGITUDE{"longitude", 0.0};
inline constexpr SettingKey<const char *> SIMBAD_URL{"simbadURL", "http://simbad.cds.unistra.fr"};

}  // namespace Setting
