// The application delegate's general preferences sheet: colours, the in-process server's port,
// name and type, log level, profile and default serial ports, shown and confirmed.
#include "app/ApplicationDelegate.h"

#include "app/ColorWell.h"
#include "app/SerialPorts.h"
#include "app/SystemVersion.h"
#include "core/Dispatch.h"
#include "core/Globals.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "kestor/KESTOR.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QSettings>

namespace {

// The colour wells with the live colour each shows and the key it is stored under.
struct WellColour {
  SettingName setting;
  QColor &(*live)();
  QPointer<ColorWell> ApplicationDelegate::*well;
};
const WellColour WELL_COLOURS[] = {
    {Setting::MARKER_COLOR, &markerColor, &ApplicationDelegate::markerColorWell},
    {Setting::GRAPH_COLOR_1, &graphColor1, &ApplicationDelegate::graphColor1Well},
    {Setting::GRAPH_COLOR_2, &graphColor2, &ApplicationDelegate::graphColor2Well},
};

}  // namespace

void ApplicationDelegate::beginSheet() {
  if (preferencePanel) preferencePanel->open();
}

void ApplicationDelegate::showLogLevel() {
  if (logLevelPopup) logLevelPopup->setCurrentIndex(int(UserDefaults::read(Setting::LOG_LEVEL)));
}

void ApplicationDelegate::saveLogLevel() {
  // A pop-up without a selected item names no level: nothing is stored or applied.
  const int level = logLevelPopup ? logLevelPopup->currentIndex() : -1;
  if (level < 0) return;
  UserDefaults::write(Setting::LOG_LEVEL, level);
  if (kestor) kestor->framework.setLogLevel(uint32_t(level));
}

std::vector<std::pair<QString, QComboBox *>> ApplicationDelegate::portPopups() const {
  return {{Setting::DEFAULT_WHEEL_PORT.name(), defaultWheelPortPopup},
          {Setting::DEFAULT_FOCUSER_PORT.name(), defaultFocuserPortPopup},
          {Setting::DEFAULT_MOUNT_PORT.name(), defaultMountPortPopup},
          {Setting::DEFAULT_DOME_PORT.name(), defaultDomePortPopup},
          {Setting::DEFAULT_GPS_PORT.name(), defaultGPSPortPopup},
          {Setting::DEFAULT_AUXILIARY_1_PORT.name(), defaultAuxiliary1PortPopup},
          {Setting::DEFAULT_AUXILIARY_2_PORT.name(), defaultAuxiliary2PortPopup}};
}

void ApplicationDelegate::showPreferencesSheet() {
  for (const WellColour &colour : WELL_COLOURS)
    if (ColorWell *well = this->*colour.well)
      well->setColor(UserDefaults::colorForKey(colour.setting.name(), colour.live()).toRgb());
  if (backgroundColorWell) {
    const bool stored = usesStoredBackground(operatingSystemVersion());
    backgroundColorWell->setEnabled(stored);
    if (stored && window) {
      const QColor current = window->palette().color(QPalette::Window);
      backgroundColorWell->setColor(UserDefaults::colorForKey(Setting::BACKGROUND_COLOR.name(), current).toRgb());
    }
  }
  if (kestorPortNumberField) kestorPortNumberField->setText(QString::number(UserDefaults::read(Setting::SERVER_PORT)));
  if (kestorServiceNameField) {
    kestorServiceNameField->setPlaceholderText(appName());
    kestorServiceNameField->setText(defaults().value(Setting::SERVICE_NAME.name(), appName()).toString());
  }
  if (kestorServiceTypeField) kestorServiceTypeField->setText(UserDefaults::read(Setting::SERVICE_TYPE));
  showLogLevel();
  if (profilePopup) profilePopup->setCurrentIndex(int(UserDefaults::read(Setting::PROFILE)));
  // The stored paths now, every pop-up filled in one go half a second later.
  std::vector<std::pair<QPointer<QComboBox>, QString>> ports;
  for (const auto &[key, popup] : portPopups())
    if (popup) ports.emplace_back(popup, defaults().value(key).toString());
  const QPointer<ApplicationDelegate> self(this);
  asyncGlobalAfter(0.5, [self, ports] {
    asyncMain([self, ports] {
      for (const auto &[popup, path] : ports)
        if (self && popup) self->fillPortPopup(popup, path);
    });
  });
  beginSheet();
}

void ApplicationDelegate::fillPortPopup(QComboBox *popup, const QString &selected) {
  popup->clear();
  popup->addItem(tr("None"));
  popup->addItems(serialPorts(serialDeviceFolder));
  popup->setCurrentIndex(selected.isEmpty() ? 0 : std::max(0, popup->findText(selected)));
}

void ApplicationDelegate::savePreferences() {
  if (preferencePanel) preferencePanel->hide();
  for (const WellColour &colour : WELL_COLOURS) {
    if (const ColorWell *well = this->*colour.well) {
      colour.live() = well->color();
      UserDefaults::setColor(colour.setting.name(), well->color());
    }
  }
  if (backgroundColorWell && window && usesStoredBackground(operatingSystemVersion())) {
    setWindowBackground(backgroundColorWell->color());
    UserDefaults::setColor(Setting::BACKGROUND_COLOR.name(), window->palette().color(QPalette::Window));
  }
  if (kestorPortNumberField) {
    const QString text = kestorPortNumberField->text().isEmpty() ? kestorPortNumberField->placeholderText()
                                                                 : kestorPortNumberField->text();
    UserDefaults::write(Setting::SERVER_PORT, text.trimmed().toLongLong());
  }
  if (kestorServiceNameField) {
    const QString name = kestorServiceNameField->text();
    UserDefaults::write(Setting::SERVICE_NAME, name.isEmpty() ? appName() : name);
  }
  if (kestorServiceTypeField) {
    const QString type = kestorServiceTypeField->text();
    UserDefaults::write(Setting::SERVICE_TYPE,
                        type.isEmpty() ? QString::fromLatin1(Setting::SERVICE_TYPE.defaultValue) : type);
  }
  saveLogLevel();
  if (profilePopup) UserDefaults::write(Setting::PROFILE, profilePopup->currentIndex());
  for (const auto &[key, popup] : portPopups()) {
    if (!popup) continue;
    if (popup->currentIndex() <= 0)
      defaults().remove(key);
    else
      UserDefaults::write(key, popup->currentText());
  }
}
